#pragma once

#include "app/image/DmgViewController.h"
#include "tests/support/SimMac.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ListFileViewController;
class QAbstractButton;
class QWidget;

namespace imagetest {

// Every job of these tests starts at this time, which gives this name.
inline const QDateTime kTime(QDate(2024, 5, 1), QTime(9, 30, 0));
inline const QString kName = QStringLiteral("Tavrun(2024-05-01 09:30:00)");

using Files = QMap<QString, QByteArray>;  // relative path → content

bool isRunning(QWidget* window);  // shown and running modally
void click(QAbstractButton* button);
// A picture under <build>/screenshots/image, on the grey a desktop would show round the window.
QString screenshot(QWidget* window, const QString& name);

// Acts from inside whatever modal run is going on: each answer waits until its condition holds, then acts
// once; answers act in the order they were given.
class Answers {
public:
    void when(std::function<bool()> ready, std::function<void()> act);
    int pending() const;

private:
    std::vector<std::unique_ptr<QTimer>> timers_;
};

// The screen with a hook on the worker's reports, which run on the main thread while the worker waits: what
// the hook does happens between two reports, as a click would.
class Screen : public DmgViewController {
    Q_OBJECT

public:
    using DmgViewController::DmgViewController;
    void copyFileToDmgWithFileName(const QString& text, float percent) override;
    std::function<void(const QString& text)> onReport;
};

// The Create Disk Image screen in a window of its own, offscreen, on a fresh simulated Mac; jobs start at
// kTime. Error dialogs are answered with "Done" as they come (their messages kept in `errors`), and
// confirmations as `confirmWith` says ("Create Image" for true, "Cancel" for false; counted).
class Harness {
public:
    explicit Harness(const QString& preset = QStringLiteral("apple-silicon-13"));
    ~Harness();

    // A 1 GB disk of the device preset whose volume, of that name, holds `files` beside its own.
    void attach(const QString& name, const Files& files = {},
                const QString& preset = QStringLiteral("usb-hfs"));
    void writeFile(const QString& macPath, const QByteArray& content) const;
    // Through the panel's disk picker; false when it does not list the volume.
    bool pick(qint32 diskFrom, const QString& volumeName);
    void drop(const QStringList& paths);
    // "Copy Some Files", the search button, `choose` on the scanned file list, "Done".
    void chooseSet(const std::function<void(ListFileViewController&)>& choose);
    void createNow();
    // Serves the event loop until no scan, modal window or answer has been seen for a while.
    bool settle();

    bool startUsable() const;
    QString panelName(qint32 diskFrom) const;
    bool exists(const QString& macPath) const;
    Files filesUnder(const QString& macFolder) const;
    // The content of a detached image file, unpacked.
    Files imageContent(const QString& macImage) const;
    // The names `unzip -l` lists.
    QStringList zipListing(const QString& macArchive) const;
    // Attached images and hdiutil's verbs so far.
    int attachedImages() const;
    QStringList hdiutilVerbs() const;

    testsupport::SimMac sim;
    Answers answers;
    QStringList errors;
    std::optional<bool> confirmWith;
    int confirmations = 0;
    std::unique_ptr<QWidget> window;
    Screen* screen = nullptr;

private:
    QTimer errorWatch_;
    QTimer confirmationWatch_;  // its own: the confirmation's answer runs the job, whose errors the other
                                // answers
};

// Unchecks the roots of these names, as a click on their check boxes does.
void uncheck(ListFileViewController& list, const QStringList& names);

}  // namespace imagetest
