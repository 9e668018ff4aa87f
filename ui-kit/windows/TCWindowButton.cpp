#include "ui-kit/windows/TCWindowButton.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/windows/TCWindowButtonGroup.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <QWindowStateChangeEvent>

std::unique_ptr<TCWindowButton> TCWindowButton::windowButtonWithSize(const QSizeF& size,
                                                                     const QString& groupIdentifier) {
    return std::make_unique<TCWindowButton>(size, groupIdentifier);
}

TCWindowButton::TCWindowButton(const QSizeF& size, const QString& groupIdentifier, QWidget* parent)
    : QAbstractButton(parent), groupIdentifier_(groupIdentifier) {
    resize(size.toSize());
    setFocusPolicy(Qt::NoFocus);
    groupObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(TCWindowButtonGroup::kDidUpdateRolloverStateNotification),
        [this](const QVariantMap& userInfo) {
            if (userInfo.value(QString::fromLatin1(TCWindowButtonGroup::kGroupIdentifierKey)).toString() ==
                group()->identifier()) {
                updateRollOverImage();
            }
        });
    updateTrackingAreas();
    viewWillMoveToWindow();
}

TCWindowButton::~TCWindowButton() {
    groupObserver_.reset();
    if (pointerInside_) {
        group()->didReleaseMousePointer();  // a button that goes under the pointer leaves the count right
    }
}

TCWindowButtonGroup* TCWindowButton::group() const {
    return TCWindowButtonGroup::groupWithIdentifier(groupIdentifier_);
}

// --- images ------------------------------------------------------------------------------------------------

void TCWindowButton::setImage(const QPixmap& image) {
    image_ = image;
    update();
}

void TCWindowButton::updateRollOverImage() {
    if (group()->shouldDisplayRollOver() && isEnabled()) {
        setImage(rolloverImage_);
    } else {
        updateImage();
    }
}

void TCWindowButton::updateImage() {
    if (isEnabled()) {
        updateActiveImage();
    } else {
        setImage(inactiveImage_);
    }
}

void TCWindowButton::updateActiveImage() {
    setImage(window()->isActiveWindow() ? activeImage_ : activeNotKeyWindowImage_);
}

void TCWindowButton::paintEvent(QPaintEvent* /*event*/) {
    // The image as it is, centred: not dimmed when disabled, no bezel.
    const QPixmap& shown = isDown() && !pressedImage_.isNull() ? pressedImage_ : image_;
    if (shown.isNull()) {
        return;
    }
    const QSizeF size = shown.deviceIndependentSize();
    QPainter painter(this);
    painter.drawPixmap(QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size),
                       shown, QRectF(shown.rect()));
}

// --- the window and the pointer ----------------------------------------------------------------------------

void TCWindowButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        setImage(isEnabled() ? activeImage_ : inactiveImage_);
    }
}

bool TCWindowButton::event(QEvent* event) {
    const bool handled = QAbstractButton::event(event);
    switch (event->type()) {
        case QEvent::ParentChange:
        case QEvent::Show:
            viewWillMoveToWindow();
            break;
        case QEvent::WindowActivate:  // the window became or stopped being the key window
        case QEvent::WindowDeactivate:
            updateImage();
            break;
        default:
            break;
    }
    return handled;
}

void TCWindowButton::viewWillMoveToWindow() {
    QWidget* newWindow = window();
    QWindow* newHandle = newWindow->windowHandle();
    if (newWindow == observedWindow_ && newHandle == observedHandle_) {
        return;
    }
    if (observedWindow_) {
        observedWindow_->removeEventFilter(this);
    }
    if (observedHandle_) {
        observedHandle_->removeEventFilter(this);
    }
    observedWindow_ = newWindow != this ? newWindow : nullptr;
    observedHandle_ = newHandle;
    if (observedWindow_) {
        observedWindow_->installEventFilter(this);  // full-screen changes
        updateImage();
    }
    if (observedHandle_) {
        observedHandle_->installEventFilter(this);  // every pointer move over the window
    }
}

void TCWindowButton::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    updateTrackingAreas();
}

void TCWindowButton::updateTrackingAreas() {
    mouseTrackingArea_ = kit::insetRect(QRectF(rect()), -kTrackingMargin, -kTrackingMargin);
}

bool TCWindowButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == observedWindow_ && event->type() == QEvent::WindowStateChange) {
        const bool was = static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowFullScreen;
        if (!was && observedWindow_->isFullScreen()) {
            windowWillEnterFullScreen();
        } else if (was && !observedWindow_->isFullScreen()) {
            windowWillExitFullScreen();
        }
    } else if (watched == observedHandle_) {
        switch (event->type()) {
            case QEvent::MouseMove:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::Enter:
                trackPointer(static_cast<QSinglePointEvent*>(event)->globalPosition(), true);
                break;
            case QEvent::Leave:
            case QEvent::Hide:
                trackPointer({}, false);
                break;
            default:
                break;
        }
    }
    return QAbstractButton::eventFilter(watched, event);
}

void TCWindowButton::trackPointer(const QPointF& globalPosition, bool inWindow) {
    const bool inside = inWindow && isVisible() && mouseTrackingArea_.contains(mapFromGlobal(globalPosition));
    if (inside == pointerInside_) {
        return;
    }
    pointerInside_ = inside;
    if (inside) {
        mouseEntered();
    } else {
        mouseExited();
    }
}

void TCWindowButton::mouseEntered() {
    group()->didCaptureMousePointer();
    updateRollOverImage();
}

void TCWindowButton::mouseExited() {
    group()->didReleaseMousePointer();
    updateRollOverImage();
}

void TCWindowButton::windowWillEnterFullScreen() {
    pointerInside_ = false;
    group()->resetMouseCaptures();
    hide();
}

void TCWindowButton::windowWillExitFullScreen() {
    pointerInside_ = false;
    group()->resetMouseCaptures();
    show();
}
