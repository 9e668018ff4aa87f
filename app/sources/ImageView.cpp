#include "app/sources/ImageView.h"

#include <QPainter>

namespace sources {

ImageView::ImageView(QWidget* parent) : QWidget(parent) {}

void ImageView::setImageName(const QString& name) {
    image_ = kit::NamedImage::imageNamed(name);
    update();
}

void ImageView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    image_.draw(painter, rect());
}

}  // namespace sources
