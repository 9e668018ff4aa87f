#include "ui-kit/windows/WindowFade.h"

#include "platform/TestSettings.h"

#include <QPropertyAnimation>
#include <QWidget>

#include <utility>

namespace kit {

namespace {

int& testDuration() {
    static int milliseconds = 0;
    return milliseconds;
}

// The running fade of one window, a child of that window. A fade that dies with its window tells nobody.
class Fade : public QPropertyAnimation {
    Q_OBJECT

public:
    Fade(QWidget* window, WindowFade::Completion done)
        : QPropertyAnimation(window, "windowOpacity", window), done_(std::move(done)) {
        connect(this, &QAbstractAnimation::finished, this, [this] { end(true); });
    }

    static Fade* runningFade(const QWidget* window) {
        for (Fade* fade : window->findChildren<Fade*>(Qt::FindDirectChildrenOnly)) {
            if (fade->running_) {
                return fade;
            }
        }
        return nullptr;
    }

    void end(bool finished) {
        running_ = false;  // no longer the window's running fade
        deleteLater();
        WindowFade::Completion done = std::move(done_);
        done_ = nullptr;
        if (done) {
            done(finished);
        }
    }

private:
    WindowFade::Completion done_;
    bool running_ = true;
};

}  // namespace

void WindowFade::fadeIn(QWidget* window, Completion done) {
    window->setWindowOpacity(0.0);
    window->show();
    animateOpacity(window, 1.0, std::move(done));
}

void WindowFade::fadeOut(QWidget* window, Completion done) {
    animateOpacity(window, 0.0, std::move(done));
}

void WindowFade::animateOpacity(QWidget* window, double target, Completion done) {
    if (Fade* running = Fade::runningFade(window)) {
        running->stop();
        running->end(false);
    }
    auto* fade = new Fade(window, std::move(done));  // owned by the window until it ends
    fade->setDuration(testDuration() > 0 ? testDuration() : kDefaultDurationMs);
    fade->setEndValue(target);
    fade->start();
}

void WindowFade::setDurationForTesting(int milliseconds) {
    platform::restoreAfterTest([old = std::exchange(testDuration(), milliseconds)] { testDuration() = old; });
}

}  // namespace kit

#include "WindowFade.moc"
