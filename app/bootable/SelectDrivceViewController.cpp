#include "app/bootable/SelectDrivceViewController.h"

#include "app/ErrorWindowController.h"
#include "app/bootable/CloneSystemEndWindowController.h"
#include "app/bootable/MakeSureCancelCloneSystemVC.h"
#include "app/bootable/MakeSureToCloneSystemVC.h"
#include "app/bootable/PrebootRepair.h"
#include "app/bootable/SelectDrivceViewControllerDelegate.h"
#include "app/sources/DialogParts.h"
#include "app/sources/PanelSteps.h"
#include "app/sources/ScreenMessages.h"
#include "app/sources/SelectValueView.h"
#include "app/sources/SpaceCheck.h"
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/MacPath.h"
#include "platform/SystemInfo.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"
#include "services/jobs/KVBootable.h"
#include "services/utilities/KVPublicUtilities.h"
#include "ui-kit/Labels.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/ProgressView.h"
#include "ui-kit/controls/Spinner.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QLabel>
#include <QPointer>

#include <mutex>

namespace {

// The layout, in the screen's Cocoa coordinates (776 x 558).
constexpr QRectF kScreenFrame{0, 0, 776, 558};
constexpr QRectF kHeadingFrame{60, 440, 656, 56};
constexpr QRectF kFromFrame{48, 200, 320, 200};
constexpr QRectF kToFrame{408, 200, 320, 200};
constexpr QRectF kStartFrame{288, 60, 200, 48};
constexpr QRectF kSpinnerFrame{88, 304, 16, 16};
constexpr QRectF kStatusFrame{112, 300, 576, 24};
constexpr QRectF kBarFrame{88, 260, 600, 20};
constexpr QRectF kCancelFrame{328, 150, 120, 36};

QWidget* addView(QWidget* parent, const QRectF& frame) {
    auto* view = new QWidget(parent);
    kit::setCocoaFrame(view, frame);
    return view;
}

std::mutex& processorMutex() {
    static std::mutex mutex;
    return mutex;
}

// The first answer for the Mac it was asked on; another (simulated) Mac is asked afresh.
struct ProcessorAnswer {
    QString mac;
    std::optional<bool> apple;
};

ProcessorAnswer& processorAnswer() {
    static ProcessorAnswer answer;
    return answer;
}

}  // namespace

SelectDrivceViewController::SelectDrivceViewController(QWidget* parent)
    : QWidget(parent), engine_(KVBootable::KVShareInstance()) {
    resize(kScreenSize.toSize());
    awakeFromNib();
}

SelectDrivceViewController::~SelectDrivceViewController() {
    if (engine_->delegateObj() == this) {
        engine_->KVSetDelegate(nullptr);
    }
}

void SelectDrivceViewController::awakeFromNib() {
    engine_->KVInit();
    engine_->KVSetDelegate(this);
    buildChoosingView();
    buildProgressView();
    freeSize_ = -1;
    systemVolume_ = ZZCheckVolumeIsBootDriveImp();
    usedSize_ = systemVolume_.usedSize;
    setUpSourcePanel();
    selectToVC_ = sources::addPanel(selectToView_, 2, this);
}

void SelectDrivceViewController::buildChoosingView() {
    selectDiskView_ = addView(this, kScreenFrame);
    kit::addLabel(selectDiskView_, kHeadingFrame, sources::dialogText(16))
        ->setText(
            QStringLiteral("Clone the running system onto an external drive and make that drive bootable."));
    selectFromView_ = addView(selectDiskView_, kFromFrame);
    selectToView_ = addView(selectDiskView_, kToFrame);
    cloneButton_ = kit::addImageButton(selectDiskView_, kStartFrame, QStringLiteral("btn_main"),
                                       QStringLiteral("Clone Now"));
    cloneButton_->setButtonEnabled(false);
    connect(cloneButton_, &QAbstractButton::clicked, this, &SelectDrivceViewController::cloneButtonAction);
}

