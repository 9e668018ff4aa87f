#include "ui-kit/windows/QNPopoverController.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/windows/ChildWindows.h"
#include "ui-kit/windows/QNPopoverControllerDelegate.h"
#include "ui-kit/windows/QNPopoverParentWindow.h"
#include "ui-kit/windows/QNPopoverWindow.h"
#include "ui-kit/windows/QNPopoverWindowFrame.h"
#include "ui-kit/windows/WindowFade.h"

#include <QApplication>
#include <QEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>

namespace {

// The key status went to another window of this application, not to another application.
bool applicationIsActive() {
    return QApplication::activeWindow() != nullptr;
}

}  // namespace

QNPopoverController::QNPopoverController() {
    _setInitialPropertyValues();
}

QNPopoverController::QNPopoverController(QWidget* contentViewController) {
    _setInitialPropertyValues();
    setContentViewController(contentViewController);
}

QNPopoverController::~QNPopoverController() {
    // Closed at once and silently: no animation end, key change or anchor notice reaches a controller
    // that is going, and the panel hands the content view back as it goes.
    stopObserving();
    popoverWindow_->setPopoverController(nullptr);
    popoverWindow_->setAlphaAnimationDelegate(nullptr);
    popoverWindow_->orderOut();
    if (parentWindow_) {
        kit::ChildWindows::removeChildWindow(parentWindow_, popoverWindow_.get());
    }
}

void QNPopoverController::_setInitialPropertyValues() {
    popoverWindow_ = std::make_unique<QNPopoverWindow>();
    popoverWindow_->setPopoverController(this);
    setColor(QColor::fromRgbF(0.94f, 0.94f, 0.94f, 0.92f));
    setBorderColor(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.92f));
    setBorderWidth(1.0);
    closesWhenEscapeKeyPressed_ = true;
    closesWhenPopoverResignsKey_ = true;
    closesWhenApplicationBecomesInactive_ = false;
    animates_ = true;
    animationType_ = QNPopoverAnimationTypePop;
}

// --- placement -------------------------------------------------------------------------------------------

QRectF QNPopoverController::anchorScreenRect() const {
    const QPointF origin = positionView_->mapToGlobal(viewRect_.topLeft());
    return kit::cocoaRect(QRectF(origin, viewRect_.size()), kit::primaryScreenHeight());
}

QRectF QNPopoverController::screenFrame() const {
    const QWidget* window = positionView_ ? positionView_->window() : nullptr;
    const QScreen* screen = window ? window->screen() : nullptr;
    return screen ? kit::cocoaRect(QRectF(screen->geometry()), kit::primaryScreenHeight()) : QRectF();
}

QRectF QNPopoverController::popoverFrameWithSize(const QSizeF& size, int direction) const {
    return kit::popover::popoverFrame(screenRect_, size, direction, arrowSize().height());
}

int QNPopoverController::_arrowDirectionWithPreferredArrowDirection(int preferred) const {
    return kit::popover::chooseDirection(preferred, screenRect_, contentSize_, arrowSize().height(),
                                         screenFrame());
}

void QNPopoverController::recalculateAndResetArrowDirection() {
    _setArrowDirection(_arrowDirectionWithPreferredArrowDirection(arrowDirection()));
}

// --- content ---------------------------------------------------------------------------------------------

void QNPopoverController::setContentViewController(QWidget* controller) {
    if (controller == contentViewController_) {
        return;
    }
    popoverWindow_->setPopoverContentView(nullptr);
    contentViewController_ = controller;
    contentSize_ = controller ? QSizeF(controller->size()) : QSizeF(0, 0);
    popoverWindow_->setPopoverContentView(controller);
}

QWidget* QNPopoverController::contentView() const {
    return popoverWindow_->popoverContentView();
}

void QNPopoverController::setContentSize(const QSizeF& size) {
    contentSize_ = size;
    const QRectF frame = popoverFrameWithSize(size, arrowDirection());
    if (!animates_ || !popoverWindow_->isVisible()) {
        popoverWindow_->setCocoaFrame(frame);
        popoverWindow_->update();
        return;
    }
    auto* resize = new QPropertyAnimation(popoverWindow_.get(), "geometry", popoverWindow_.get());
    resize->setDuration(kit::WindowFade::kDefaultDurationMs);
    resize->setEndValue(kit::cocoaRect(frame, kit::primaryScreenHeight()).toRect());
    resize->start(QAbstractAnimation::DeleteWhenStopped);
}

// --- showing ---------------------------------------------------------------------------------------------

