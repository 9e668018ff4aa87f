#include "app/image/DmgViewController.h"

#include "app/image/DMGMakeSureWC.h"
#include "app/image/OutputPaths.h"
#include "app/image/ZIPProgressWindowController.h"
#include "app/sources/OutputNames.h"
#include "app/sources/ScreenMessages.h"
#include "app/sources/SourceChecks.h"
#include "platform/Dispatch.h"
#include "platform/LogCategories.h"
#include "services/files/GetFilesSize.h"
#include "services/jobs/ItemNames.h"
#include "services/jobs/MakeDmg.h"
#include "services/utilities/KVPublicUtilities.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QPointer>

#include <algorithm>

namespace {

// In the screen's Cocoa coordinates, between the combo and "Create Now".
constexpr QRectF kDmgRadioFrame{228, 120, 170, 24};
constexpr QRectF kZipRadioFrame{418, 120, 170, 24};

void appendChecked(const FileNodeList& nodes, QStringList& paths) {
    for (const auto& node : nodes) {
        if (node->state() == FileNode::kChecked) {
            paths << node->path();
        } else if (node->state() == FileNode::kPartlyChecked) {
            appendChecked(node->children(), paths);
        }
    }
}

}  // namespace

DmgViewController::DmgViewController(QWidget* parent)
    : SourceDestinationScreen(sources::kDiskImageSteps,
                              QStringLiteral("Make a disk image or a ZIP archive of a whole drive, or of the "
                                             "files you choose, on another drive."),
                              QStringLiteral("Create Now"), parent),
      makeDmg_(std::make_unique<MakeDmg>()) {
    makeDmg_->setMakeDmgDelegate(this);
    makeDmgBut_ = new kit::ImageControl(QStringLiteral("Disk image (.dmg)"), this);
    kit::setCocoaFrame(makeDmgBut_, kDmgRadioFrame);
    makeZipBut_ = new kit::ImageControl(QStringLiteral("ZIP archive (.zip)"), this);
    kit::setCocoaFrame(makeZipBut_, kZipRadioFrame);
    connect(makeDmgBut_, &QAbstractButton::clicked, this, &DmgViewController::makeDmgButAction);
    connect(makeZipBut_, &QAbstractButton::clicked, this, &DmgViewController::makeZipButAction);
    makeDmgButAction();

    aTimer_.setSingleShot(true);
    connect(&aTimer_, &QTimer::timeout, this, &DmgViewController::startTimerRoad);
}

DmgViewController::~DmgViewController() {
    makeDmg_->setMakeDmgDelegate(nullptr);
}

void DmgViewController::makeDmgButAction() {
    makeDmgBut_->setImageName(QStringLiteral("radiobutton_sel"));
    makeZipBut_->setImageName(QStringLiteral("radiobutton_unsel"));
    makeDmgBut_->setChecked(true);
    makeZipBut_->setChecked(false);
    setMakeZip(false);
}

void DmgViewController::makeZipButAction() {
    makeZipBut_->setImageName(QStringLiteral("radiobutton_sel"));
    makeDmgBut_->setImageName(QStringLiteral("radiobutton_unsel"));
    makeZipBut_->setChecked(true);
    makeDmgBut_->setChecked(false);
    setMakeZip(true);
}

// Only an image adds capacity to what it holds: the space verdict follows the choice.
void DmgViewController::setMakeZip(bool makeZip) {
    const bool changed = makeZip != isMakeZip_;
    isMakeZip_ = makeZip;
    if (changed) {
        changeSelectCopyType();
    }
}

qint64 DmgViewController::jobMargin() const {
    return isMakeZip_ ? 0 : MakeDmg::kExtraCapacity;
}

void DmgViewController::cloneButtonAction() {
    if (isScanning() || !checkSourcePresent()) {
        return;
    }
    if (!chosenRoots() || chosenIsWholeSource()) {
        scanWholeSource(false);  // afresh: what the source holds now
        return;
    }
    platform::mainAsync([self = QPointer<DmgViewController>(this)] {
        if (self) {
            self->doMakeZip();
        }
    });
}

void DmgViewController::wholeSourceScanned() {
    platform::mainAsync([self = QPointer<DmgViewController>(this)] {
        if (self && self->checkSourcePresent()) {
            self->doMakeZip();
        }
    });
}

void DmgViewController::doMakeZip() {
    if (!toVolume()) {
        return;  // cleared while the whole source was scanned
    }
    if (putsIntoItself()) {
        showError(sources::kSameVolumeMessage);
        return;
    }
    zipFilesArr_ = chosenRoots() ? getZipFilePathArr(*chosenRoots()) : QStringList();
    if (zipFilesArr_.isEmpty()) {
        showError(kNothingSelectedMessage);
        return;
    }
    // zip is given the items by name: one that no argument can carry would be left out or taken for another.
    const QString unnamed = isMakeZip_ ? jobs::itemNoToolCanBeGiven(*chosenRoots()) : QString();
    if (!unnamed.isEmpty()) {
        showError(kNameNotForZipMessage.arg(unnamed));
        return;
    }
    makeSureWC_.reset();
    makeSureWC_ = std::make_unique<DMGMakeSureWC>();
    makeSureWC_->setDelegate(this);
    kit::centerWindow(makeSureWC_->window());
    kit::ModalRun::runModalForWindow(makeSureWC_->window());
}

