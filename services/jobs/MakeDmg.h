#pragma once

#include "services/files/FileNode.h"
#include "services/jobs/MakeDmgDelegate.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

// The disk work of the Create Disk Image screen, on the global queue.
//
// Image: an empty writable HFS+ image of the requested size plus 50,000,000 bytes is made with hdiutil (in
// "/Tavrun_dmg" instead of the root volume's top level), mounted at "/Volumes/TavrunDmg", filled with the
// chosen items (each at its path below the folder of its root, links as links) and detached. The job
// succeeds only when this run made the image file, mounted it where expected, copied every entry of every
// item and detached it; anything else is a failure, and a failed or cancelled job removes the image file it
// made. A detach refused as busy is retried, then forced; an image that still cannot be detached is detached
// by the next image job. A cancel stops the copy before its next entry.
//
// Archive: zip over the checked paths, links stored as links; its output chunks are the progress, which
// stays below 100 until zip has ended with status 0 and reported every entry of every chosen item stored. A
// chosen item whose name zip cannot be given, an entry that cannot be read, and anything zip leaves out fail
// the job. A failed or cancelled archive job leaves no archive behind; a cancel terminates zip.
//
// A failure names the item and why (the system's error text, or the tool's own words). After a cancel, or
// once the worker is destroyed, nothing more is reported and no image stays attached. Work folders are
// private to their owner (0700) and made anew by this process; no tool runs through a shell.
class MakeDmg {
public:
    static inline const QString kWorkFolder = QStringLiteral("/tmp/com.Belmora.clone");
    static inline const QString kVolumeName = QStringLiteral("TavrunDmg");
    static inline const QString kMountPoint = QStringLiteral("/Volumes/TavrunDmg");
    static inline const QString kRootFolder = QStringLiteral("/Tavrun_dmg");
    static constexpr qint64 kExtraCapacity = 50'000'000;

    struct ZipSelection {
        QStringList paths;  // the paths handed to zip
        quint64 count = 0;  // the output steps expected: one per file, one per entry below a folder
    };

    MakeDmg() = default;
    MakeDmg(const MakeDmg&) = delete;
    MakeDmg& operator=(const MakeDmg&) = delete;
    ~MakeDmg();

    // Starts the image road into `folder` ("/" means "/Tavrun_dmg"); returns at once.
    void makeTmpDmgWithPath(const QString& folder, const QString& name, qint64 size);
    // Mounts the image on the global queue and tells the delegate beginToCopyDmg.
    void mountDmgWithDmgPath(const QString& imagePath);
    // Copies the checked part of `roots` into the mounted image and detaches it; returns at once.
    void doCopyFilesToDmgWithDmg(const FileNodeList& roots);
    // Detaches the image this worker attached, if any, and waits for hdiutil.
    void unmountDmgWithFullPath();
    // Cancels the job and detaches its image; returns at once.
    void stopMakeDmg();

    // Starts the archive road over the checked part of `roots`; returns at once.
    void doZipWithPath(const QString& archivePath, const FileNodeList& roots);
    static ZipSelection getAllFileCount(const FileNodeList& nodes);
    // The number of entries anywhere below the folder.
    static quint64 getAllFileCountWithPath(const QString& folder);

    MakeDmgDelegate* makeDmgDelegate() const { return delegate_; }
    void setMakeDmgDelegate(MakeDmgDelegate* delegate) { delegate_ = delegate; }
    bool isCancelCopy() const;
    // Setting it terminates a running zip at once; the image road stops before its next step.
    void setIsCancelCopy(bool cancel);

private:
    class Job;

    std::shared_ptr<Job> newJob();

    std::shared_ptr<Job> job_;
    MakeDmgDelegate* delegate_ = nullptr;
};
