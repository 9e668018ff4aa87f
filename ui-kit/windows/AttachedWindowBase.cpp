#include "ui-kit/windows/AttachedWindowBase.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/windows/PopBaseWindow.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>

#include <cmath>

namespace kit {

namespace geometry = kit::attached;

namespace {

QRectF screenFrameOf(const QWidget* window) {
    return kit::cocoaRect(QRectF(window->frameGeometry()), kit::primaryScreenHeight());
}

// Screen updates held back around one layout-and-paint step, so that frame and background change together.
class UpdatesHeld {
public:
    explicit UpdatesHeld(QWidget* window) : window_(window), wasEnabled_(window->updatesEnabled()) {
        window_->setUpdatesEnabled(false);
    }
    ~UpdatesHeld() { window_->setUpdatesEnabled(wasEnabled_); }
    UpdatesHeld(const UpdatesHeld&) = delete;
    UpdatesHeld& operator=(const UpdatesHeld&) = delete;

private:
    QWidget* window_;
    bool wasEnabled_;
};

}  // namespace

template <class WindowBase>
AttachedWindowBase<WindowBase>::~AttachedWindowBase() {
    tearingDown_ = true;
    if (QWidget* view = view_; view && view->parentWidget() == this) {
        view->hide();
        view->setParent(nullptr);  // the view's owner deletes it, not this window
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::attachView(QWidget* view, const QPointF& point, QWidget* window,
                                                AttachedWindowSide side, float distance,
                                                const Defaults& defaults) {
    view_ = view;
    viewSize_ = view->size();
    window_ = window;
    point_ = point;
    side_ = side;
    distance_ = distance;
    this->setAttribute(Qt::WA_TranslucentBackground);
    windowBackground_ = defaults.windowBackground;
    fillColor_ = defaults.fillColor;
    borderColor_ = defaults.borderColor;
    borderWidth_ = defaults.borderWidth;
    style_ = defaults.style;
    resizing_ = false;
    if (side_ == AttachedWindowSideAutomatic) {
        side_ = static_cast<AttachedWindowSide>(_bestSideForAutomaticPosition());
    }
    _updateGeometry();
    _updateBackground();
    view->setParent(this);
    view->show();
}

template <class WindowBase>
QRectF AttachedWindowBase<WindowBase>::cocoaFrame() const {
    return screenFrameOf(this);
}

template <class WindowBase>
QPointF AttachedWindowBase<WindowBase>::anchorInScreen() const {
    if (!window_) {
        return point_;
    }
    return screenFrameOf(window_).topLeft() + point_;  // a Cocoa frame's topLeft() is its origin
}

template <class WindowBase>
int AttachedWindowBase<WindowBase>::_bestSideForAutomaticPosition() const {
    const QScreen* screen =
        window_ && window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    const QRectF visible =
        screen ? kit::cocoaRect(QRectF(screen->availableGeometry()), kit::primaryScreenHeight()) : QRectF();
    std::optional<QRectF> parentFrame;
    if (window_) {
        parentFrame = screenFrameOf(window_);
    }
    return geometry::bestSide(viewSize_, anchorInScreen(), distance_, style_, userSpaceScaleFactor(), visible,
                              parentFrame);
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::_updateGeometry() {
    if (const QWidget* view = view_) {
        viewSize_ = view->size();
    }
    const geometry::Layout layout =
        geometry::layout(viewSize_, anchorInScreen(), side_, distance_, style_, userSpaceScaleFactor());
    const QRect frame = kit::cocoaRect(layout.frame, kit::primaryScreenHeight()).toRect();
    laidOutSize_ = frame.size();
    this->setGeometry(frame);
    viewFrame_ = layout.viewFrame;
    if (view_) {
        view_->setGeometry(kit::cocoaRect(viewFrame_, frame.height()).toRect());
    }
}

template <class WindowBase>
QPixmap AttachedWindowBase<WindowBase>::_backgroundColorPatternImage() const {
    const QSizeF size = this->size();
    const qreal ratio = this->devicePixelRatioF();
    QImage image((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);

    const double s = userSpaceScaleFactor();
    const QPainterPath outline =
        kit::cocoaPath(geometry::backgroundPath(viewFrame_, side_, style_, s), size.height());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(outline);
    painter.fillPath(outline, fillColor_);
    if (borderWidth_ > 0) {
        // Twice as wide as asked: the clip keeps the inner half, so the border lies inside the body.
        QPen pen(borderColor_, borderWidth_ * 2 * s);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.strokePath(outline, pen);
    }
    painter.end();
    return QPixmap::fromImage(image);
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::_updateBackground() {
    const UpdatesHeld held(this);
    windowBackground_ = QBrush(_backgroundColorPatternImage());
    if (this->isVisible()) {
        this->update();
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::_redisplay() {
    if (resizing_) {
        return;
    }
    resizing_ = true;
    {
        const UpdatesHeld held(this);
        _updateGeometry();
        _updateBackground();
    }
    resizing_ = false;
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setBackgroundColor(const QBrush& color) {
    if (color != fillColor_) {
        fillColor_ = color;
        _updateBackground();
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setBorderColor(const QColor& color) {
    if (color != borderColor_) {
        borderColor_ = color;
        _updateBackground();
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setBorderWidth(float width) {
    if (width != borderWidth_) {
        borderWidth_ = geometry::clampedBorderWidth(width, style_.viewMargin);
        _updateBackground();
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setViewMargin(float margin) {
    if (margin != style_.viewMargin) {
        style_.viewMargin = std::max(0.0f, margin);
        setCornerRadius(style_.cornerRadius);
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setCornerRadius(float radius) {
    style_.cornerRadius = geometry::clampedCornerRadius(radius, viewFrame_, style_);
    setArrowBaseWidth(style_.arrowBaseWidth);
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setArrowBaseWidth(float width) {
    style_.arrowBaseWidth = geometry::clampedArrowBaseWidth(width, viewFrame_, style_);
    _redisplay();
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setArrowHeight(float height) {
    if (height != style_.arrowHeight) {
        style_.arrowHeight = height;
        _redisplay();
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setHasArrow(float flag) {
    if (flag != hasArrow()) {
        style_.hasArrow = std::fabs(flag) >= 1.0f;  // truncated as an integer would be; NaN is NO
        _updateBackground();
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setDrawsRoundCornerBesideArrow(float flag) {
    if (flag != drawsRoundCornerBesideArrow()) {
        style_.drawsRoundCornerBesideArrow =
            std::fabs(flag) >= 1.0f;  // truncated as an integer would be; NaN is NO
        _redisplay();
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setBackgroundImage(const QPixmap& image) {
    if (!image.isNull()) {
        setBackgroundColor(QBrush(image));
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::setPoint(const QPointF& point, AttachedWindowSide side) {
    point_ = point;
    side_ = side;
    const UpdatesHeld held(this);
    _updateGeometry();
    _updateBackground();
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::performClose() {
    if (!window_) {
        QApplication::beep();
        return;
    }
    if (auto* titled = qobject_cast<TCImageWindow*>(window_.data())) {
        titled->performClose();
    } else {
        window_->close();
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::center() {
    centerWindow(this);
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::changeEvent(QEvent* event) {
    WindowBase::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || tearingDown_) {
        return;
    }
    const bool wasKey = std::exchange(isKey_, this->isActiveWindow());
    if (wasKey && !isKey_) {
        resignedKey();
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::resizeEvent(QResizeEvent* event) {
    WindowBase::resizeEvent(event);
    // The window's own layouts resize it to the size they chose; any other resize lays it out again.
    if (event->size() != laidOutSize_) {
        _redisplay();
    }
}

template <class WindowBase>
void AttachedWindowBase<WindowBase>::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(this->rect(), windowBackground_);
}

template class AttachedWindowBase<QWidget>;
template class AttachedWindowBase<PopBaseWindow>;

}  // namespace kit
