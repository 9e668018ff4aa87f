#pragma once

#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QAbstractButton;
class QWidget;

namespace copytest {

// Answers that act from inside whatever modal run is going on: each waits, looking every few milliseconds,
// until its condition holds, then acts once. Answers wait in the order they were given.
class Answers {
public:
    void when(std::function<bool()> ready, std::function<void()> act);
    // Answers not given yet.
    int pending() const;

private:
    std::vector<std::unique_ptr<QTimer>> timers_;
};

// The window is shown and runs modally.
bool isRunning(QWidget* window);
void click(QAbstractButton* button);
// A picture of a window under <build>/screenshots/copy, on the grey a desktop would show round it.
QString screenshot(QWidget* window, const QString& name);

}  // namespace copytest