bool QNPopoverController::popoverIsVisible() const {
    return popoverWindow_->isVisibleOrZooming();
}

void QNPopoverController::presentPopoverFromRect(const QRectF& rect, QWidget* view,
                                                 int preferredArrowDirection, bool anchorsToPositionView) {
    if (popoverIsVisible() || !view) {
        return;
    }
    presented_ = true;
    positionView_ = view;
    parentWindow_ = view->window();
    viewRect_ = rect;
    screenRect_ = anchorScreenRect();
    _setArrowDirection(_arrowDirectionWithPreferredArrowDirection(preferredArrowDirection));
    popoverWindow_->setCocoaFrame(popoverFrameWithSize(contentSize_, arrowDirection()));
    popoverWindow_->update();

    popoverWindow_->setAlphaAnimationDelegate(this);
    if (delegate_) {
        delegate_->popoverWillShow(this);
    }
    if (animates_ && animationType_ != QNPopoverAnimationTypeFadeOut) {
        popoverWindow_->presentAnimated();
    } else {
        popoverWindow_->setWindowOpacity(1.0);
        addPanelToParentWindow();
        popoverWindow_->makeKeyAndOrderFront();
        if (delegate_) {
            delegate_->popoverDidShow(this);
        }
    }

    observeAnchor(anchorsToPositionView);
    if (closesWhenPopoverResignsKey_) {
        observers_.push_back(connect(popoverWindow_.get(), &QNPopoverWindow::didResignKey, this,
                                     &QNPopoverController::popoverResignedKey));
        if (!closesWhenApplicationBecomesInactive_) {
            observers_.push_back(connect(qApp, &QGuiApplication::applicationStateChanged, this,
                                         [this](Qt::ApplicationState state) {
                                             if (state == Qt::ApplicationActive) {
                                                 applicationDidBecomeActive();
                                             }
                                         }));
        }
    } else if (closesWhenApplicationBecomesInactive_) {
        observers_.push_back(connect(qApp, &QGuiApplication::applicationStateChanged, this,
                                     [this](Qt::ApplicationState state) {
                                         if (state != Qt::ApplicationActive) {
                                             closePopover();
                                         }
                                     }));
    }
}

void QNPopoverController::addPanelToParentWindow() {
    if (parentWindow_) {
        kit::ChildWindows::addChildWindow(parentWindow_, popoverWindow_.get());
    }
}

void QNPopoverController::animationDidStop(bool /*finished*/) {
    const double alpha = popoverWindow_->windowOpacity();
    if (alpha == 0.0) {
        _closePopoverAndResetVariables();
    } else if (alpha == 1.0) {
        addPanelToParentWindow();
        if (delegate_) {
            delegate_->popoverDidShow(this);
        }
    }
}

// --- closing ---------------------------------------------------------------------------------------------

void QNPopoverController::closePopover() {
    if (!popoverIsVisible()) {
        return;
    }
    if (delegate_ && !delegate_->popoverShouldClose(this)) {
        return;
    }
    forceClosePopover();
}

void QNPopoverController::popoverResignedKey() {
    if (!closesWhenApplicationBecomesInactive_ && !applicationIsActive()) {
        return;  // the key status went to another application: the popover stays
    }
    closePopover();
}

void QNPopoverController::forceClosePopover() {
    if (!popoverIsVisible()) {
        return;
    }
    if (delegate_) {
        delegate_->popoverWillClose(this);
    }
    if (animates_ && animationType_ != QNPopoverAnimationTypeFadeIn) {
        popoverWindow_->dismissAnimated();
    } else {
        _closePopoverAndResetVariables();
    }
}

void QNPopoverController::_closePopoverAndResetVariables() {
    // The parent window takes the key status back only from the panel, never from another window the
    // user went to or from another application.
    const bool panelWasKey = popoverWindow_->isActiveWindow();
    popoverWindow_->orderOut();
    if (delegate_) {
        delegate_->popoverDidClose(this);
    }
    if (parentWindow_) {
        kit::ChildWindows::removeChildWindow(parentWindow_, popoverWindow_.get());
        if (panelWasKey) {
            parentWindow_->raise();
            parentWindow_->activateWindow();
        }
    }
    _setArrowDirection(QNPopoverArrowDirectionNone);
    stopObserving();
    presented_ = false;
    positionView_ = nullptr;
    parentWindow_ = nullptr;
    screenRect_ = QRectF();
    viewRect_ = QRectF();
    // At once rather than on the next pass: a popover presented again right away keeps its new delegate.
    popoverWindow_->setAlphaAnimationDelegate(nullptr);
}

