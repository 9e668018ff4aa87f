#include "ui-kit/windows/QNPopoverWindow.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/windows/PopoverGeometry.h"
#include "ui-kit/windows/QNPopoverController.h"
#include "ui-kit/windows/QNPopoverWindowFrame.h"
#include "ui-kit/windows/WindowFade.h"

#include <QKeyEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWindow>

#include <utility>

namespace {

QRect qtScreenRect(const QRectF& cocoaFrame) {
    return kit::cocoaRect(cocoaFrame, kit::primaryScreenHeight()).toRect();
}

}  // namespace

QNPopoverWindow::QNPopoverWindow(const QRectF& contentRect)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), frameView_(new QNPopoverWindowFrame(this)) {
    setAttribute(Qt::WA_TranslucentBackground);  // not opaque, clear background
    setCocoaFrame(frameRectForContentRect(contentRect));
    frameView_->setGeometry(rect());
}

QNPopoverWindow::~QNPopoverWindow() {
    tearingDown_ = true;
    dropZoomWindow();
    releaseContentView();
}

void QNPopoverWindow::releaseContentView() {
    if (QWidget* content = popoverContentView_; content && content->parentWidget() == frameView_) {
        content->hide();
        content->setParent(nullptr);  // its owner deletes it, not this panel
    }
}

QRect QNPopoverWindow::contentGeometry() const {
    const QRectF bounds(QPointF(0, 0), QSizeF(size()));
    return kit::cocoaRect(contentRectForFrameRect(bounds), bounds.height()).toRect();
}

void QNPopoverWindow::setPopoverContentView(QWidget* view) {
    if (view == popoverContentView_) {
        return;
    }
    releaseContentView();
    popoverContentView_ = view;
    if (!view) {
        return;
    }
    view->setParent(frameView_);
    view->setGeometry(contentGeometry());
    view->show();
}

bool QNPopoverWindow::isVisibleOrZooming() const {
    return isVisible() || (zoomWindow_ && zoomWindow_->isVisible());
}

QRectF QNPopoverWindow::contentRectForFrameRect(const QRectF& frame) const {
    return kit::popover::contentRectForFrameRect(frame, frameView_->arrowSize().height());
}

QRectF QNPopoverWindow::frameRectForContentRect(const QRectF& content) const {
    return kit::popover::frameRectForContentRect(content, frameView_->arrowSize().height());
}

QRectF QNPopoverWindow::cocoaFrame() const {
    return kit::cocoaRect(QRectF(geometry()), kit::primaryScreenHeight());
}

void QNPopoverWindow::setCocoaFrame(const QRectF& frame) {
    setGeometry(qtScreenRect(frame));
}

void QNPopoverWindow::makeKeyAndOrderFront() {
    show();
    raise();
    // Not activateWindow(): a transient child of the key window already counts as active for Qt, and
    // would not be asked to take the key status.
    windowHandle()->requestActivate();
}

void QNPopoverWindow::orderOut() {
    dropZoomWindow();
    hide();
}

void QNPopoverWindow::dropZoomWindow() {
    if (zoomAnimation_) {
        zoomAnimation_->stop();
    }
    if (zoomWindow_) {
        zoomWindow_->hide();
        zoomWindow_.reset();
    }
}

// --- animations ------------------------------------------------------------------------------------------

void QNPopoverWindow::presentAnimated() {
    const QNPopoverController* controller = popoverController_;
    if (isVisibleOrZooming() || !controller) {
        return;
    }
    switch (controller->animationType()) {
        case QNPopoverAnimationTypePop:
            presentWithPopAnimation();
            break;
        case QNPopoverAnimationTypeFadeIn:
        case QNPopoverAnimationTypeFadeInOut:
            presentWithFadeAnimation();
            break;
        default:
            break;
    }
}

void QNPopoverWindow::presentWithFadeAnimation() {
    kit::WindowFade::fadeIn(this, [this](bool finished) { alphaAnimationDidStop(finished); });
    makeKeyAndOrderFront();
}

