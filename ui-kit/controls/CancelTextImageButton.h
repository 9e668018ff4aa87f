#pragma once

#include "ui-kit/controls/ImageButtonBase.h"

#include <QColor>

class QLabel;

// A cancel button: four images by state and a blue title of the label's default font. A state whose image
// is missing draws nothing and keeps the normal blue title.
class CancelTextImageButton : public kit::ImageButtonBase {
    Q_OBJECT

public:
    explicit CancelTextImageButton(QWidget* parent = nullptr);

    void setImageFromFileNormalName(const QString& normal, const QString& active, const QString& hover,
                                    const QString& disable);
    // Lays the label out anew for the button's current size and sets its text.
    void setTextWithName(const QString& title);
    QLabel* textField() const { return textField_; }

    static QColor labelColor(State state, bool stateImageMissing);
    static QRectF labelFrame(const QSizeF& bounds);

protected:
    void stateChanged() override;

private:
    QLabel* textField_ = nullptr;
};
