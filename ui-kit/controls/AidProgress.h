#pragma once

#include "ui-kit/controls/DrawnProgressBar.h"

#include <QVariantAnimation>

#include <chrono>

// The First Aid output's bar: a dark track the full height of the view with a blue fill. While it is set
// running it shows no percentage: a short fill sweeps along the track instead.
class AidProgress : public kit::DrawnProgressBar {
    Q_OBJECT

public:
    static constexpr double kSweepShare = 0.25;  // of the track
    static constexpr std::chrono::milliseconds kSweepDuration{1500};

    explicit AidProgress(QWidget* parent = nullptr);

    void setRunning(bool running);
    bool isRunning() const { return sweep_.state() == QAbstractAnimation::Running; }
    QList<kit::DrawnShape> barShapes(const QSizeF& size, float filledWidth) const override;
    // The sweeping fill at `phase` (0 to 1, entering at the left, leaving at the right), cut to the track.
    static QRectF sweepRect(const QSizeF& size, double phase);

private:
    QVariantAnimation sweep_;
};
