#include "tests/app/copy/CopyTestSupport.h"

#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/windows/ModalRun.h"

#include <QAbstractButton>
#include <QPainter>
#include <QTest>

#include <algorithm>

namespace copytest {

void Answers::when(std::function<bool()> ready, std::function<void()> act) {
    const auto previous = timers_.size();
    auto timer = std::make_unique<QTimer>();
    QTimer* raw = timer.get();
    raw->setInterval(10);
    QObject::connect(raw, &QTimer::timeout, raw, [this, raw, previous, ready, act] {
        const bool earlierDone = std::none_of(timers_.begin(), timers_.begin() + static_cast<long>(previous),
                                              [](const auto& t) { return t->isActive(); });
        if (earlierDone && ready()) {
            raw->stop();  // the act may run a modal loop of its own: never twice
            act();
        }
    });
    raw->start();
    timers_.push_back(std::move(timer));
}

int Answers::pending() const {
    return static_cast<int>(
        std::count_if(timers_.begin(), timers_.end(), [](const auto& t) { return t->isActive(); }));
}

bool isRunning(QWidget* window) {
    return window != nullptr && window->isVisible() && kit::ModalRun::isRunning(window);
}

void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

QString screenshot(QWidget* window, const QString& name) {
    QImage image(window->size() + QSize(40, 40), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0x8A, 0x8F, 0x99));
    QPainter painter(&image);
    painter.drawImage(QPoint(20, 20), window->grab().toImage());
    painter.end();
    return kittest::saveScreenshot(image, name, QStringLiteral("copy"));
}

}  // namespace copytest
