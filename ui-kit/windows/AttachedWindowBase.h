#pragma once

#include "ui-kit/windows/AttachedWindowGeometry.h"

#include <QBrush>
#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <utility>

namespace kit {

// What the three attached windows share: a borderless, transparent window that shows one view next to
// an anchor point, on a painted body (a rounded rectangle with an optional arrow pointing at the point).
// The body is painted into an image once per change and tiled as the window's background; ordinary
// redraws only tile it.
//
// The window does not own its view: it holds it as a child while it lives and hands it back (without a
// parent) when it is destroyed, and it copes with a view that its owner destroys first. The window whose
// coordinates the point is given in (the parent window) is not owned either; a parent that is destroyed
// counts as none. Once destruction has begun the window tells nobody anything.
template <class WindowBase>
class AttachedWindowBase : public WindowBase {
public:
    ~AttachedWindowBase() override;
    AttachedWindowBase(const AttachedWindowBase&) = delete;
    AttachedWindowBase& operator=(const AttachedWindowBase&) = delete;

    // The body's fill (a colour or a pattern), not the window's own background.
    void setBackgroundColor(const QBrush& color);
    QBrush windowBackgroundColor() const { return fillColor_; }
    void setBorderColor(const QColor& color);
    QColor borderColor() const { return borderColor_; }
    void setBorderWidth(float width);
    float borderWidth() const { return borderWidth_; }
    void setViewMargin(float margin);
    float viewMargin() const { return style_.viewMargin; }
    void setCornerRadius(float radius);
    float cornerRadius() const { return style_.cornerRadius; }
    void setArrowBaseWidth(float width);
    float arrowBaseWidth() const { return style_.arrowBaseWidth; }
    void setArrowHeight(float height);
    float arrowHeight() const { return style_.arrowHeight; }
    // The two flags pass as floats: they read 0 or 1; a new value is compared as a float and stored
    // truncated (0.5 stores false).
    void setHasArrow(float flag);
    float hasArrow() const { return style_.hasArrow ? 1.0f : 0.0f; }
    void setDrawsRoundCornerBesideArrow(float flag);
    float drawsRoundCornerBesideArrow() const { return style_.drawsRoundCornerBesideArrow ? 1.0f : 0.0f; }
    // A pattern of the image becomes the fill; a null image is ignored.
    void setBackgroundImage(const QPixmap& image);
    // Re-anchors the window; the side is taken as given, the automatic value included.
    void setPoint(const QPointF& point, AttachedWindowSide side);

    // The close command closes the parent window when there is one; a window without a close button
    // of its own refuses it otherwise.
    void performClose();
    void center();

    QWidget* view() const { return view_; }
    QWidget* parentWindow() const { return window_; }
    QPointF point() const { return point_; }
    AttachedWindowSide side() const { return side_; }
    float distance() const { return distance_; }
    QRectF viewFrame() const { return viewFrame_; }
    // The window's frame in Cocoa screen coordinates.
    QRectF cocoaFrame() const;
    // The window's own background: the painted body, as a pattern.
    const QBrush& backgroundColor() const { return windowBackground_; }

    // Qt's coordinates are already in points: the user-space scale factor is 1.
    static double userSpaceScaleFactor() { return 1.0; }

protected:
    // The class's defaults (its column of the table of differences).
    struct Defaults {
        QColor windowBackground;  // the window's own background until the body is painted
        QBrush fillColor;
        QColor borderColor;
        float borderWidth = 1;
        AttachedWindowStyle style;
    };

    template <class... Args>
    explicit AttachedWindowBase(Args&&... args) : WindowBase(std::forward<Args>(args)...) {}

    // The common steps of the initialiser, after the class's own window settings.
    void attachView(QWidget* view, const QPointF& point, QWidget* window, AttachedWindowSide side,
                    float distance, const Defaults& defaults);
    // The window stopped being the key window. Not told once destruction has begun.
    virtual void resignedKey() {}

    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF anchorInScreen() const;
    int _bestSideForAutomaticPosition() const;
    void _updateGeometry();
    void _updateBackground();
    void _redisplay();
    QPixmap _backgroundColorPatternImage() const;

    QColor borderColor_;
    float borderWidth_ = 0;
    AttachedWindowStyle style_;
    QBrush fillColor_;
    QPointer<QWidget> view_;
    QPointer<QWidget> window_;
    QPointF point_;
    AttachedWindowSide side_ = AttachedWindowSideAutomatic;
    float distance_ = 0;
    QRectF viewFrame_;
    bool resizing_ = false;

    QSizeF viewSize_;    // the view's size at the last layout, kept for a view that is gone
    QSize laidOutSize_;  // the size the last layout gave the window
    QBrush windowBackground_;
    bool isKey_ = false;
    bool tearingDown_ = false;
};

// The six shorter initialisers, which fill what they lack with no parent window, the automatic side and
// a distance of 0, and forward to the class's own initialiser.
template <class Window>
class AttachedWindowInitialisers {
public:
    static std::unique_ptr<Window> initWithView(QWidget* view, const QPointF& point, QWidget* window,
                                                float distance) {
        return Window::initWithView(view, point, window, AttachedWindowSideAutomatic, distance);
    }
    static std::unique_ptr<Window> initWithView(QWidget* view, const QPointF& point, AttachedWindowSide side,
                                                float distance) {
        return Window::initWithView(view, point, nullptr, side, distance);
    }
    static std::unique_ptr<Window> initWithView(QWidget* view, const QPointF& point, float distance) {
        return Window::initWithView(view, point, nullptr, AttachedWindowSideAutomatic, distance);
    }
    static std::unique_ptr<Window> initWithView(QWidget* view, const QPointF& point, QWidget* window) {
        return Window::initWithView(view, point, window, AttachedWindowSideAutomatic, 0.0f);
    }
    static std::unique_ptr<Window> initWithView(QWidget* view, const QPointF& point,
                                                AttachedWindowSide side) {
        return Window::initWithView(view, point, nullptr, side, 0.0f);
    }
    static std::unique_ptr<Window> initWithView(QWidget* view, const QPointF& point) {
        return Window::initWithView(view, point, nullptr, AttachedWindowSideAutomatic, 0.0f);
    }
};

}  // namespace kit
