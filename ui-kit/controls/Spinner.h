#pragma once

#include <QWidget>

#include <chrono>

class QTimer;

namespace kit {

// The kit's turning indicator: twelve spokes round the centre, the darkest one stepping on clockwise and
// the others fading behind it. It turns while it is shown and stands still while it, or its window, is
// hidden, so a hidden spinner costs nothing.
class Spinner : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSpokes = 12;
    static constexpr std::chrono::milliseconds kStepInterval{80};

    explicit Spinner(QWidget* parent = nullptr);

    bool isSpinning() const;
    // The darkest spoke, counted clockwise from the top.
    int frame() const { return frame_; }
    // One step on; the timer calls it while the spinner is shown.
    void step();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer* timer_;
    int frame_ = 0;
};

}  // namespace kit
