#pragma once

#include "tests/support/Answers.h"
#include "tests/support/SimMac.h"
#include "tests/support/kit/KitTestSupport.h"

#include <QByteArray>
#include <QDateTime>
#include <QLabel>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class ListFileViewController;
class QAbstractButton;
class QWidget;

namespace sources {
class SourceDestinationScreen;
}

namespace screentest {

using kittest::click;
using kittest::isRunning;
using testsupport::Answers;

using Files = QMap<QString, QByteArray>;  // relative path → content

// What the tests put on a volume named "Photos": two photos in nested folders and a note beside them.
inline const Files kPhotos{{QStringLiteral("Photos/beach.jpg"), QByteArray(3000, 'b')},
                           {QStringLiteral("Photos/Trip/sea.png"), QByteArray(500, 's')},
                           {QStringLiteral("notes.txt"), QByteArray("Remember the milk\n")}};

// The end of a job as its result window showed it: the failure message, or the path the success view
// opens; empty when no window opened.
struct Outcome {
    bool failed = false;
    QString shown;
};

// A screen with a source and a destination panel (Copy Disk, Create Disk Image) in a window of its own,
// offscreen, on a fresh simulated Mac; jobs start at `time`. Error dialogs are answered with "Done" as they
// come (their messages kept in `errors`), and confirmations as `confirmWith` says (the start button's title
// for true, "Cancel" for false; counted). A harness of one screen makes the screen and calls `open`.
class ScreenHarness {
public:
    ScreenHarness(const QString& preset, const QDateTime& time, const QString& diskPreset,
                  const QString& shotFolder);
    virtual ~ScreenHarness();
    ScreenHarness(const ScreenHarness&) = delete;
    ScreenHarness& operator=(const ScreenHarness&) = delete;

    // A 1 GB disk (of the harness's device preset unless one is named) whose volume, of that name, holds
    // `files` beside its own.
    void attach(const QString& name, const Files& files = {}, const QString& preset = {});
    void writeFile(const QString& macPath, const QByteArray& content) const;
    // Through the panel's disk picker; false when it does not list the volume. `shot` saves a picture of it.
    bool pick(qint32 diskFrom, const QString& volumeName, const QString& shot = {});
    // The source, then the destination, each asserted.
    void pickBoth(const QString& source, const QString& destination);
    void drop(const QStringList& paths);
    // "Copy Some Files", the search button, `choose` on the scanned file list, "Done".
    void chooseSet(const std::function<void(ListFileViewController&)>& choose);
    // The start button, then served until settled.
    void start();
    // `start`, then served until the worker's last word has been heard and the screen settled again.
    void runToEnd();
    // `runToEnd` with the result window answered once the job has `finished`: `result` is the window, if the
    // job shows one, and `message` the text of its failure view. The window is read, saved as a picture named
    // `shot` and closed with the button of the view it shows.
    template <class Result>
    Outcome runToResult(const std::function<bool()>& finished, const std::function<Result*()>& result,
                        QLabel* (Result::*message)() const, const QString& shot) {
        auto outcome = std::make_shared<Outcome>();
        answers.when(
            [finished, result] {
                return finished() && (result() ? kittest::isRunning(result()->window()) : !anyModalWindow());
            },
            [this, result, message, outcome, shot] {
                if (Result* shown = result()) {
                    outcome->failed = shown->failView()->isVisible();
                    outcome->shown = outcome->failed ? (shown->*message)()->text() : shown->openUrl();
                    kittest::saveOnDesktop(shown->window(), shot, shotFolder_);
                    kittest::click(outcome->failed ? shown->failCancelButton() : shown->succCancelButton());
                }
            });
        runToEnd();
        return *outcome;
    }
    // Serves the event loop until no scan, modal window or answer has been seen for a while.
    bool settle();

    bool startUsable() const;
    QString panelName(qint32 diskFrom) const;
    bool exists(const QString& macPath) const;
    Files filesUnder(const QString& macFolder) const;

    testsupport::SimMac sim;
    testsupport::Answers answers;
    QStringList errors;
    std::optional<bool> confirmWith;
    int confirmations = 0;
    QMap<QString, QString> disks;  // volume name → whole disk
    std::unique_ptr<QWidget> window;

protected:
    // The screen's confirmation as it stands: its window and the buttons that accept and cancel it.
    struct Question {
        QWidget* window = nullptr;
        QAbstractButton* accept = nullptr;
        QAbstractButton* cancel = nullptr;
    };
    // The question of a confirmation controller with `window()`, `doneButton()` and `cancelButton()`.
    template <class Confirmation>
    static std::optional<Question> questionOf(Confirmation* confirmation) {
        if (!confirmation) {
            return std::nullopt;
        }
        return Question{confirmation->window(), confirmation->doneButton(), confirmation->cancelButton()};
    }
    void open(sources::SourceDestinationScreen* screen);
    static bool anyModalWindow();
    virtual std::optional<Question> question() const = 0;
    // The name of the picture of the error dialog showing this message (the last of `errors`).
    virtual QString errorShot(const QString& message) const;

    QString fileListShot_;  // a picture of the scanned file list is saved under this name, if any

private:
    void answerError();
    void answerQuestion();

    sources::SourceDestinationScreen* screen_ = nullptr;
    QString diskPreset_;
    QString shotFolder_;
    QTimer errorWatch_;
    QTimer questionWatch_;  // its own: the confirmation's answer runs the job, whose errors the other answers
};

// The files below a host folder, by path relative to it.
Files filesBelow(const QString& root);
// Unchecks the roots of these names, as a click on their check boxes does.
void uncheck(ListFileViewController& list, const QStringList& names);

}  // namespace screentest
