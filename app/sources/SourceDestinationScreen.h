#pragma once

#include "app/sources/DiskListWCDelegate.h"
#include "app/sources/DiskPickerPopover.h"
#include "app/sources/LComboBoxDelegate.h"
#include "app/sources/SelectDiskVCDelegate.h"
#include "app/sources/SelectValueViewDelegate.h"
#include "app/sources/SpaceCheck.h"
#include "services/disks/VolumeObj.h"
#include "services/files/ControllerDelegate.h"
#include "services/files/FileNode.h"

#include <QSizeF>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class Controller;
class DiskListWC;
class ErrorWindowController;
class LComboBox;
class QLabel;
class SelectValueView;
class TextImageButton;

namespace sources {

class CopyTypeChooser;

// What the Copy Disk and Create Disk Image screens do differently in the steps they share.
struct ScreenDifferences {
    DiskPickerPopover::Style popover;  // border 2 and animated / border 4 and not animated
    const char* dropName;              // the source panel's name line for a dropped set
    bool tooSmallKeepsStartOn;         // after the space dialog the start button stays usable (disk image)
    bool closingSourceKeepsSet;        // closing the source panel keeps the chosen set until a new source
};
inline constexpr ScreenDifferences kCopyDiskSteps{
    {.borderWidth = 2, .animates = true}, "add some files", false, false};
inline constexpr ScreenDifferences kDiskImageSteps{
    {.borderWidth = 4, .animates = false}, "Drag some files", true, true};

// The steps that the Copy Disk and Create Disk Image screens share: a source panel (a volume from the disk
// picker, files dropped on it, or a set chosen in the file list through the copy-type combo), a destination
// panel (a volume), the refusals in the error dialog and the space checks, and the scan of a whole source
// before a job. A screen derives from it, names its start button and adds its job (`cloneButtonAction`).
//
// - One volume on both sides is refused with the same-volume message (mount points compared, links
//   resolved); the side just picked is cleared.
// - The space is checked on the state after a choice: a new source or a drop resets the combo without
//   checking the previous source's size. Too little space shows the warning view and, after a choice of
//   volume, the dialog; the start button goes off (on the disk-image screen it comes back after the dialog).
// - A dropped set replaces the source volume: the panel shows the set, and the set (0 bytes) is what counts.
// - While a whole-source scan runs the start button and the file list do nothing; the scan fills a list of
//   its own that becomes the chosen roots only when it ends, and a new or cleared source drops it.
class SourceDestinationScreen : public QWidget,
                                public SelectValueViewDelegate,
                                public SelectDiskVCDelegate,
                                public LComboBoxDelegate,
                                public DiskListWCDelegate,
                                public ControllerDelegate {
    Q_OBJECT

public:
    static constexpr QSizeF kScreenSize{776, 558};

    SourceDestinationScreen(const ScreenDifferences& differences, const QString& heading,
                            const QString& startTitle, QWidget* parent);
    ~SourceDestinationScreen() override;
    SourceDestinationScreen(const SourceDestinationScreen&) = delete;
    SourceDestinationScreen& operator=(const SourceDestinationScreen&) = delete;

    // The panels.
    void selectDiskButton(qint32 diskFrom, QWidget* control) override;
    void closeDiskValue(qint32 diskFrom) override;
    void viewDragAction(const SharedFileNodeList& roots) override;
    // The disk picker.
    void doSelectDiskWithVolume(const VolumeObj& volume) override;
    // The copy-type combo and the file list.
    void showSelectAllVC() override;
    void doShowSearchView() override;
    void changeSelectCopyType() override;
    void closeWindowWithSelect(const SharedFileNodeList& roots, qint64 total) override;
    void changeCloneButtonActon();
    // The whole-source scan's end.
    void copyFileScanFiles() override;
    void endScanFiles() override;
    // The start button's action; the button does not call it while a whole-source scan runs.
    virtual void cloneButtonAction() = 0;
    // A refusal in the error dialog; returns once the dialog has closed.
    void showError(const QString& message);

    const std::optional<VolumeObj>& fromeVolume() const { return fromeVolume_; }
    const std::optional<VolumeObj>& toVolume() const { return toVolume_; }
    quint64 openPopType() const { return openPopType_; }
    qint64 usedSize() const { return usedSize_; }
    qint64 freeSize() const { return freeSize_; }
    qint64 selectFilesSize() const { return selectFilesSize_; }
    bool isDragValue() const { return isDragValue_; }
    // The roots a job takes: the chosen set, the dropped files or the scanned whole source; none until one
    // of them exists.
    const SharedFileNodeList& chosenRoots() const { return chosenRoots_; }
    // The chosen roots are the scanned whole source (not a chosen or dropped set).
    bool chosenIsWholeSource() const { return chosenIsWholeSource_; }
    bool isScanning() const { return scanRoots_ != nullptr; }

    QLabel* topLabel() const { return topLabel_; }
    QWidget* selectFromView() const { return selectFromView_; }
    QWidget* selectToView() const { return selectToView_; }
    QWidget* comboBoxView() const { return comboBoxView_; }
    QWidget* errorView() const { return errorView_; }
    SelectValueView* selectFromVC() const { return selectFromVC_; }
    SelectValueView* selectToVC() const { return selectToVC_; }
    LComboBox* lComboBox() const { return lComboBox_; }
    TextImageButton* cloneButton() const { return cloneButton_; }
    const DiskPickerPopover& diskPicker() const { return diskPicker_; }
    CopyTypeChooser* copyTypeChooser() const { return copyTypeChooser_; }
    DiskListWC* diskListWC() const { return diskListWC_.get(); }
    ErrorWindowController* errorWC() const { return errorWC_.get(); }
    Controller* controller() const { return controller_.get(); }

protected:
    // Scans the top level of the source volume for a job (`forCopy`: a copy, else an image or archive);
    // `wholeSourceScanned` follows on the main thread.
    void scanWholeSource(bool forCopy);
    virtual void wholeSourceScanned() {}
    // The bytes the screen's job adds on the destination to those it copies; the space checks count them.
    virtual qint64 jobMargin() const { return 0; }
    // True while the source is a volume that is still mounted, or a drop; otherwise the source side is
    // cleared and the unplugged message shown.
    bool checkSourcePresent();
    // True while the destination volume is still mounted; otherwise the destination side is cleared and the
    // unplugged message shown (a folder made at a vanished mount point would land on the startup disk).
    bool checkDestinationPresent();

private:
    void chooseSource(const VolumeObj& volume);
    void chooseDestination(const VolumeObj& volume);
    void clearSource(bool keepSet);
    void clearDestination();
    // Sets the combo's type without telling the screen: the screen checks the new state itself.
    void resetCombo(quint64 type);
    void setStartEnabled(bool enabled);
    // The destination panel out of its too-small look, once the space suffices.
    void destinationFits();
    void dropScan();
    void scanEnded();
    SpaceFigures figures() const;

    const ScreenDifferences differences_;
    QLabel* topLabel_ = nullptr;
    QWidget* selectFromView_ = nullptr;
    QWidget* selectToView_ = nullptr;
    QWidget* comboBoxView_ = nullptr;
    QWidget* errorView_ = nullptr;
    SelectValueView* selectFromVC_ = nullptr;
    SelectValueView* selectToVC_ = nullptr;
    LComboBox* lComboBox_ = nullptr;
    TextImageButton* cloneButton_ = nullptr;
    CopyTypeChooser* copyTypeChooser_ = nullptr;
    DiskPickerPopover diskPicker_;
    std::unique_ptr<DiskListWC> diskListWC_;
    std::unique_ptr<ErrorWindowController> errorWC_;
    std::unique_ptr<Controller> controller_;

    quint64 openPopType_ = 0;
    std::optional<VolumeObj> fromeVolume_;
    std::optional<VolumeObj> toVolume_;
    qint64 usedSize_ = -1;
    qint64 freeSize_ = -1;
    qint64 selectFilesSize_ = -1;
    bool isDragValue_ = false;
    SharedFileNodeList chosenRoots_;
    bool chosenIsWholeSource_ = false;
    SharedFileNodeList scanRoots_;  // the list a running whole-source scan fills
    bool resettingCombo_ = false;
};

}  // namespace sources
