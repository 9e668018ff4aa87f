#include "ui-kit/controls/LeftButton.h"

#include "ui-kit/ButtonLabel.h"
#include "ui-kit/Labels.h"
#include "ui-kit/getColor.h"

#include <QLabel>
#include <QPainter>

LeftButton::LeftButton(QWidget* parent) : kit::ImageButtonBase(parent) {
    setText(QStringLiteral(" "));
}

void LeftButton::setImageFromFileNormalName(const QString& normal, const QString& active) {
    selectImage_ = kit::NamedImage::imageNamed(QStringLiteral("tabon"));
    loadImages(normal, active, QString(), QString());
    dstRect_ = QRectF(QPointF(44, 23), normalImage_.size());
    update();
}

void LeftButton::setTextWithName(const QString& title) {
    const QRectF frame = labelFrame(size(), title);
    // One label per tab: a second call moves and retitles it instead of stacking a second title on it.
    if (!textField_) {
        textField_ = kit::makeButtonLabel(this, frame, kit::systemFont(12));
        textField_->setWordWrap(true);
    }
    textField_->setGeometry(frame.toRect());
    textField_->setText(title);
    refresh();
}

void LeftButton::setButtonAction(bool current) {
    isAction_ = current;
    refresh();
}

QRectF LeftButton::labelFrame(const QSizeF& bounds, const QString& title) {
    const qreal height = title == QLatin1String("Create Disk Image") ? 32 : 16;
    return {21, bounds.height() - 18 - height, 72, height};
}

QRectF LeftButton::markerFrame(const QSizeF& bounds) {
    return {bounds.width() - 12, 15, 11, 44};
}

QColor LeftButton::labelColor(bool current) {
    return current ? getColor(226, 239, 255, 1) : getColor(182, 207, 255, 1);
}

void LeftButton::stateChanged() {
    kit::setButtonLabelColor(textField_, labelColor(isAction_ && !normalImage_.isNull()));
}

void LeftButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (normalImage_.isNull()) {
        paintPlainButton(painter);
        return;
    }
    if (isAction_) {
        activeImage_.draw(painter, dstRect_);
        selectImage_.draw(painter, markerFrame(size()));
    } else {
        normalImage_.draw(painter, dstRect_);
    }
}