QStringList DmgViewController::writtenPlaces() const {
    const QString folder = image::outputFolder(toVolume()->volumePath, KVPublicUtilities::getSystemVersion());
    if (isMakeZip_) {
        return {folder};
    }
    const QString imageFile = image::imagePath(folder, QStringLiteral("x"));
    return {imageFile.left(imageFile.lastIndexOf(QLatin1Char('/'))), MakeDmg::kMountPoint};
}

// A whole source leaves out its entries that hold a place the job writes into; a chosen or dropped set that
// holds one is refused.
bool DmgViewController::putsIntoItself() {
    if (!chosenRoots()) {
        return false;
    }
    const QStringList places = writtenPlaces();
    const auto holdsPlace = [&places](const FileNodeList& nodes) {
        return std::any_of(places.begin(), places.end(),
                           [&nodes](const QString& place) { return sources::holdsPath(nodes, place); });
    };
    if (!chosenIsWholeSource()) {
        return holdsPlace(*chosenRoots());
    }
    for (const auto& root : *chosenRoots()) {
        FileNodeList alone;
        alone.push_back(std::make_unique<FileNode>(root->path(), root->name(), root->isDirectory(), nullptr));
        if (root->state() != FileNode::kUnchecked && holdsPlace(alone)) {
            qCInfo(lcApp) << "left out of the whole source:" << root->path();
            root->setState(FileNode::kUnchecked);
        }
    }
    return false;
}

void DmgViewController::beginToMakeDMGorZIP() {
    if (!chosenRoots() || !checkSourcePresent() || !checkDestinationPresent()) {
        return;
    }
    jobDestination_ = *toVolume();
    jobIsZip_ = isMakeZip_;
    aTimer_.start(kStartDelay);
    progressWC_.reset();
    progressWC_ = std::make_unique<ZIPProgressWindowController>();
    progressWC_->setDelegate(this);
    kit::centerWindow(progressWC_->window());
    kit::ModalRun::runModalForWindow(progressWC_->window());
}

void DmgViewController::startTimerRoad() {
    if (jobIsZip_) {
        doMakeZipWithFileArr();
    } else {
        doMakeDMGWithFileArr();
    }
}

QString DmgViewController::getCreateName() const {
    return sources::datedName(sources::currentTime(), jobDestination_.volumeType);
}

bool DmgViewController::jobRuns() const {
    return progressWC_ && !progressWC_->end();
}

void DmgViewController::doMakeZipWithFileArr() {
    aTimer_.stop();
    if (!jobRuns() || !chosenRoots()) {
        return;
    }
    const QString folder =
        image::outputFolder(jobDestination_.volumePath, KVPublicUtilities::getSystemVersion());
    const QString path = image::archivePath(
        folder, sources::freshName(getCreateName(),
                                   [&folder](const QString& n) { return image::archivePath(folder, n); }));
    progressWC_->setOpenUrl(path);
    qCInfo(lcApp) << "archive" << path;
    makeDmg_->doZipWithPath(path, *chosenRoots());
}

void DmgViewController::doMakeDMGWithFileArr() {
    aTimer_.stop();
    if (!jobRuns() || !chosenRoots()) {
        return;
    }
    // A dropped set is recorded as 0 bytes: it is totalled here like a whole source.
    if (!isDragValue() && selectFilesSize() != -1) {
        allCopyFilesSize(selectFilesSize());
        return;
    }
    filesSize_.reset();
    filesSize_ = std::make_unique<GetFilesSize>();
    filesSize_->setDelegate(this);
    filesSize_->getAllFilesSizeWithArr(*chosenRoots());
}

void DmgViewController::allCopyFilesSize(qint64 total) {
    if (!jobRuns()) {
        return;
    }
    const QString folder =
        image::outputFolder(jobDestination_.volumePath, KVPublicUtilities::getSystemVersion());
    const QString name = sources::freshName(
        getCreateName(), [&folder](const QString& n) { return image::imagePath(folder, n); });
    progressWC_->setOpenUrl(image::imagePath(folder, name));
    qCInfo(lcApp) << "image" << image::imagePath(folder, name) << total << "bytes";
    makeDmg_->makeTmpDmgWithPath(folder, name, total);
}

QStringList DmgViewController::getZipFilePathArr(const FileNodeList& roots) {
    QStringList paths;
    appendChecked(roots, paths);
    return paths;
}

void DmgViewController::beginToCopyDmg() {
    if (jobRuns() && chosenRoots()) {
        makeDmg_->doCopyFilesToDmgWithDmg(*chosenRoots());
    }
}

void DmgViewController::copyFileToDmgWithFileName(const QString& text, float percent) {
    if (progressWC_) {
        progressWC_->changePathValue(text, percent);
    }
}

void DmgViewController::makeDmgFailWithError(const QString& error) {
    if (progressWC_) {
        progressWC_->showErrorView(jobIsZip_ ? kArchiveFailedMessage : kImageFailedMessage, error);
    }
}

void DmgViewController::cancelMakeZip() {
    aTimer_.stop();
    filesSize_.reset();
    makeDmg_->setIsCancelCopy(true);
    makeDmg_->stopMakeDmg();
}