// --- following the anchor and the key status -------------------------------------------------------------

void QNPopoverController::observeAnchor(bool follow) {
    // A destroyed anchor closes the popover on the next pass, when its window (which may be going too) has
    // either gone or settled.
    observers_.push_back(connect(positionView_, &QObject::destroyed, this,
                                 &QNPopoverController::positionViewDestroyed, Qt::QueuedConnection));
    if (!follow) {
        return;
    }
    for (QWidget* view = positionView_; view && !view->isWindow(); view = view->parentWidget()) {
        view->installEventFilter(this);
        followed_.emplace_back(view);
    }
}

void QNPopoverController::stopObserving() {
    for (const QMetaObject::Connection& connection : observers_) {
        disconnect(connection);
    }
    observers_.clear();
    for (const QPointer<QWidget>& view : followed_) {
        if (view) {
            view->removeEventFilter(this);
        }
    }
    followed_.clear();
}

bool QNPopoverController::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && popoverIsVisible()) {
        _positionViewFrameChanged();
    }
    return QObject::eventFilter(watched, event);
}

void QNPopoverController::_positionViewFrameChanged() {
    const QWidget* positionView = positionView_;
    if (!positionView) {
        return;
    }
    const QWidget* superview = positionView->parentWidget();
    if (superview && !superview->rect().contains(positionView->geometry())) {
        forceClosePopover();
        return;
    }
    screenRect_ = anchorScreenRect();
    const QRectF frame = popoverFrameWithSize(contentSize_, arrowDirection());
    popoverWindow_->setCocoaFrame(QRectF(frame.topLeft(), popoverWindow_->cocoaFrame().size()));
    popoverWindow_->update();
}

void QNPopoverController::positionViewDestroyed() {
    if (!presented_) {
        return;
    }
    if (popoverIsVisible()) {
        forceClosePopover();
        return;
    }
    // Hidden with its window, which went with the anchor: nothing is left to animate.
    if (delegate_) {
        delegate_->popoverWillClose(this);
    }
    _closePopoverAndResetVariables();
}

void QNPopoverController::applicationDidBecomeActive() {
    if (popoverWindow_->isVisible()) {
        QTimer::singleShot(0, this, &QNPopoverController::checkPopoverKeyWindowStatus);
    }
}

void QNPopoverController::checkPopoverKeyWindowStatus() {
    if (!parentWindow_) {
        return;
    }
    const auto* parent = qobject_cast<const QNPopoverParentWindow*>(parentWindow_.data());
    const bool parentIsKey = parent ? parent->isReallyKeyWindow() : parentWindow_->isActiveWindow();
    if (parentIsKey) {
        popoverWindow_->makeKeyAndOrderFront();
    }
}

// --- the look --------------------------------------------------------------------------------------------

QColor QNPopoverController::color() const {
    return popoverWindow_->frameView()->color();
}

void QNPopoverController::setColor(const QColor& color) {
    popoverWindow_->frameView()->setColor(color);
}

QColor QNPopoverController::borderColor() const {
    return popoverWindow_->frameView()->borderColor();
}

void QNPopoverController::setBorderColor(const QColor& color) {
    popoverWindow_->frameView()->setBorderColor(color);
}

QColor QNPopoverController::topHighlightColor() const {
    return popoverWindow_->frameView()->topHighlightColor();
}

void QNPopoverController::setTopHighlightColor(const QColor& color) {
    popoverWindow_->frameView()->setTopHighlightColor(color);
}

double QNPopoverController::borderWidth() const {
    return popoverWindow_->frameView()->borderWidth();
}

void QNPopoverController::setBorderWidth(double width) {
    popoverWindow_->frameView()->setBorderWidth(width);
}

double QNPopoverController::cornerRadius() const {
    return popoverWindow_->frameView()->cornerRadius();
}

void QNPopoverController::setCornerRadius(double radius) {
    popoverWindow_->frameView()->setCornerRadius(radius);
}

QSizeF QNPopoverController::arrowSize() const {
    return popoverWindow_->frameView()->arrowSize();
}

void QNPopoverController::setArrowSize(const QSizeF& size) {
    popoverWindow_->frameView()->setArrowSize(size);
}

int QNPopoverController::arrowDirection() const {
    return popoverWindow_->frameView()->arrowDirection();
}

void QNPopoverController::_setArrowDirection(int direction) {
    popoverWindow_->frameView()->setArrowDirection(direction);
}
