#pragma once

#include "ui-kit/windows/QNPopoverController.h"

#include <QLabel>
#include <QPointer>
#include <QPropertyAnimation>
#include <QRectF>
#include <QWidget>

#include <memory>

class QNPopoverWindowFrame;

// The popover's panel: a frameless, translucent tool window that can take the key status (so that it gets
// Esc). Its frame view paints the body and holds the content view at the content rectangle; the panel
// itself paints only the body's shadow, which the window server would add on a Mac. It runs the show and
// close animations; their ends go to the controller set as the alpha animation's delegate.
//
// The panel does not own its content view: it holds it as a child while it lives and hands it back
// (without a parent) when it is destroyed. Destroying the panel stops its animations silently.
class QNPopoverWindow : public QWidget {
    Q_OBJECT

public:
    // A panel for a content rectangle in Cocoa screen coordinates.
    explicit QNPopoverWindow(const QRectF& contentRect = QRectF());
    ~QNPopoverWindow() override;
    QNPopoverWindow(const QNPopoverWindow&) = delete;
    QNPopoverWindow& operator=(const QNPopoverWindow&) = delete;

    QNPopoverWindowFrame* frameView() const { return frameView_; }
    QWidget* popoverContentView() const { return popoverContentView_; }
    void setPopoverContentView(QWidget* view);
    void setContentView(QWidget* view) { setPopoverContentView(view); }

    QNPopoverController* popoverController() const { return popoverController_; }
    void setPopoverController(QNPopoverController* controller) { popoverController_ = controller; }
    QNPopoverController* alphaAnimationDelegate() const { return alphaAnimationDelegate_; }
    void setAlphaAnimationDelegate(QNPopoverController* delegate) { alphaAnimationDelegate_ = delegate; }

    // Shown, or zooming into view.
    bool isVisibleOrZooming() const;
    QWidget* zoomWindow() const { return zoomWindow_.get(); }

    QRectF contentRectForFrameRect(const QRectF& frame) const;
    QRectF frameRectForContentRect(const QRectF& content) const;
    // The frame in Cocoa screen coordinates.
    QRectF cocoaFrame() const;
    void setCocoaFrame(const QRectF& frame);

    void makeKeyAndOrderFront();
    // Hides the panel and drops the zoom window, stopping the animations without their end steps.
    void orderOut();

    void presentAnimated();
    void dismissAnimated();
    void cancelOperation();

signals:
    void didResignKey();

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void presentWithFadeAnimation();
    void presentWithPopAnimation();
    std::unique_ptr<QLabel> _zoomWindowWithRect(const QRectF& rect);
    void zoomAnimationDidStop();
    void alphaAnimationDidStop(bool finished);
    void dropZoomWindow();
    void releaseContentView();
    QRect contentGeometry() const;

    QNPopoverWindowFrame* frameView_;
    QPointer<QWidget> popoverContentView_;
    QPointer<QNPopoverController> popoverController_;
    QPointer<QNPopoverController> alphaAnimationDelegate_;
    std::unique_ptr<QLabel> zoomWindow_;
    QPointer<QPropertyAnimation> zoomAnimation_;
    bool isKey_ = false;
    bool tearingDown_ = false;
};
