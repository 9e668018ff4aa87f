#include "app/sources/ImageButton.h"

#include <QPainter>

namespace sources {

ImageButton::ImageButton(QWidget* parent) : QAbstractButton(parent) {}

void ImageButton::setImageName(const QString& name) {
    image_ = kit::NamedImage::imageNamed(name);
    update();
}

void ImageButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    image_.draw(painter, rect());
}

}  // namespace sources