void QNPopoverWindow::presentWithPopAnimation() {
    const QRectF end = cocoaFrame();
    const int direction = frameView_->arrowDirection();
    const QRectF start = popoverController_->popoverFrameWithSize(QSizeF(20, 20), direction);
    const QRectF overshoot =
        popoverController_->popoverFrameWithSize(QSizeF(end.width() * 1.2, end.height() * 1.2), direction);

    zoomWindow_ = _zoomWindowWithRect(start);
    zoomWindow_->setWindowOpacity(0.0);
    zoomWindow_->show();
    zoomWindow_->raise();

    // The keyframes are spread evenly over the system's default duration, as the window server does.
    auto* zoom = new QPropertyAnimation(zoomWindow_.get(), "geometry", zoomWindow_.get());
    zoom->setDuration(kit::WindowFade::kDefaultDurationMs);
    zoom->setKeyValueAt(0.0, qtScreenRect(start));
    zoom->setKeyValueAt(0.5, qtScreenRect(overshoot));
    zoom->setKeyValueAt(1.0, qtScreenRect(end));
    connect(zoom, &QAbstractAnimation::finished, this, &QNPopoverWindow::zoomAnimationDidStop);
    zoomAnimation_ = zoom;
    kit::WindowFade::animateOpacity(zoomWindow_.get(), 1.0);
    zoom->start(QAbstractAnimation::DeleteWhenStopped);
}

std::unique_ptr<QLabel> QNPopoverWindow::_zoomWindowWithRect(const QRectF& rect) {
    // A snapshot of the panel at its final size: the content is laid out once, and only the image scales.
    ensurePolished();
    const QPixmap image = grab();
    auto window =
        std::make_unique<QLabel>(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                              Qt::WindowTransparentForInput);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setScaledContents(true);
    window->setPixmap(image);
    window->setGeometry(qtScreenRect(rect));
    return window;
}

void QNPopoverWindow::zoomAnimationDidStop() {
    setWindowOpacity(1.0);
    makeKeyAndOrderFront();
    // Its animation is still sending this signal: the zoom window goes on the next pass.
    zoomWindow_->hide();
    zoomWindow_.release()->deleteLater();
    alphaAnimationDidStop(true);
}

void QNPopoverWindow::dismissAnimated() {
    if (zoomAnimation_) {
        zoomAnimation_->stop();  // a pop cut short does not show the panel at its end
    }
    if (zoomWindow_) {
        kit::WindowFade::fadeOut(zoomWindow_.get());
    }
    kit::WindowFade::fadeOut(this, [this](bool finished) { alphaAnimationDidStop(finished); });
}

void QNPopoverWindow::alphaAnimationDidStop(bool finished) {
    if (alphaAnimationDelegate_) {
        alphaAnimationDelegate_->animationDidStop(finished);
    }
}

// --- events ----------------------------------------------------------------------------------------------

void QNPopoverWindow::cancelOperation() {
    if (QNPopoverController* controller = popoverController_;
        controller && controller->closesWhenEscapeKeyPressed()) {
        controller->closePopover();
    }
}

void QNPopoverWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancelOperation();
        return;
    }
    QWidget::keyPressEvent(event);
}

void QNPopoverWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || tearingDown_) {
        return;
    }
    const bool wasKey = std::exchange(isKey_, isActiveWindow());
    if (wasKey && !isKey_) {
        emit didResignKey();
    }
}

void QNPopoverWindow::paintEvent(QPaintEvent* /*event*/) {
    // A soft shadow falling a little below the body: strokes of growing width, each adding a little
    // darkness, so that it fades out towards the panel's edge.
    constexpr int kLayers = 10;
    constexpr double kDrop = 2;
    const QRectF bounds(QPointF(0, 0), QSizeF(size()));
    const QPainterPath outline = kit::cocoaPath(
        frameView_->popoverBezierPathWithRect(kit::popover::outlineRect(bounds, frameView_->borderWidth())),
        bounds.height());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(0, kDrop);
    for (int layer = kLayers; layer >= 1; --layer) {
        painter.strokePath(outline,
                           QPen(QColor(0, 0, 0, 7), 2.0 * layer, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
}

void QNPopoverWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    frameView_->setGeometry(rect());
    if (QWidget* content = popoverContentView_; content && content->parentWidget() == frameView_) {
        content->setGeometry(contentGeometry());  // it follows the panel's width and height
    }
}
