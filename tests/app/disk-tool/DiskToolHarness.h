#pragma once

#include "app/disk-tool/RepairDiskViewController.h"
#include "tests/support/SimMac.h"
#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/windows/StatusAttachedWindow.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

class QAbstractButton;
class QLineEdit;
class TextImageButton;
namespace disktool {
class VolumeRowCard;
}

namespace disktooltest {

using Calls = QList<QStringList>;

// The screen's waits, short, for tests: the gate stays above the enumerator's own one-second hold.
RepairDiskViewController::Delays fastDelays();

using testsupport::waitFor;

// A whole list is one tool run per node; with every core loaded several times over that took 100 s.
constexpr int kListLoadMs = 180000;

// The modal dialog of a kind that is running now, if any.
StatusAttachedWindow* runningDialogWindow(const std::function<bool(QWidget*)>& isKind);
template <class Controller>
Controller* runningDialog() {
    StatusAttachedWindow* window =
        runningDialogWindow([](QWidget* view) { return dynamic_cast<Controller*>(view); });
    return window ? dynamic_cast<Controller*>(window->view()) : nullptr;
}

// Answers modal dialogs from inside their runs: each answer waits for a dialog of its kind to run and acts
// on it once.
class DialogAnswers {
public:
    ~DialogAnswers();
    template <class Controller>
    void when(std::function<void(Controller&)> answer) {
        whenRunning([answer](QWidget* window) {
            auto* attached = dynamic_cast<StatusAttachedWindow*>(window);
            auto* controller = attached ? dynamic_cast<Controller*>(attached->view()) : nullptr;
            if (controller) {
                answer(*controller);
            }
            return controller != nullptr;
        });
    }
    // The error dialog: its message is handed over, then it is dismissed with "Done". With a name, a
    // picture of it over `below` is saved first.
    void whenError(std::function<void(const QString& message)> seen, QWidget* below = nullptr,
                   const QString& shot = {});
    // Answers still waiting.
    int pending() const;

private:
    // `answer` is offered every window that runs modally until it takes one.
    void whenRunning(std::function<bool(QWidget*)> answer);
    std::vector<std::unique_ptr<QTimer>> timers_;
};

// A simulated Mac with the Disk Tool screen on it, shown offscreen.
class Harness {
public:
    explicit Harness(const QString& preset = QStringLiteral("apple-silicon-13"),
                     const RepairDiskViewController::Delays& delays = fastDelays());
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    // Makes and shows the screen, loads its list and waits for it.
    void open();
    // True once no enumeration runs and none is waiting to run.
    bool settled() const;
    bool waitForList() const;
    // Waits for the list to settle with `done` true.
    bool waitForListWhere(const std::function<bool()>& done) const;

    QStringList names() const;
    int rowOf(const QString& name) const;
    const VolumeObj* volume(const QString& name) const;
    // Clicks the row of that name; false when it is not listed.
    bool select(const QString& name);
    disktool::VolumeRowCard* cell(int row) const;
    TextImageButton* button(const char* identifier) const;  // on the selected row
    bool usable(const char* identifier) const;
    QString title(const char* identifier) const;
    void click(const char* identifier);
    // The selected row's rename field.
    QLineEdit* renameField() const;
    // Rename mode with the field holding `typed`, as the user types it.
    void typeNewName(const QString& typed);

    // diskutil's argument vectors in the call log, in order; `verb` filters.
    QList<QStringList> diskutilCalls(const QString& verb = {}) const;
    // diskutil list runs, the test's own lookups included.
    int enumerations() const { return static_cast<int>(diskutilCalls(QStringLiteral("list")).size()); }
    // The identifier of the volume of that name in diskutil's list; empty when there is none.
    QString identifierOf(const QString& volumeName) const;
    // A volume's entry in the simulated Mac's inventory, by its identifier.
    QVariantMap node(const QString& identifier) const;

    testsupport::SimMac sim;
    DialogAnswers answers;
    std::unique_ptr<RepairDiskViewController> screen;
};

inline void clickButton(QAbstractButton* button) {
    kittest::click(button);
}

// A picture of a window or view under <build>/screenshots/disk-tool, on the grey a desktop would show round
// a translucent window, with room around it.
inline QString screenshot(QWidget* widget, const QString& name) {
    return kittest::saveOnDesktop(widget, name, QStringLiteral("disk-tool"));
}
// A picture of a window lying over another, where they lie on the screen.
QString screenshotOver(QWidget* below, QWidget* above, const QString& name);

}  // namespace disktooltest
