#pragma once

#include "tests/app/copy/CopyTestSupport.h"
#include "tests/support/SimMac.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

class DiskCopyViewController;
class ListFileViewController;
class QWidget;

namespace copytest {

// The time every copy of these tests starts at, and the folder name it gives.
inline const QDateTime kCopyTime(QDate(2024, 5, 1), QTime(9, 30, 0));
inline const QString kFolderName = QStringLiteral("Tavrun(2024-05-01 09:30:00)");

using Files = QMap<QString, QByteArray>;  // relative path → content

// The Copy Disk screen in a window of its own, shown offscreen, on a fresh simulated Mac; copies start at
// kCopyTime. Error dialogs are answered with "Done" as they come, and their messages kept in `errors`.
class Harness {
public:
    explicit Harness(const QString& preset = QStringLiteral("apple-silicon-13"));
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    // Attaches a disk of the device preset with one volume of that name holding `files`; its whole disk.
    QString attach(const QString& name, const Files& files = {},
                   const QString& preset = QStringLiteral("usb-exfat"));
    // A file at a Mac path, its folders made.
    void writeFile(const QString& macPath, const QByteArray& content) const;
    // Sets what the volume counts as used beside its files.
    void setUsedBytes(const QString& name, qint64 bytes);
    // Picks the volume through the panel's disk picker; false when the picker does not list it. A `shot`
    // name saves a picture of the open picker.
    bool pick(qint32 diskFrom, const QString& volumeName, const QString& shot = {});
    void closePanel(qint32 diskFrom);
    // Files dropped on the source panel, by Mac path.
    void drop(const QStringList& paths);
    // A set chosen in the file list: "Copy Some Files", the search button, `choose` on the scanned list,
    // "Done".
    void chooseSet(const std::function<void(ListFileViewController&)>& choose);
    // "Copy All Files" chosen in the copy-type chooser.
    void chooseAllFiles();
    // Presses "Copy Now" and serves the event loop until nothing runs any more.
    void copyNow();
    // Serves the event loop until no scan, no modal window and no pending answer has been seen for a while.
    bool settle();

    bool startUsable() const;
    QString panelName(qint32 diskFrom) const;
    QString panelSize(qint32 diskFrom) const;
    // Every file below a Mac folder, by relative path.
    Files filesUnder(const QString& macFolder) const;

    testsupport::SimMac sim;
    Answers answers;
    QStringList errors;
    // When set, every confirmation is answered so ("Copy Now" for true, "Cancel" for false) and counted.
    std::optional<bool> confirmWith;
    QMap<QString, QString> disks;  // volume name → whole disk, as attached
    int confirmations = 0;
    std::unique_ptr<QWidget> window;
    DiskCopyViewController* screen = nullptr;

private:
    QTimer errorWatch_;
    QTimer confirmationWatch_;
};

// The same paths with the same bytes; otherwise the paths that differ.
::testing::AssertionResult sameFiles(const Files& actual, const Files& expected);

// Unchecks the roots of the list that have these names (as a click on their check boxes does).
void uncheck(ListFileViewController& list, const QStringList& names);

}  // namespace copytest
