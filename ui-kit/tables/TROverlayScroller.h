#pragma once

#include <QPointer>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QTimer>

#include <chrono>

// A vertical scroller that draws only its knob, no track, and lies over its scroll view's content (see
// TROverlayScrollView). It starts fully opaque; from the first scroll step or hover on it shows at half
// opacity: each scroll step animates to 0.5 and schedules a fade-out 1.5 seconds later (a later step
// replaces the schedule), entering it animates to 0.5 and cancels the schedule, moving inside sets 0.5 at
// once, leaving fades out, and the fade-out, too, animates to 0.5. A scroller with nothing to scroll
// draws nothing.
class TROverlayScroller : public QScrollBar {
    Q_OBJECT
    Q_PROPERTY(double alphaValue READ alphaValue WRITE setAlphaValue)

public:
    static constexpr std::chrono::milliseconds kFadeOutDelay{1500};
    static constexpr std::chrono::milliseconds kFadeDuration{500};
    static constexpr double kMinimumKnobLength = 18;

    explicit TROverlayScroller(QWidget* parent = nullptr);

    double alphaValue() const { return alphaValue_; }
    void setAlphaValue(double alpha);
    void fadeOut();
    const QTimer& fadeOutTimer() const { return fadeOutTimer_; }

    // The knob for a track `length` long, in the track's coordinates (along the track: y).
    static QRectF knobRect(const QSizeF& track, int minimum, int maximum, int pageStep, int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void sliderChange(SliderChange change) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void animateAlphaValue(double alpha, std::chrono::milliseconds duration);
    void stopAlphaAnimation();
    void mouseEntered();
    void mouseMoved();
    QRectF knobRect() const;
    int valueForKnobTop(double top) const;

    double alphaValue_ = 1.0;
    QTimer fadeOutTimer_;
    QPointer<QPropertyAnimation> alphaAnimation_;
    double dragOffset_ = -1;  // where in the knob a drag holds it; negative: no drag
};
