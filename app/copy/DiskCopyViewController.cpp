#include "app/copy/DiskCopyViewController.h"

#include "app/copy/CopyMakeSureWC.h"
#include "app/copy/CopyProgreWindowController.h"
#include "app/copy/CopySorFWindowController.h"
#include "app/sources/DestinationFolder.h"
#include "app/sources/OutputNames.h"
#include "app/sources/ScreenMessages.h"
#include "app/sources/SourceChecks.h"
#include "platform/Dispatch.h"
#include "platform/LogCategories.h"
#include "services/files/DoCopyFiles.h"
#include "services/utilities/KVPublicUtilities.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QPointer>

#include <algorithm>

DiskCopyViewController::DiskCopyViewController(QWidget* parent)
    : SourceDestinationScreen(
          sources::kCopyDiskSteps,
          QStringLiteral("Copy a whole drive, or the files you choose, into a new folder on "
                         "another drive."),
          QStringLiteral("Copy Now"), parent) {}

DiskCopyViewController::~DiskCopyViewController() = default;

void DiskCopyViewController::cloneButtonAction() {
    if (copyRunning() || !checkSourcePresent() || !checkDestinationPresent()) {
        return;
    }
    if (!copyArr() || chosenIsWholeSource()) {
        scanWholeSource(true);  // afresh: what the source holds now
        return;
    }
    platform::mainAsync([self = QPointer<DiskCopyViewController>(this)] {
        if (self) {
            self->doCopyAction();
        }
    });
}

void DiskCopyViewController::wholeSourceScanned() {
    platform::mainAsync([self = QPointer<DiskCopyViewController>(this)] {
        if (self && self->checkSourcePresent() && self->checkDestinationPresent()) {
            self->doCopyAction();
        }
    });
}

void DiskCopyViewController::doCopyAction() {
    const SharedFileNodeList& roots = copyArr();
    if (!roots || std::none_of(roots->begin(), roots->end(),
                               [](const auto& node) { return node->state() != FileNode::kUnchecked; })) {
        showError(kNothingSelectedMessage);
        return;
    }
    // A set that holds the destination volume would be copied into itself; a whole source leaves it out.
    if (!chosenIsWholeSource() && toVolume() && sources::holdsPath(*roots, toVolume()->volumePath)) {
        showError(sources::kSameVolumeMessage);
        return;
    }
    makeSureWC_.reset();
    makeSureWC_ = std::make_unique<CopyMakeSureWC>();
    makeSureWC_->setDelegate(this);
    kit::centerWindow(makeSureWC_->window());
    kit::ModalRun::runModalForWindow(makeSureWC_->window());
}

bool DiskCopyViewController::copyRunning() const {
    if (doCopy_ && doCopy_->isRunning()) {
        qCInfo(lcApp, "the last copy is still stopping: nothing new starts");
        return true;
    }
    return false;
}

void DiskCopyViewController::beginToCopyFiles() {
    if (copyRunning() || !copyArr() || !checkSourcePresent() || !checkDestinationPresent()) {
        return;
    }
    doCopy_.reset();
    doCopy_ = std::make_unique<DoCopyFiles>();
    doCopy_->setDelegate(this);
    doCopy_->setGate(copyGate_);
    const VolumeObj& destination = *toVolume();
    copyFolder_ = sources::makeOutputFolder(
        destination.volumePath, sources::datedName(sources::currentTime(), destination.volumeType),
        KVPublicUtilities::getSystemVersion());

    copyProgressWC_.reset();
    copyProgressWC_ = std::make_unique<CopyProgreWindowController>();
    copyProgressWC_->setDelegate(this);
    kit::centerWindow(copyProgressWC_->window());
    copyProgressWC_->setOpenUrl(copyFolder_.path);
    copyProgressWC_->setOnDesktop(copyFolder_.onDesktop);
    qCInfo(lcApp, "0---%s", qUtf8Printable(copyFolder_.path));
    doCopy_->doCopyFilesWithArr(*copyArr(), copyFolder_.path);
    copyProgressWC_->jobStarted();
    kit::ModalRun::runModalForWindow(copyProgressWC_->window());
}

void DiskCopyViewController::copyFileError() {
    doCopy_->setIsCancel(true);
    QStringList failed;
    for (const DoCopyFiles::Failure& failure : doCopy_->failures()) {
        failed << failure.path;
    }
    copyProgressWC_->showFailView(kCopyFailedMessage,
                                  CopySorFWindowController::failureList(failed, doCopy_->failureCount()));
}

void DiskCopyViewController::cancelCopy() {
    if (doCopy_) {
        doCopy_->setIsCancel(true);
    }
}

void DiskCopyViewController::topCopyFilePath(const QString& path) {
    copyProgressWC_->changePathValue(path);
}

void DiskCopyViewController::topCopyProgress(float percent) {
    copyProgressWC_->changeProValue(percent);
}

void DiskCopyViewController::copyStopped() {
    if (copyProgressWC_) {
        copyProgressWC_->jobStopped();
    }
}
