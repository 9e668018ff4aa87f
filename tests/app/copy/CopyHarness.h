#pragma once

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

class DiskCopyViewController;
class ListFileViewController;
class QAbstractButton;
class QWidget;

namespace copytest {

// Every copy of these tests starts at this time, which gives this folder name.
inline const QDateTime kCopyTime(QDate(2024, 5, 1), QTime(9, 30, 0));
inline const QString kFolderName = QStringLiteral("Tavrun(2024-05-01 09:30:00)");

using Files = QMap<QString, QByteArray>;  // relative path → content

bool isRunning(QWidget* window);  // shown and running modally
void click(QAbstractButton* button);
// A picture under <build>/screenshots/copy, on the grey a desktop would show round the window.
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

// The Copy Disk screen in a window of its own, offscreen, on a fresh simulated Mac; copies start at
// kCopyTime. Error dialogs are answered with "Done" as they come (their messages kept in `errors`), and
// confirmations as `confirmWith` says ("Copy Now" for true, "Cancel" for false; counted).
class Harness {
public:
    Harness();
    ~Harness();

    // A disk of the device preset whose volume, of that name, holds `files` beside its own two.
    void attach(const QString& name, const Files& files = {},
                const QString& preset = QStringLiteral("usb-exfat"));
    void writeFile(const QString& macPath, const QByteArray& content) const;
    // Through the panel's disk picker; false when it does not list the volume. `shot` saves a picture of it.
    bool pick(qint32 diskFrom, const QString& volumeName, const QString& shot = {});
    void drop(const QStringList& paths);
    // "Copy Some Files", the search button, `choose` on the scanned file list, "Done".
    void chooseSet(const std::function<void(ListFileViewController&)>& choose);
    void copyNow();
    // Serves the event loop until no scan, modal window or answer has been seen for a while.
    bool settle();

    bool startUsable() const;
    QString panelName(qint32 diskFrom) const;
    Files filesUnder(const QString& macFolder) const;

    testsupport::SimMac sim;
    Answers answers;
    QStringList errors;
    std::optional<bool> confirmWith;
    int confirmations = 0;
    QMap<QString, QString> disks;  // volume name → whole disk
    std::unique_ptr<QWidget> window;
    DiskCopyViewController* screen = nullptr;

private:
    QTimer errorWatch_;
    QTimer confirmationWatch_;  // its own: the confirmation's answer runs the copy, whose errors the other
                                // answers
};

// Unchecks the roots of these names, as a click on their check boxes does.
void uncheck(ListFileViewController& list, const QStringList& names);

}  // namespace copytest
