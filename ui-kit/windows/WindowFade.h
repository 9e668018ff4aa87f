#pragma once

#include <functional>

class QWidget;

namespace kit {

// Window fades: the window's opacity animated to a target over the platform's default animation duration.
// A window runs one fade at a time; a new fade stops the running one, whose completion is then told that
// it did not finish. The completion runs on the main thread; the window may be closed from inside it.
class WindowFade {
public:
    using Completion = std::function<void(bool finished)>;

    static constexpr int kDefaultDurationMs = 250;

    // Opacity 0, shown, then animated to 1.
    static void fadeIn(QWidget* window, Completion done = {});
    // Animated to 0; the window stays shown (at opacity 0) for the completion to close it.
    static void fadeOut(QWidget* window, Completion done = {});
    static void animateOpacity(QWidget* window, double target, Completion done = {});

    // Tests shorten the fades; 0 or less restores the default.
    static void setDurationForTesting(int milliseconds);
};

}  // namespace kit
