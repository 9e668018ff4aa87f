#pragma once

#include "ui-kit/controls/ImageButtonBase.h"

#include <QColor>
#include <QFont>

class QLabel;

// The kit's standard button: four images by state and a centred title whose font and colours follow the
// family of its normal image ("btn_pri", "btn_sec", "btn_main", "btn_tool", …). The image is drawn at its
// own size from the button's origin, not scaled to the button. Load the images before the title: the
// label's place and font depend on the family.
class TextImageButton : public kit::ImageButtonBase {
    Q_OBJECT

public:
    explicit TextImageButton(QWidget* parent = nullptr);

    void setImageFromFileNormalName(const QString& normal, const QString& active, const QString& hover,
                                    const QString& disable);
    // The first call makes the label; later calls only change its text.
    void setTextWithName(const QString& title);
    QLabel* textField() const { return textField_; }

    static QColor startingColor(const QString& family);
    static QColor labelColor(State state, const QString& family, const QString& disableName);
    static QRectF labelFrame(const QSizeF& bounds, const QString& family);
    static QFont labelFont(const QString& family);

protected:
    void stateChanged() override;

private:
    QLabel* textField_ = nullptr;
};