void SelectDrivceViewController::buildProgressView() {
    progressView_ = addView(this, kScreenFrame);
    kit::addLabel(progressView_, kHeadingFrame, sources::dialogText(16))
        ->setText(QStringLiteral("Cloning the system. Keep the destination drive connected."));
    proView_ = new kit::Spinner(progressView_);
    kit::setCocoaFrame(proView_, kSpinnerFrame);
    pathLabel_ = kit::addLabel(progressView_, kStatusFrame, sources::dialogText(13));
    pathLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    rogressView_ = new ProgressView(progressView_);
    kit::setCocoaFrame(rogressView_, kBarFrame);
    cancelButton_ = kit::addImageButton<CancelTextImageButton>(
        progressView_, kCancelFrame, QStringLiteral("btn_sec"), QStringLiteral("Cancel"));
    connect(cancelButton_, &QAbstractButton::clicked, this, &SelectDrivceViewController::cancelButtonAction);
    progressView_->hide();
}

// The source is the running system, fixed: the panel shows it and then ignores the pointer.
void SelectDrivceViewController::setUpSourcePanel() {
    selectFromVC_ = sources::addPanel(selectFromView_, 1, this);
    selectFromVC_->setIsHaveD(true);
    selectFromVC_->selectDiskBut()->setEnabled(false);
    selectFromVC_->selectDiskBut()->setImageName(QStringLiteral("ic_disk_main"));
    selectFromVC_->changeBgImageViewWithError(false);
    selectFromVC_->setIsCanSelect(false);
    selectFromVC_->nameLabel()->setText(QStringLiteral("System Drive"));
    selectFromVC_->sizeLabel()->setText(KVPublicUtilities::longlongDiskSize(usedSize_));
}

bootable::SystemVolume SelectDrivceViewController::ZZCheckVolumeIsBootDriveImp() {
    const auto info =
        ZZDoCommand(disk::DiskUtilCommands::info(QStringLiteral("/")), QStringLiteral("OrvDataTemp.plist"));
    return bootable::systemVolumeFrom(info.value_or(QVariantMap()), KVPublicUtilities::getSystemVersion());
}

void SelectDrivceViewController::selectDiskButton(qint32 diskFrom, QWidget* control) {
    if (diskPicker_.selectDiskButton(diskFrom, control, {.isOnlyShowEx = true}, this)) {
        openPopType_ = static_cast<quint64>(diskFrom);
    }
}

void SelectDrivceViewController::doSelectDiskWithVolume(const VolumeObj& volume) {
    diskPicker_.close();
    if (openPopType_ == 1) {
        return;
    }
    // Erasing the disk the system runs from would destroy the source of the clone and the running system.
    if (systemVolume_.isOn(volume.volumePath)) {
        closeDiskValue(2);
        showErrorWindowWithErrorStr(sources::kSameVolumeMessage);
        return;
    }
    toVolume_ = volume;
    sources::showVolumeOnPanel(selectToVC_, volume, QStringLiteral("%1 free").arg(volume.volumeTotalSize));
    freeSize_ = volume.volumeTotalSizeNum;
    changeSelectCopyType();
}

void SelectDrivceViewController::changeSelectCopyType() {
    switch (sources::checkSpace({usedSize_, freeSize_, -1, false})) {
        case sources::SpaceVerdict::Unknown:
            changeCloneButtonActon();
            return;
        case sources::SpaceVerdict::TooSmall:
            cloneButton_->setButtonEnabled(false);
            sources::markPanelTooSmall(selectToVC_);
            showErrorWindowWithErrorStr(sources::kInsufficientSpaceMessage);
            return;
        case sources::SpaceVerdict::Enough:
            cloneButton_->setButtonEnabled(true);
            selectToVC_->changeBgImageViewWithError(false);
            return;
    }
}

void SelectDrivceViewController::changeCloneButtonActon() {
    if (usedSize_ == -1 || freeSize_ == -1 || !toVolume_) {
        return;
    }
    if (toVolume_->volumeTotalSizeNum < usedSize_) {
        selectToVC_->selectDiskBut()->setImageName(QStringLiteral("add"));
    } else {
        cloneButton_->setButtonEnabled(true);
    }
}

void SelectDrivceViewController::showErrorWindowWithErrorStr(const QString& text) {
    ErrorWindowController::showError(errorWC_, text);
}

void SelectDrivceViewController::closeDiskValue(qint32 /*diskFrom*/) {
    selectDiskView_->show();
    progressView_->hide();
    toVolume_.reset();
    freeSize_ = -1;
    sources::resetPanel(selectToVC_);
    cloneButton_->setButtonEnabled(false);
}

