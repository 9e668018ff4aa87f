#include "app/sources/SourceDestinationScreen.h"

#include "app/ErrorWindowController.h"
#include "app/sources/CopyTypeChooser.h"
#include "app/sources/DiskListWC.h"
#include "app/sources/LComboBox.h"
#include "app/sources/ListFileViewController.h"
#include "app/sources/PanelSteps.h"
#include "app/sources/ScreenMessages.h"
#include "app/sources/SelectValueView.h"
#include "app/sources/SourceChecks.h"
#include "platform/LogCategories.h"
#include "services/files/Controller.h"
#include "services/utilities/KVPublicUtilities.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QLabel>

#include <algorithm>

namespace sources {

namespace {

// The layout, in the screen's Cocoa coordinates (776 x 558).
constexpr QRectF kHeadingFrame{60, 440, 656, 56};
constexpr QRectF kFromFrame{48, 200, 320, 200};
constexpr QRectF kToFrame{408, 200, 320, 200};
// The combo stands beside the start button, its top edge on the point of the main window that the copy-type
// chooser is attached to (the screen lies 112 points right of the window's left edge): the chooser opens
// right above the combo, pointing at it, and the pointer enters it from the combo.
constexpr QRectF kComboFrame{QPointF(48, CopyTypeChooser::kAttachPoint.y() - LComboBox::kViewSize.height()),
                             LComboBox::kViewSize};
constexpr QRectF kErrorFrame{408, 160, 320, 30};
constexpr QRectF kStartFrame{288, 60, 200, 48};

QWidget* addPlaceholder(QWidget* parent, const QRectF& frame) {
    auto* view = new QWidget(parent);
    kit::setCocoaFrame(view, frame);
    return view;
}

qsizetype checkedCount(const FileNodeList& roots) {
    return std::count_if(roots.begin(), roots.end(),
                         [](const auto& node) { return node->state() != FileNode::kUnchecked; });
}

}  // namespace

SourceDestinationScreen::SourceDestinationScreen(const ScreenDifferences& differences, const QString& heading,
                                                 const QString& startTitle, QWidget* parent)
    : QWidget(parent), differences_(differences), controller_(std::make_unique<Controller>()) {
    resize(kScreenSize.toSize());
    controller_->setADelegate(this);

    topLabel_ = kit::addLabel(
        this, kHeadingFrame,
        {.pixelSize = 16, .alignment = Qt::AlignCenter, .wordWrap = true, .clickThrough = true}, heading);
    selectFromView_ = addPlaceholder(this, kFromFrame);
    selectToView_ = addPlaceholder(this, kToFrame);

    cloneButton_ = kit::addImageButton(this, kStartFrame, QStringLiteral("btn_main"), startTitle);
    cloneButton_->setButtonEnabled(false);
    connect(cloneButton_, &QAbstractButton::clicked, this, [this] {
        if (!isScanning()) {
            cloneButtonAction();
        }
    });

    comboBoxView_ = addPlaceholder(this, kComboFrame);
    lComboBox_ = new LComboBox(comboBoxView_);
    lComboBox_->setLconboBoxDelegate(this);
    lComboBox_->setStrLabelValue(QStringLiteral("Copy All Files"));
    lComboBox_->setlComboBoxEnde(false);
    comboBoxView_->hide();
    copyTypeChooser_ = new CopyTypeChooser(lComboBox_, this);

    errorView_ = addPlaceholder(this, kErrorFrame);
    kit::addLabel(errorView_, QRectF(QPointF(), kErrorFrame.size()),
                  {.pixelSize = 12,
                   .color = getColor(235, 87, 87, 1),
                   .alignment = Qt::AlignCenter,
                   .wordWrap = true,
                   .clickThrough = true},
                  QStringLiteral("Not enough free space on this drive"));
    errorView_->hide();

    selectFromVC_ = addPanel(selectFromView_, 1, this);
    selectToVC_ = addPanel(selectToView_, 2, this);
}

SourceDestinationScreen::~SourceDestinationScreen() {
    controller_->setADelegate(nullptr);
}

void SourceDestinationScreen::selectDiskButton(qint32 diskFrom, QWidget* control) {
    if (diskPicker_.selectDiskButton(diskFrom, control, differences_.popover, this)) {
        openPopType_ = static_cast<quint64>(diskFrom);
    }
}

void SourceDestinationScreen::doSelectDiskWithVolume(const VolumeObj& volume) {
    diskPicker_.close();
    if (openPopType_ == 1) {
        chooseSource(volume);
    } else {
        chooseDestination(volume);
    }
}

void SourceDestinationScreen::chooseSource(const VolumeObj& volume) {
    dropScan();
    fromeVolume_ = volume;
    selectFilesSize_ = -1;
    chosenRoots_.reset();
    chosenIsWholeSource_ = false;
    isDragValue_ = false;
    resetCombo(0);
    if (toVolume_ && isSameVolume(*toVolume_, volume)) {
        clearSource(false);
        showError(kSameVolumeMessage);
        return;
    }
    usedSize_ = volume.volumeTotalSizeNum - volume.volumeFreeSizeNum;
    showVolumeOnPanel(selectFromVC_, volume,
                      QStringLiteral("%1 selected").arg(KVPublicUtilities::longlongDiskSize(usedSize_)));
    lComboBox_->setlComboBoxEnde(true);
    comboBoxView_->show();
    changeSelectCopyType();
}

void SourceDestinationScreen::chooseDestination(const VolumeObj& volume) {
    toVolume_ = volume;
    if (fromeVolume_ && isSameVolume(*fromeVolume_, volume)) {
        clearDestination();
        showError(kSameVolumeMessage);
        return;
    }
    showVolumeOnPanel(selectToVC_, volume, QStringLiteral("%1 free").arg(volume.volumeFreeSize));
    freeSize_ = volume.volumeFreeSizeNum;
    changeSelectCopyType();
}

void SourceDestinationScreen::closeDiskValue(qint32 diskFrom) {
    if (diskFrom == 1) {
        clearSource(differences_.closingSourceKeepsSet);
    } else {
        clearDestination();
    }
}

void SourceDestinationScreen::clearSource(bool keepSet) {
    dropScan();
    if (!keepSet) {
        chosenRoots_.reset();
        chosenIsWholeSource_ = false;
    }
    fromeVolume_.reset();
    usedSize_ = -1;
    selectFilesSize_ = -1;
    isDragValue_ = false;
    resetPanel(selectFromVC_);
    errorView_->hide();
    destinationFits();  // nothing is too big for it now
    resetCombo(0);
    lComboBox_->setlComboBoxEnde(false);
    comboBoxView_->hide();
    setStartEnabled(false);
}

void SourceDestinationScreen::clearDestination() {
    toVolume_.reset();
    freeSize_ = -1;
    resetPanel(selectToVC_);
    errorView_->hide();
    if (usedSize_ != -1) {
        lComboBox_->setlComboBoxEnde(true);
    }
    setStartEnabled(false);
}

void SourceDestinationScreen::viewDragAction(const SharedFileNodeList& roots) {
    dropScan();
    resetCombo(0);
    isDragValue_ = true;
    chosenRoots_ = roots;
    chosenIsWholeSource_ = false;
    // The dropped set is the source now: the volume shown before no longer counts.
    fromeVolume_.reset();
    usedSize_ = -1;
    showSetOnPanel(selectFromVC_, QString::fromUtf8(differences_.dropName),
                   QStringLiteral("%1 files selected").arg(roots ? roots->size() : 0));
    lComboBox_->setlComboBoxEnde(true);
    selectFilesSize_ = 0;
    changeCloneButtonActon();
}

void SourceDestinationScreen::showSelectAllVC() {
    copyTypeChooser_->showSelectAllVC(window());
}

void SourceDestinationScreen::doShowSearchView() {
    if (isScanning() || (!fromeVolume_ && !chosenRoots_)) {
        return;
    }
    diskListWC_.reset();
    diskListWC_ = std::make_unique<DiskListWC>();
    diskListWC_->setDelegate(this);
    kit::centerWindow(diskListWC_->window());
    if (!chosenRoots_ || chosenIsWholeSource_) {
        diskListWC_->showDetailWithPath(fromeVolume_->volumeMountPoint);
    } else {
        diskListWC_->listFileVC()->setArrForListWithArr(chosenRoots_,
                                                        fromeVolume_ ? fromeVolume_->volumePath : QString());
    }
    kit::ModalRun::runModalForWindow(diskListWC_->window());
}

void SourceDestinationScreen::closeWindowWithSelect(const SharedFileNodeList& roots, qint64 total) {
    qCInfo(lcApp) << "---" << (roots ? roots->size() : 0) << "roots";
    chosenRoots_ = roots;
    chosenIsWholeSource_ = false;
    const qsizetype count = roots ? checkedCount(*roots) : 0;
    if (roots && count == static_cast<qsizetype>(roots->size()) && !isDragValue_ && fromeVolume_) {
        usedSize_ = fromeVolume_->volumeTotalSizeNum - fromeVolume_->volumeFreeSizeNum;
        showVolumeOnPanel(selectFromVC_, *fromeVolume_,
                          QStringLiteral("%1 selected").arg(KVPublicUtilities::longlongDiskSize(usedSize_)));
    } else {
        showSetOnPanel(selectFromVC_, QStringLiteral("%1 files/folders").arg(count),
                       QStringLiteral("%1 selected").arg(KVPublicUtilities::longlongConvertVolSpace(total)));
    }
    comboBoxView_->show();
    selectFilesSize_ = total;
    changeCloneButtonActon();
}

void SourceDestinationScreen::changeSelectCopyType() {
    if (resettingCombo_) {
        return;
    }
    switch (checkSpace(figures())) {
        case SpaceVerdict::Unknown:
            changeCloneButtonActon();
            return;
        case SpaceVerdict::Enough:
            errorView_->hide();
            lComboBox_->setlComboBoxEnde(true);
            setStartEnabled(true);
            destinationFits();
            return;
        case SpaceVerdict::TooSmall:
            errorView_->show();
            resetCombo(1);  // "Copy Some Files": the user can choose a smaller set
            lComboBox_->setlComboBoxEnde(false);
            setStartEnabled(false);
            markPanelTooSmall(selectToVC_);
            showError(kInsufficientSpaceMessage);
            setStartEnabled(differences_.tooSmallKeepsStartOn);
            return;
    }
}

void SourceDestinationScreen::changeCloneButtonActon() {
    switch (checkChosenSet(figures())) {
        case SpaceVerdict::Unknown:
            return;
        case SpaceVerdict::Enough:
            errorView_->hide();
            setStartEnabled(true);
            destinationFits();
            return;
        case SpaceVerdict::TooSmall:
            errorView_->show();
            lComboBox_->setlComboBoxEnde(false);
            resetCombo(1);
            markPanelTooSmall(selectToVC_);
            setStartEnabled(differences_.tooSmallKeepsStartOn && isDragValue_);
            return;
    }
}

void SourceDestinationScreen::showError(const QString& message) {
    ErrorWindowController::showError(errorWC_, message);
}

void SourceDestinationScreen::scanWholeSource(bool forCopy) {
    if (!fromeVolume_) {
        return;
    }
    scanRoots_ = std::make_shared<FileNodeList>();
    controller_->eumeAllRootFileNodeWithRootArr(scanRoots_, fromeVolume_->volumePath, true, forCopy);
}

void SourceDestinationScreen::copyFileScanFiles() {
    scanEnded();
}

void SourceDestinationScreen::endScanFiles() {
    scanEnded();
}

void SourceDestinationScreen::scanEnded() {
    if (!scanRoots_) {
        return;  // dropped: the source changed meanwhile
    }
    chosenRoots_ = std::move(scanRoots_);
    scanRoots_.reset();
    chosenIsWholeSource_ = true;
    wholeSourceScanned();
}

void SourceDestinationScreen::dropScan() {
    if (scanRoots_) {
        controller_->stopScan();
        scanRoots_.reset();
    }
}

bool SourceDestinationScreen::checkSourcePresent() {
    if (isDragValue_ || (fromeVolume_ && isPresent(*fromeVolume_))) {
        return true;
    }
    clearSource(false);
    showError(kUnpluggedMessage);
    return false;
}

bool SourceDestinationScreen::checkDestinationPresent() {
    if (toVolume_ && isPresent(*toVolume_)) {
        return true;
    }
    clearDestination();
    showError(kUnpluggedMessage);
    return false;
}

void SourceDestinationScreen::destinationFits() {
    if (toVolume_) {
        markPanelFits(selectToVC_, *toVolume_);
    }
}

void SourceDestinationScreen::resetCombo(quint64 type) {
    resettingCombo_ = true;
    lComboBox_->changeSelectType(type);
    resettingCombo_ = false;
}

void SourceDestinationScreen::setStartEnabled(bool enabled) {
    cloneButton_->setButtonEnabled(enabled);
}

SpaceFigures SourceDestinationScreen::figures() const {
    return {.usedSize = usedSize_,
            .freeSize = freeSize_,
            .selectFilesSize = selectFilesSize_,
            .isDragValue = isDragValue_,
            .margin = jobMargin()};
}

}  // namespace sources
