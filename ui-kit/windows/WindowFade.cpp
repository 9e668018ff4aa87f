#include "ui-kit/windows/WindowFade.h"

#include <QPropertyAnimation>
#include <QWidget>

namespace kit {

namespace {

int& testDuration() {
    static int milliseconds = 0;
    return milliseconds;
}

QString fadeName() {
    return QStringLiteral("WindowFade");
}

// The running fade of one window, a child of that window. A fade that dies with its window tells nobody.
class Fade : public QPropertyAnimation {
public:
    Fade(QWidget* window, WindowFade::Completion done)
        : QPropertyAnimation(window, "windowOpacity", window), done_(std::move(done)) {
        setObjectName(fadeName());
        connect(this, &QAbstractAnimation::finished, this, [this] { end(true); });
    }

    static Fade* runningFade(const QWidget* window) {
        // Only Fade objects carry the name, so the cast is safe.
        return static_cast<Fade*>(
            window->findChild<QPropertyAnimation*>(fadeName(), Qt::FindDirectChildrenOnly));
    }

    void end(bool finished) {
        setObjectName(QString());  // no longer the window's running fade
        deleteLater();
        WindowFade::Completion done = std::move(done_);
        done_ = nullptr;
        if (done) {
            done(finished);
        }
    }

private:
    WindowFade::Completion done_;
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
    testDuration() = milliseconds;
}

}  // namespace kit