void SelectDrivceViewController::backHomeView() {
    closeDiskValue(2);
}

void SelectDrivceViewController::cloneButtonAction() {
    platform::mainAsync([self = QPointer<SelectDrivceViewController>(this)] {
        if (self) {
            self->doCopyAction();
        }
    });
}

void SelectDrivceViewController::doCopyAction() {
    // A second press queued behind the first must not replace the question while it is open.
    if (isActive() || !toVolume_ || (makeSureWC_ && kit::ModalRun::isRunning(makeSureWC_->window()))) {
        return;
    }
    makeSureWC_.reset();
    makeSureWC_ = std::make_unique<MakeSureToCloneSystemVC>(
        QStringLiteral("“%1” (%2)").arg(toVolume_->volumeName, toVolume_->volumeTotalSize));
    makeSureWC_->setDelegate(this);
    kit::centerWindow(makeSureWC_->window());
    kit::ModalRun::runModalForWindow(makeSureWC_->window());
}

void SelectDrivceViewController::beginToCopySystem() {
    if (isActive() || !toVolume_) {
        return;
    }
    canChangeTab(false);
    proView_->show();
    pathLabel_->setText(QStringLiteral(" "));
    rogressView_->changeProgressValue(0);
    progressValue_ = 0;
    selectDiskView_->hide();
    progressView_->show();
    cancelButton_->setButtonEnabled(true);
    ++runId_;
    runState_ = RunState::Cloning;
    const int started = engine_->KVStart(&*toVolume_);
    if (started < 0) {
        const QString message =
            started == KVBootable::kErrUnplugged ? sources::kUnpluggedMessage : kStartFailedMessage;
        qCWarning(lcApp).noquote() << "Error :" << message << "(" << started << ")";
        runState_ = RunState::Done;
        proView_->hide();
        backHomeView();
        canChangeTab(true);
        showErrorWindowWithErrorStr(message);
    }
}

void SelectDrivceViewController::KVUINotify(const KVProgressRecord& record) {
    if (runState_ != RunState::Cloning) {
        return;  // the run has ended, or was never started here
    }
    if (record.iErrCode >= 0) {
        changeProValue(barValueForStep(record.iStepCode));
        return;
    }
    if (const auto message = messageForError(record.iErrCode)) {
        engine_->KVStop();
        finishRun(true, *message, record.iErrCode == KVBootable::kErrRestore);
    }
}

void SelectDrivceViewController::changeProTimeWithTag(int tag, int pass) {
    if (runState_ != RunState::Cloning || (pass != 1 && pass != 2)) {
        return;
    }
    changeProValue(static_cast<float>(3 * tag + (pass == 1 ? 35 : 65)));
}

void SelectDrivceViewController::changeProLabelValue(const QString& text) {
    if (runState_ == RunState::Cloning) {
        pathLabel_->setText(trim(text));
    }
}

float SelectDrivceViewController::barValueForStep(int stepCode) {
    switch (stepCode) {
        case 1:
            return 5;
        case 2:
            return 10;
        case 3:
            return 15;
        case 4:
            return 20;
        case 5:
            return 30;
        case 8:
            return 100;
        default:
            return 0;
    }
}

std::optional<QString> SelectDrivceViewController::messageForError(int errorCode) {
    switch (errorCode) {
        case -7:
        case -6:
        case -2:
        case -1:
            return QStringLiteral("Failed to create bootable disk, please try again.");
        case -5:
            return QStringLiteral("System version does not support this function.");
        case -4:
            return QStringLiteral(
                "An error occurred when erasing data. "
                "Please make sure that the device is not being used or you have enough permissions.");
        case -3:
            return sources::kUnpluggedMessage;
        default:
            return std::nullopt;
    }
}

QString SelectDrivceViewController::trim(const QString& text) {
    const auto blank = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text.at(begin))) {
        ++begin;
    }
    while (end > begin && blank(text.at(end - 1))) {
        --end;
    }
    return text.isNull() ? QStringLiteral("") : text.mid(begin, end - begin);
}

void SelectDrivceViewController::changeProValue(float value) {
    rogressView_->changeProgressValue(value);
    progressValue_ = value;
    if (value < 100 || runState_ != RunState::Cloning) {
        return;
    }
    if (has_m1_chip() || KVPublicUtilities::getSystemVersion() >= 1300) {
        repairPrebootFile();
    } else {
        showEndView();
    }
}

