#pragma once

#include "ui-kit/backgrounds/DrawnShape.h"

#include <QWidget>

namespace kit {

// A drawn progress bar: a rounded track with a rounded fill on top. It keeps one number, the filled width in
// points, set from a percentage through changeProgressValue() against the view's width at that moment;
// resizing the view later does not rescale the fill until the next value. The shapes come from the view's
// size and that width alone, so every redraw paints the whole bar.
class DrawnProgressBar : public QWidget {
    Q_OBJECT

public:
    explicit DrawnProgressBar(QWidget* parent = nullptr);

    // Percentages below 0, and NaN, count as 0; above 100 as 100.
    void changeProgressValue(float percent);
    float filledWidth() const { return filled_; }

    // The filled width for a percentage of a bar `width` points wide: less than one point short of full,
    // or beyond, is drawn full.
    static float filledWidthFor(float width, float percent);

    virtual QList<DrawnShape> barShapes(const QSizeF& size, float filledWidth) const = 0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    float filled_ = 0;
};

}  // namespace kit
