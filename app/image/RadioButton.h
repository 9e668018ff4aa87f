#pragma once

#include "ui-kit/NamedImage.h"

#include <QAbstractButton>
#include <QString>

namespace image {

// A radio button drawn from the program's images: the named image ("radiobutton_sel" or
// "radiobutton_unsel"), then its title, left-aligned in the kit's dark text colour. Which image it shows is
// set by its owner, as is its state (checked or not); the name stays readable.
class RadioButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit RadioButton(const QString& title, QWidget* parent = nullptr);
    void setImageName(const QString& name);
    const QString& imageName() const { return image_.name(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    kit::NamedImage image_;
};

}  // namespace image