void SelectDrivceViewController::repairPrebootFile() {
    runState_ = RunState::Repairing;
    cancelButton_->setButtonEnabled(false);
    closeStopQuestion();
    pathLabel_->setText(QStringLiteral("Cloning..."));
    const QString disk = toVolume_ ? toVolume_->volumePath : QString();
    platform::globalAsync([self = QPointer<SelectDrivceViewController>(this), run = runId_, disk] {
        bootable::repairPreboot(disk);
        platform::mainAsync([self, run] {
            if (self) {
                self->prebootRepaired(run);
            }
        });
    });
}

void SelectDrivceViewController::prebootRepaired(quint64 runId) {
    if (runId != runId_ || runState_ != RunState::Repairing) {
        return;
    }
    pathLabel_->setText(QStringLiteral("Finishing..."));
    showEndView();
}

void SelectDrivceViewController::showEndView() {
    finishRun(false, QString());
}

void SelectDrivceViewController::showFailView(const QString& message) {
    finishRun(true, message);
}

void SelectDrivceViewController::finishRun(bool failed, const QString& message, bool restoreFailed) {
    if (!isActive()) {
        return;  // a run shows one result
    }
    runState_ = RunState::Done;
    closeStopQuestion();
    proView_->hide();
    backHomeView();
    cancelButton_->setButtonEnabled(true);
    showFaile(failed);
    endWC_.reset();
    endWC_ = std::make_unique<CloneSystemEndWindowController>();
    kit::centerWindow(endWC_->window());
    endWC_->showAccessHint(restoreFailed);
    if (failed) {
        endWC_->showFailure(message, restoreFailed ? engine_->restoreReason() : QString());
    } else {
        endWC_->showFaile(false);
    }
    kit::ModalRun::runModalForWindow(endWC_->window());
}

void SelectDrivceViewController::showFaile(bool /*failed*/) {
    canChangeTab(true);
}

void SelectDrivceViewController::canChangeTab(bool canChange) {
    if (delegate_ != nullptr) {
        delegate_->canChangeTab(canChange);
    }
}

void SelectDrivceViewController::cancelButtonAction() {
    cancelClone();
}

void SelectDrivceViewController::cancelClone() {
    if (runState_ != RunState::Cloning || (cancelWC_ && kit::ModalRun::isRunning(cancelWC_->window()))) {
        return;
    }
    cancelWC_.reset();
    cancelWC_ = std::make_unique<MakeSureCancelCloneSystemVC>();
    cancelWC_->setDelegate(this);
    cancelRunId_ = runId_;
    kit::centerWindow(cancelWC_->window());
    kit::ModalRun::runModalForWindow(cancelWC_->window());
}

void SelectDrivceViewController::cancelToCopySystem() {
    if (runState_ != RunState::Cloning || cancelRunId_ != runId_) {
        return;  // the run asked about has ended meanwhile
    }
    engine_->KVStop();
    showFailView(kStoppedMessage);
}

// The question about stopping has no meaning once the run has ended or cannot be stopped any more.
void SelectDrivceViewController::closeStopQuestion() {
    if (cancelWC_ && kit::ModalRun::isRunning(cancelWC_->window())) {
        cancelWC_->closeWindow();
    }
}

int SelectDrivceViewController::getAuthorizationStatus() {
    // A sandboxed process's home would be its container; the home folder is always the user's entry in the
    // user database, which holds the Safari folder.
    const bool isSandboxed = qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID");
    qCInfo(lcApp, "isSandboxed : %d", isSandboxed ? 1 : 0);
    const QString safari = platform::homeFolder() + QStringLiteral("/Library/Safari");
    if (!platform::FileSystem::exists(safari)) {
        return 0;
    }
    return platform::FileSystem::list(safari) ? 2 : 1;
}

bool has_m1_chip() {
    std::lock_guard guard(processorMutex());
    ProcessorAnswer& answer = processorAnswer();
    const QString mac = platform::simRoot();
    if (!answer.apple || answer.mac != mac) {
        const auto brand = platform::sysctlString(QStringLiteral("machdep.cpu.brand_string"));
        answer = {mac, brand && brand->contains(QLatin1String("Apple"))};
    }
    return *answer.apple;
}
