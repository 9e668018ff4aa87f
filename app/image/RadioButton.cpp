#include "app/image/RadioButton.h"

#include "app/sources/ViewParts.h"
#include "ui-kit/controls/ButtonLabel.h"

#include <QPainter>

namespace image {

namespace {

constexpr QSizeF kImageSize{16, 16};
constexpr qreal kTitleGap = 8;
constexpr int kTitlePixelSize = 14;

}  // namespace

RadioButton::RadioButton(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setText(title);
    setFont(kit::systemFont(kTitlePixelSize));
    setCursor(Qt::PointingHandCursor);
    setImageName(QStringLiteral("radiobutton_unsel"));
}

void RadioButton::setImageName(const QString& name) {
    image_ = kit::NamedImage::imageNamed(name);
    update();
}

void RadioButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF imageFrame(QPointF(0, (height() - kImageSize.height()) / 2), kImageSize);
    image_.draw(painter, imageFrame);
    painter.setFont(font());
    painter.setPen(sources::textColor());
    const QRectF titleFrame(imageFrame.right() + kTitleGap, 0, width() - imageFrame.right() - kTitleGap,
                            height());
    painter.drawText(titleFrame, Qt::AlignLeft | Qt::AlignVCenter, text());
}

}  // namespace image
