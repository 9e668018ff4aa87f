#pragma once

#include "ui-kit/controls/ImageButtonBase.h"

#include <QColor>

class QLabel;

// An icon button (close, open, cancel icons): four images by state, each drawn from its source part into
// the destination rectangle; an optional white title, grey when switched off.
class TCImageButton : public kit::ImageButtonBase {
    Q_OBJECT

public:
    explicit TCImageButton(QWidget* parent = nullptr);

    void setImageFromFileNormalName(const QString& normal, const QString& active, const QString& hover,
                                    const QString& disable);
    // The image is then drawn into {0, 0, width - 4, height} of `frame` (its origin is not used), and the
    // label covers the button, 2 points lower.
    void setTextWithName(const QString& title, const QRectF& frame);
    QLabel* textField() const { return textField_; }

    static QColor labelColor(State state);

protected:
    void stateChanged() override;

private:
    QLabel* textField_ = nullptr;
};
