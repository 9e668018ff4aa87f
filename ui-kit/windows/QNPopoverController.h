#pragma once

#include "ui-kit/windows/PopoverGeometry.h"

#include <QColor>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSizeF>

#include <memory>
#include <vector>

class QNPopoverControllerDelegate;
class QNPopoverWindow;
class QWidget;

// How showing and closing are animated when the controller animates.
enum QNPopoverAnimationType : qint64 {
    QNPopoverAnimationTypePop = 0,        // shows by zooming a snapshot, fades out
    QNPopoverAnimationTypeFadeIn = 1,     // fades in, closes at once
    QNPopoverAnimationTypeFadeOut = 2,    // shows at once, fades out
    QNPopoverAnimationTypeFadeInOut = 3,  // fades in and out
};

// A popover: a small translucent panel with a rounded body and an arrow pointing at a rectangle of a view
// in another window, holding one content view. It is placed beside the rectangle on the side asked for,
// or on another one that fits on that view's screen; it follows the view while shown, and closes on Esc,
// when it stops being the key window (unless the key status went to another application), when the view
// leaves its superview's bounds or is destroyed. Closing asks the delegate first, except when forced.
//
// Use a new controller for each opening:
//
//     popover_ = std::make_unique<QNPopoverController>(pickerView_.get());  // takes pickerView_'s size
//     popover_->setColor(kit::popoverEdge());
//     popover_->setBorderColor(kit::popoverEdge());
//     popover_->setBorderWidth(2);
//     popover_->setAnimates(true);
//     popover_->presentPopoverFromRect(diskButton->rect(), diskButton, QNPopoverArrowDirectionLeft, true);
//     ...
//     if (popover_ && popover_->popoverIsVisible()) { popover_->closePopover(); }  // a second press
//
// The content view is not owned: own it yourself (a unique_ptr or a member), not through a Qt parent. The
// panel holds it as a child while the controller lives and hands it back without a parent when the
// controller is destroyed, shown or not; a controller destroyed while shown or animating closes its panel
// at once and tells its delegate nothing. The rectangle is in the view's own (Qt) coordinates; the
// placement is worked out in Cocoa screen coordinates (kit::popover).
class QNPopoverController : public QObject {
    Q_OBJECT

public:
    QNPopoverController();
    explicit QNPopoverController(QWidget* contentViewController);
    ~QNPopoverController() override;
    QNPopoverController(const QNPopoverController&) = delete;
    QNPopoverController& operator=(const QNPopoverController&) = delete;

    // Shows the popover beside `rect` of `view`; ignored while it is visible or without a view. With
    // `anchorsToPositionView` it follows the view's moves and size changes.
    void presentPopoverFromRect(const QRectF& rect, QWidget* view, int preferredArrowDirection,
                                bool anchorsToPositionView);
    // Closes unless the delegate refuses.
    void closePopover();
    // Closes without asking.
    void forceClosePopover();
    bool popoverIsVisible() const;

    // The panel's frame for a content size and direction beside the current anchor, in Cocoa screen
    // coordinates.
    QRectF popoverFrameWithSize(const QSizeF& size, int direction) const;
    void recalculateAndResetArrowDirection();

    // The content view (its own controller): not owned.
    QWidget* contentViewController() const { return contentViewController_; }
    void setContentViewController(QWidget* controller);
    void setContectViewController(QWidget* controller) { setContentViewController(controller); }
    QWidget* contentView() const;
    QSizeF contentSize() const { return contentSize_; }
    void setContentSize(const QSizeF& size);

    QWidget* positionView() const { return positionView_; }
    QNPopoverWindow* popoverWindow() const { return popoverWindow_.get(); }
    // The anchor in screen (Cocoa) and in view coordinates while shown; the null rectangle otherwise.
    QRectF screenRect() const { return screenRect_; }
    QRectF viewRect() const { return viewRect_; }

    bool closesWhenEscapeKeyPressed() const { return closesWhenEscapeKeyPressed_; }
    void setClosesWhenEscapeKeyPressed(bool closes) { closesWhenEscapeKeyPressed_ = closes; }
    bool closesWhenPopoverResignsKey() const { return closesWhenPopoverResignsKey_; }
    void setClosesWhenPopoverResignsKey(bool closes) { closesWhenPopoverResignsKey_ = closes; }
    bool closesWhenApplicationBecomesInactive() const { return closesWhenApplicationBecomesInactive_; }
    void setClosesWhenApplicationBecomesInactive(bool closes) {
        closesWhenApplicationBecomesInactive_ = closes;
    }
    bool animates() const { return animates_; }
    void setAnimates(bool animates) { animates_ = animates; }
    qint64 animationType() const { return animationType_; }
    void setAnimationType(qint64 type) { animationType_ = type; }
    QNPopoverControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(QNPopoverControllerDelegate* delegate) { delegate_ = delegate; }

    // The look, kept by the panel's frame view.
    QColor color() const;
    void setColor(const QColor& color);
    QColor borderColor() const;
    void setBorderColor(const QColor& color);
    QColor topHighlightColor() const;
    void setTopHighlightColor(const QColor& color);
    double borderWidth() const;
    void setBorderWidth(double width);
    double cornerRadius() const;
    void setCornerRadius(double radius);
    QSizeF arrowSize() const;
    void setArrowSize(const QSizeF& size);
    int arrowDirection() const;
    void _setArrowDirection(int direction);

    // The end of the panel's alpha animation (or of its pop).
    void animationDidStop(bool finished);
    void applicationDidBecomeActive();
    void checkPopoverKeyWindowStatus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void _setInitialPropertyValues();
    int _arrowDirectionWithPreferredArrowDirection(int preferred) const;
    QRectF anchorScreenRect() const;
    QRectF screenFrame() const;
    void addPanelToParentWindow();
    void _closePopoverAndResetVariables();
    void _positionViewFrameChanged();
    void positionViewDestroyed();
    void popoverResignedKey();
    void observeAnchor(bool follow);
    void stopObserving();

    std::unique_ptr<QNPopoverWindow> popoverWindow_;
    QRectF screenRect_;
    QRectF viewRect_;
    bool closesWhenEscapeKeyPressed_ = true;
    bool closesWhenPopoverResignsKey_ = true;
    bool closesWhenApplicationBecomesInactive_ = false;
    bool animates_ = true;
    QNPopoverControllerDelegate* delegate_ = nullptr;
    qint64 animationType_ = QNPopoverAnimationTypePop;
    QPointer<QWidget> contentViewController_;
    QPointer<QWidget> positionView_;
    QPointer<QWidget> parentWindow_;  // the position view's window, which may outlive the view
    QSizeF contentSize_;
    bool presented_ = false;  // from presenting to close-and-reset

    std::vector<QMetaObject::Connection> observers_;
    std::vector<QPointer<QWidget>> followed_;  // the position view and its ancestors inside the window
};
