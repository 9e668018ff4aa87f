#pragma once

#include "ui-kit/NamedImage.h"

#include <QAbstractButton>
#include <QString>

namespace kit {

// A control that shows one named image: scaled into the whole control (an icon, a panel's picture, a check
// box), or, with a title, at 16 × 16 points before the title, which follows left-aligned in the kit's dark
// text colour (the image radio buttons). The name stays readable, so that what a control shows can be asked
// by name. Its owner sets the image and, for a titled one, the checked state. A view only shows its image:
// the pointer and the keyboard pass it by.
class ImageControl : public QAbstractButton {
    Q_OBJECT

public:
    enum class Role { Button, View };

    explicit ImageControl(QWidget* parent = nullptr, Role role = Role::Button);
    // Titled: checkable, with the pointing hand, the title in the 14-point system font.
    ImageControl(const QString& title, QWidget* parent);

    void setImageName(const QString& name);
    const QString& imageName() const { return image_.name(); }
    // Where the image is drawn, in the control's (Qt) coordinates.
    QRectF imageFrame() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    NamedImage image_;
};

}  // namespace kit
