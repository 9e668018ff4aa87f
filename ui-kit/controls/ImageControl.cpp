#include "ui-kit/controls/ImageControl.h"

#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"

#include <QPainter>

namespace kit {

namespace {

constexpr QSizeF kTitledImageSize{16, 16};
constexpr qreal kTitleGap = 8;
constexpr int kTitlePixelSize = 14;

}  // namespace

ImageControl::ImageControl(QWidget* parent, Role role) : QAbstractButton(parent) {
    if (role == Role::View) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }
}

ImageControl::ImageControl(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setText(title);
    setFont(systemFont(kTitlePixelSize));
    setCursor(Qt::PointingHandCursor);
}

void ImageControl::setImageName(const QString& name) {
    image_ = NamedImage::imageNamed(name);
    update();
}

QRectF ImageControl::imageFrame() const {
    if (text().isEmpty()) {
        return rect();
    }
    return {QPointF(0, (height() - kTitledImageSize.height()) / 2), kTitledImageSize};
}

void ImageControl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF imageAt = imageFrame();
    image_.draw(painter, imageAt);
    if (text().isEmpty()) {
        return;
    }
    painter.setFont(font());
    painter.setPen(darkText());
    const qreal titleLeft = imageAt.right() + kTitleGap;
    painter.drawText(QRectF(titleLeft, 0, width() - titleLeft, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
}

}  // namespace kit
