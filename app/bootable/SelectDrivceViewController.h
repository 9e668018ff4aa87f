#pragma once

#include "app/bootable/MakeSureCancelCloneSystemVCDelegate.h"
#include "app/bootable/MakeSureToCloneSystemVCDelegate.h"
#include "app/bootable/SystemVolume.h"
#include "app/sources/DiskPickerPopover.h"
#include "app/sources/SelectDiskVCDelegate.h"
#include "app/sources/SelectValueViewDelegate.h"
#include "services/disks/VolumeObj.h"
#include "services/jobs/KVBootableDelegate.h"

#include <QSizeF>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class CancelTextImageButton;
class CloneSystemEndWindowController;
class ErrorWindowController;
class KVBootable;
class MakeSureCancelCloneSystemVC;
class MakeSureToCloneSystemVC;
class ProgressView;
class QLabel;
class SelectDrivceViewControllerDelegate;
class SelectValueView;
class TextImageButton;
namespace kit {
class Spinner;
}

// The Clone OS screen, created once with the main window and kept for the whole run. Its source is always
// the running system; the user picks an external whole disk in the disk picker, confirms that it will be
// erased, and the clone engine copies the system onto it while the screen shows the engine's steps and
// status texts. On Apple silicon or macOS 13 and later the cloned disk's Preboot volume then receives the
// system's cryptexes. The result window ends the run and the screen returns to the disk choice.
//
// - A target smaller than the space in use on the system volume, or a disk that holds the running system,
//   is refused with the error dialog.
// - A run goes Idle → Cloning → (Repairing) → Done and has an identity: engine reports, the repair's end and
//   a stop confirmed in the question are taken only for the run that is cloning (or repairing) now, so each
//   run shows exactly one result. "Cancel" does nothing during the repair.
// - A start the engine refuses shows the message and returns to the disk choice.
class SelectDrivceViewController : public QWidget,
                                   public KVBootableDelegate,
                                   public SelectValueViewDelegate,
                                   public SelectDiskVCDelegate,
                                   public MakeSureToCloneSystemVCDelegate,
                                   public MakeSureCancelCloneSystemVCDelegate {
    Q_OBJECT

public:
    static constexpr QSizeF kScreenSize{776, 558};
    enum class RunState { Idle, Cloning, Repairing, Done };

    static inline const QString kStoppedMessage = QStringLiteral("You have stopped the clone process.");
    static inline const QString kStartFailedMessage =
        QStringLiteral("An error occurred when creating the target disk.");

    explicit SelectDrivceViewController(QWidget* parent = nullptr);
    ~SelectDrivceViewController() override;
    SelectDrivceViewController(const SelectDrivceViewController&) = delete;
    SelectDrivceViewController& operator=(const SelectDrivceViewController&) = delete;

    // The panels and the picker.
    void selectDiskButton(qint32 diskFrom, QWidget* control) override;
    void closeDiskValue(qint32 diskFrom) override;
    void doSelectDiskWithVolume(const VolumeObj& volume) override;
    // "Clone Now", "Cancel" and the two questions.
    void cloneButtonAction();
    void cancelButtonAction();
    void beginToCopySystem() override;
    void cancelToCopySystem() override;
    // The engine.
    void KVUINotify(const KVProgressRecord& record) override;
    void changeProTimeWithTag(int tag, int pass) override;
    void changeProLabelValue(const QString& text) override;

    void doCopyAction();
    void cancelClone();
    void changeSelectCopyType();
    void changeCloneButtonActon();
    void showErrorWindowWithErrorStr(const QString& text);
    void changeProValue(float value);
    void showFailView(const QString& message);
    void showEndView();
    void backHomeView();
    void showFaile(bool failed);
    void canChangeTab(bool canChange);
    void repairPrebootFile();

    // The bar's value for an engine step: 5, 10, 15, 20, 30 for steps 1 to 5, 100 for step 8, else 0.
    static float barValueForStep(int stepCode);
    // The failure message of an engine error from -7 to -1; nothing for any other code.
    static std::optional<QString> messageForError(int errorCode);
    // The text with the blanks and tabs at both ends removed; a null text gives the empty text.
    static QString trim(const QString& text);
    // diskutil info of "/": the bytes in use on the system volume and the whole disks that hold it.
    static bootable::SystemVolume ZZCheckVolumeIsBootDriveImp();
    // Whether the home folder's "Library/Safari" can be listed: 2 yes, 1 it exists but cannot be (no Full
    // Disk Access), 0 it does not exist.
    static int getAuthorizationStatus();

    RunState runState() const { return runState_; }
    quint64 runId() const { return runId_; }
    float progressValue() const { return progressValue_; }
    quint64 openPopType() const { return openPopType_; }
    qint64 usedSize() const { return usedSize_; }
    qint64 freeSize() const { return freeSize_; }
    const std::optional<VolumeObj>& toVolume() const { return toVolume_; }
    const bootable::SystemVolume& systemVolume() const { return systemVolume_; }
    QWidget* selectFromView() const { return selectFromView_; }
    QWidget* selectToView() const { return selectToView_; }
    SelectValueView* selectFromVC() const { return selectFromVC_; }
    SelectValueView* selectToVC() const { return selectToVC_; }
    TextImageButton* cloneButton() const { return cloneButton_; }
    QWidget* selectDiskView() const { return selectDiskView_; }
    QWidget* progressView() const { return progressView_; }
    QLabel* pathLabel() const { return pathLabel_; }
    ProgressView* rogressView() const { return rogressView_; }
    CancelTextImageButton* cancelButton() const { return cancelButton_; }
    kit::Spinner* proView() const { return proView_; }
    const sources::DiskPickerPopover& diskPicker() const { return diskPicker_; }
    ErrorWindowController* errorWC() const { return errorWC_.get(); }
    MakeSureToCloneSystemVC* makeSureWC() const { return makeSureWC_.get(); }
    MakeSureCancelCloneSystemVC* cancelWC() const { return cancelWC_.get(); }
    CloneSystemEndWindowController* endWC() const { return endWC_.get(); }
    SelectDrivceViewControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(SelectDrivceViewControllerDelegate* delegate) { delegate_ = delegate; }

private:
    void awakeFromNib();
    void buildChoosingView();
    void buildProgressView();
    void setUpSourcePanel();
    // Ends the current run once, with the result window.
    // `restoreFailed`: the failure view adds the restore tool's reason and the Full Disk Access hint, the one
    // cause it can point to.
    void finishRun(bool failed, const QString& message, bool restoreFailed = false);
    void prebootRepaired(quint64 runId);
    void closeStopQuestion();
    bool isActive() const { return runState_ == RunState::Cloning || runState_ == RunState::Repairing; }

    KVBootable* engine_ = nullptr;
    QWidget* selectFromView_ = nullptr;
    QWidget* selectToView_ = nullptr;
    SelectValueView* selectFromVC_ = nullptr;
    SelectValueView* selectToVC_ = nullptr;
    quint64 openPopType_ = 0;
    qint64 usedSize_ = -1;
    qint64 freeSize_ = -1;
    std::optional<VolumeObj> toVolume_;
    bootable::SystemVolume systemVolume_;
    sources::DiskPickerPopover diskPicker_;
    TextImageButton* cloneButton_ = nullptr;
    std::unique_ptr<ErrorWindowController> errorWC_;
    std::unique_ptr<MakeSureToCloneSystemVC> makeSureWC_;
    std::unique_ptr<MakeSureCancelCloneSystemVC> cancelWC_;
    std::unique_ptr<CloneSystemEndWindowController> endWC_;
    SelectDrivceViewControllerDelegate* delegate_ = nullptr;
    QWidget* selectDiskView_ = nullptr;
    QWidget* progressView_ = nullptr;
    QLabel* pathLabel_ = nullptr;
    ProgressView* rogressView_ = nullptr;
    CancelTextImageButton* cancelButton_ = nullptr;
    kit::Spinner* proView_ = nullptr;

    RunState runState_ = RunState::Idle;
    quint64 runId_ = 0;
    quint64 cancelRunId_ = 0;  // the run the open stop question is about
    float progressValue_ = 0;
};

// Whether the Mac has an Apple processor: its brand ("machdep.cpu.brand_string") names Apple. Asked once per
// Mac (a process sees one, unless it moves to another simulated Mac); later calls give the first answer.
bool has_m1_chip();
