#include "ui-kit/controls/ImageButtonBase.h"

#include "ui-kit/HoverArea.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionButton>

namespace kit {

ImageButtonBase::ImageButtonBase(QWidget* parent) : QAbstractButton(parent) {}

ImageButtonBase::State ImageButtonBase::state() const {
    if (!isUsable()) {
        return State::SwitchedOff;
    }
    if (isTracking_) {
        return State::Pressed;
    }
    return isFocus_ ? State::Hover : State::Normal;
}

const NamedImage& ImageButtonBase::stateImage(State state) const {
    switch (state) {
        case State::Pressed:
            return activeImage_;
        case State::Hover:
            return hoverImage_;
        case State::SwitchedOff:
            return disableImage_;
        case State::Normal:
            break;
    }
    return normalImage_;
}

void ImageButtonBase::setButtonEnabled(bool enabled) {
    isDisabled_ = enabled;
    if (!enabled) {
        isTracking_ = false;  // a press or key press under way is dropped, not completed
        setDown(false);
    }
    refresh();
}

void ImageButtonBase::loadImages(const QString& normal, const QString& active, const QString& hover,
                                 const QString& disable) {
    normalImage_ = NamedImage::imageNamed(normal);
    activeImage_ = NamedImage::imageNamed(active);
    hoverImage_ = NamedImage::imageNamed(hover);
    disableImage_ = NamedImage::imageNamed(disable);
    dstRect_ = srcRect_ = QRectF(QPointF(0, 0), normalImage_.size());
    if (!hoverArea_) {
        hoverArea_ = new HoverArea(
            this,
            [this] {
                if (isEnabled()) {
                    isFocus_ = true;
                    refresh();
                }
            },
            [this] {
                isFocus_ = false;
                refresh();
            });
    }
    refresh();
}

void ImageButtonBase::refresh() {
    stateChanged();
    repaint();
}

void ImageButtonBase::paintPlainButton(QPainter& painter) {
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = text();
    if (isDown()) {
        option.state |= QStyle::State_Sunken;
    }
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
}

void ImageButtonBase::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (normalImage_.isNull()) {
        paintPlainButton(painter);
        return;
    }
    stateImage(state()).draw(painter, dstRect_, srcRect_);
}

void ImageButtonBase::mousePressEvent(QMouseEvent* event) {
    if (isEnabled() && event->button() == Qt::LeftButton) {
        isTracking_ = true;
        refresh();
    }
    QAbstractButton::mousePressEvent(event);
}

void ImageButtonBase::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasTracking = isTracking_;
    isTracking_ = false;
    QPointer<ImageButtonBase> self(this);
    QAbstractButton::mouseReleaseEvent(event);  // may run the click's action, which may delete the button
    if (self && wasTracking) {
        refresh();
    }
}

bool ImageButtonBase::event(QEvent* event) {
    if (!isDisabled_ && isActivation(event)) {
        event->accept();  // swallowed whole: no tracking, no action, not passed on
        return true;
    }
    return QAbstractButton::event(event);
}

bool ImageButtonBase::isActivation(const QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Shortcut:
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            // The keys that press a button; Tab and the others still move the focus on.
            const int key = static_cast<const QKeyEvent*>(event)->key();
            return key == Qt::Key_Space || key == Qt::Key_Select || key == Qt::Key_Return ||
                   key == Qt::Key_Enter;
        }
        default:
            return false;
    }
}

void ImageButtonBase::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        stateChanged();
        update();
    }
}

}  // namespace kit
