#pragma once

#include "app/bootable/SelectDrivceViewController.h"
#include "app/bootable/SelectDrivceViewControllerDelegate.h"
#include "services/jobs/KVBootableDelegate.h"
#include "tests/support/SimMac.h"
#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace bootabletest {

// Serves the event loop until `done`; false after the time-out.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 120000) {
    return testsupport::waitFor(done, timeoutMs);
}
using kittest::click;
using kittest::isRunning;
// A picture of a window under <build>/screenshots/bootable, on the grey a desktop would show round it.
inline QString screenshot(QWidget* window, const QString& name) {
    return kittest::saveOnDesktop(window, name, QStringLiteral("bootable"));
}

// One result window as the test saw it.
struct Result {
    bool failed = false;
    QString message;  // of the failure view
    QString status;   // the screen's status text when the window opened
    bool accessHint = false;
    QString reason;  // below the message, when shown
};

// Stands between the engine and the screen: every report is passed on, and then what the screen shows is
// written down, so that the bar's values and the status texts are seen in the order they came.
class Recorder : public KVBootableDelegate {
public:
    explicit Recorder(SelectDrivceViewController* screen) : screen_(screen) {}
    void KVUINotify(const KVProgressRecord& record) override;
    void changeProTimeWithTag(int tag, int pass) override;
    void changeProLabelValue(const QString& text) override;

    QList<float> values;   // the bar after each progress report
    QStringList statuses;  // the status text after each report, repeats left out
    int tags = 0;
    // Called after each step report and each tag of a restore pass has reached the screen.
    std::function<void(const KVProgressRecord& record)> onReport;
    std::function<void(int tag, int pass)> onTag;

private:
    void noteStatus();
    SelectDrivceViewController* screen_;
};

class TabFlags : public SelectDrivceViewControllerDelegate {
public:
    void canChangeTab(bool canChange) override { flags << canChange; }
    QList<bool> flags;
};

// The Clone OS screen in a window of its own, shown offscreen, on a fresh simulated Mac whose restore waits
// are short. Error dialogs are answered with "Done" and the result window with its button, as they come; the
// clone question is answered as `confirmWith` says, the stop question with the next of `stopAnswers`.
class Harness {
public:
    explicit Harness(const QString& preset = QStringLiteral("apple-silicon-13"));
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    // A USB disk of that size; its whole disk.
    QString attach(const QString& size, const QString& preset = QStringLiteral("usb-exfat"),
                   const QString& name = QStringLiteral("Stick"));
    // Picks the whole disk through the destination panel's picker; false when the picker does not list it.
    bool pick(const QString& disk);
    // Chooses the whole disk with the record the picker would make for it, without opening the picker.
    void choose(const QString& disk);
    // Starts a clone of the whole disk that the engine holds right after its first steps (the Spotlight stop
    // hangs), so that reports can be played to the screen while it clones.
    void startHeld(const QString& disk);
    // "Clone Now", and waits until the question has been answered as `confirmWith` says.
    void cloneNow();
    // Serves the event loop until the run has ended and nothing is shown modally any more.
    bool waitForEnd();
    // Until the engine has delivered its last report and no tool runs.
    bool waitForEngine();

    bool startUsable() const;
    QString panelName() const;

    testsupport::SimMac sim;
    std::unique_ptr<QWidget> window;
    SelectDrivceViewController* screen = nullptr;
    std::unique_ptr<Recorder> recorder;
    TabFlags tabs;

    std::optional<bool> confirmWith = true;  // "Clone Now" / "Cancel"; nothing leaves the question open
    QList<bool> stopAnswers;                 // true presses "Cancel" (stop), false "Continue"
    QStringList errors;
    QList<Result> results;
    QString questionText;  // the clone question's message
    int confirmations = 0;
    // Names of screenshots still to take: the next result window and error dialog are saved so.
    QString resultShot;
    QString errorShot;

private:
    void answer();
    // Acts on a running window once, from outside the watch (an answer may open a window of its own).
    void respond(QWidget* dialog, std::function<void()> act);
    QTimer watch_;
    QPointer<QWidget> answering_;
};

}  // namespace bootabletest
