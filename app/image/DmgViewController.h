#pragma once

#include "app/image/DMGMakeSureWCDelegate.h"
#include "app/image/ZIPProgressWCDelegate.h"
#include "app/sources/SourceDestinationScreen.h"
#include "services/disks/VolumeObj.h"
#include "services/files/GetFilesSizeDelegate.h"
#include "services/jobs/MakeDmgDelegate.h"

#include <QStringList>
#include <QTimer>

#include <chrono>
#include <memory>

class DMGMakeSureWC;
class GetFilesSize;
class MakeDmg;
class ZIPProgressWindowController;

namespace kit {
class ImageControl;
}

// The Create Disk Image screen, created once with the main window and kept for the whole run. The user picks
// a source (a volume, a set chosen in the file list, or files dropped on the source panel), a destination
// volume and a disk image or a ZIP archive; "Create Now" makes it on the destination, named
// "Tavrun(yyyy-MM-dd HH:mm:ss)" ("HH-mm-ss" on FAT, exFAT and NTFS, and " 1", " 2", … added when that name is
// taken), after a confirmation, with the progress window and then the result window.
//
// "Create Now" without a chosen set scans the source's top level afresh for every job. The space checks count
// the capacity an image adds to what it holds. A job is refused when nothing is checked, when a chosen or
// dropped set holds the place the job writes into (a whole source leaves such entries out), and for an
// archive, when an item's name is not valid UTF-8 (zip is given names). On the root
// volume of macOS 10.15 and later the result goes to the Desktop of the user who started the product. A
// cancel at any moment stops the job: no image stays attached, nothing is copied into it, and what this run
// made is removed; a failure ends in the failure view with a message that says so.
class DmgViewController : public sources::SourceDestinationScreen,
                          public MakeDmgDelegate,
                          public DMGMakeSureWCDelegate,
                          public ZIPProgressWCDelegate,
                          public GetFilesSizeDelegate {
    Q_OBJECT

public:
    static inline const QString kNothingSelectedMessage = QStringLiteral("No file has been selected…");
    static inline const QString kImageFailedMessage = QStringLiteral("The disk image could not be created.");
    static inline const QString kArchiveFailedMessage =
        QStringLiteral("The ZIP archive could not be created.");
    static inline const QString kNameNotForZipMessage = QStringLiteral(
        "“%1” cannot be put into a ZIP archive: its name is not valid UTF-8. Rename it or leave it out.");
    static constexpr std::chrono::milliseconds kStartDelay{300};

    explicit DmgViewController(QWidget* parent = nullptr);
    ~DmgViewController() override;
    DmgViewController(const DmgViewController&) = delete;
    DmgViewController& operator=(const DmgViewController&) = delete;

    void selectFileButtonAction(QObject* /*sender*/) override {}
    void makeDmgButAction();
    void makeZipButAction();
    void cloneButtonAction() override;
    void doMakeZip();
    void beginToMakeDMGorZIP() override;
    QString getCreateName() const;
    void doMakeZipWithFileArr();
    void doMakeDMGWithFileArr();
    void allCopyFilesSize(qint64 total) override;
    // The paths of the checked items: a checked root whole, a partly checked one through its children.
    static QStringList getZipFilePathArr(const FileNodeList& roots);
    void beginToCopyDmg() override;
    void copyFileToDmgWithFileName(const QString& text, float percent) override;
    void makeDmgFailWithError(const QString& error) override;
    void cancelMakeZip() override;

    bool isMakeZip() const { return isMakeZip_; }
    const QStringList& zipFilesArr() const { return zipFilesArr_; }
    kit::ImageControl* makeZipBut() const { return makeZipBut_; }
    kit::ImageControl* makeDmgBut() const { return makeDmgBut_; }
    DMGMakeSureWC* makeSureWC() const { return makeSureWC_.get(); }
    ZIPProgressWindowController* progressWC() const { return progressWC_.get(); }
    MakeDmg* makeDmg() const { return makeDmg_.get(); }

protected:
    void wholeSourceScanned() override;
    qint64 jobMargin() const override;

private:
    void startTimerRoad();
    void setMakeZip(bool makeZip);
    // The folders the job writes into: where the image or archive goes, and the image's mount point.
    QStringList writtenPlaces() const;
    bool putsIntoItself();
    bool jobRuns() const;

    kit::ImageControl* makeZipBut_ = nullptr;
    kit::ImageControl* makeDmgBut_ = nullptr;
    bool isMakeZip_ = false;
    QStringList zipFilesArr_;
    QTimer aTimer_;
    VolumeObj jobDestination_;  // the destination as the confirmed job found it
    bool jobIsZip_ = false;
    std::unique_ptr<DMGMakeSureWC> makeSureWC_;
    std::unique_ptr<ZIPProgressWindowController> progressWC_;
    std::unique_ptr<GetFilesSize> filesSize_;
    std::unique_ptr<MakeDmg> makeDmg_;  // goes first: a job abandoned by it reports nothing more
};
