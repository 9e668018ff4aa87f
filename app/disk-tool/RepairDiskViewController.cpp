#include "app/disk-tool/RepairDiskViewController.h"

#include "app/ErrorWindowController.h"
#include "app/disk-tool/FormatEndViewController.h"
#include "app/disk-tool/FormatingViewController.h"
#include "app/disk-tool/FristAidViewController.h"
#include "app/disk-tool/MakeSureFormatViewController.h"
#include "app/disk-tool/ShowAidViewControllrt.h"
#include "app/disk-tool/VolumeCommands.h"
#include "app/disk-tool/VolumeRowCard.h"
#include "app/sources/DialogParts.h"
#include "platform/Dispatch.h"
#include "platform/FileBrowser.h"
#include "platform/TestSettings.h"
#include "platform/Workspace.h"
#include "services/disks/CVolumeMgr.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"
#include "services/disks/WatchMountUnmount.h"
#include "services/utilities/KVLinkUrl.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/TROverlayScrollView.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StatusAttachedWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

using Guard = QPointer<RepairDiskViewController>;
using disktool::CommandResult;
using disktool::VolumeRowCard;
using std::chrono::steady_clock;

RepairDiskViewController::Delays delays;  // read and set on the main thread

const QString kNameColumn = QStringLiteral("Name");

// The screen, in its own Cocoa coordinates: it fills the main window's 776 x 558 container.
constexpr QSizeF kScreenSize{776, 558};
constexpr QRectF kTitleFrame{32, 514, 280, 30};
constexpr QRectF kListStatusFrame{32, 14, 620, 24};  // beside Help, clear of the main window's tip
constexpr QRectF kTableFrame{32, 50, 712, 452};
constexpr QRectF kListFrame{32, 50, 712, 452 - CustomTableView::kHeaderHeight};
constexpr QRectF kHelpFrame{672, 14, 72, 24};
// Inside the view shown when the list cannot be read.
constexpr QRectF kUnreadableTextFrame{40, 230, 632, 40};
constexpr QRectF kTryAgainFrame{296, 180, 120, 36};

QWidget* addListOverlay(QWidget* screen) {
    auto* overlay = new QWidget(screen);
    kit::setCocoaFrame(overlay, kListFrame);
    overlay->hide();
    return overlay;
}

// First Aid on the global queue: its rows and the bar go to the output window on the main queue, in order.
void runFirstAid(const QPointer<ShowAidViewControllrt>& output, const platform::ToolCommand& command,
                 const platform::CancelFlag& stop, const RepairDiskViewController::Delays& waits) {
    const QString verdict = disktool::runFirstAid(
        command, stop, waits.firstAid, waits.firstAidDeadline, [&](const QString& text, int pieces) {
            // Bytes that are not UTF-8 come as an empty text: no row, yet the bar moves.
            platform::mainAsync([output, text, pieces] {
                if (output) {
                    if (!text.isEmpty()) {
                        output->changeShowOutPut(text);
                    }
                    // The end value is reserved for the end: a long run must not look finished early.
                    output->setProgressValue(
                        std::min(static_cast<float>(pieces), ShowAidViewControllrt::kEndValue - 1));
                }
            });
        });
    platform::mainAsync([output, verdict] {
        if (output) {
            output->changeShowOutPut(verdict);
            output->showVerdict(verdict);
            output->setProgressValue(ShowAidViewControllrt::kEndValue);
        }
    });
}

}  // namespace

void RepairDiskViewController::setDelaysForTesting(const Delays& testDelays) {
    platform::restoreAfterTest([old = std::exchange(delays, testDelays)] { delays = old; });
}

RepairDiskViewController::RepairDiskViewController(QWidget* parent) : QWidget(parent) {
    resize(kScreenSize.toSize());
    buildView();
    awakeFromNib();
}

RepairDiskViewController::~RepairDiskViewController() {
    parTableView_->setDataSource(nullptr);
}

void RepairDiskViewController::buildView() {
    kit::addLabel(this, kTitleFrame, {.pixelSize = 18, .bold = true})->setText(QStringLiteral("Disk Tool"));

    parTableView_ = new CustomTableView(this);
    kit::setCocoaFrame(parTableView_, kTableFrame);
    parTableView_->addTableColumn(kNameColumn, QStringLiteral("Volumes"));
    parTableView_->registerViewFactory(kNameColumn, [this](QWidget* parent) { return makeCell(parent); });
    TROverlayScrollView::installOn(parTableView_->scrollView());

    listStatus_ = kit::addLabel(this, kListStatusFrame, {.pixelSize = 12, .color = kit::darkText(0.7f)});
    listStatus_->setText(QStringLiteral("Still reading the list of volumes…"));
    listStatus_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    listStatus_->hide();

    loadProView_ = addListOverlay(this);
    QLabel* loading = kit::addLabel(loadProView_, QRectF(QPointF(), kListFrame.size()),
                                    {.pixelSize = 14, .color = kit::darkText(0.7f)});
    loading->setText(QStringLiteral("Loading volumes…"));
    loading->setAlignment(Qt::AlignCenter);

    unreadableView_ = addListOverlay(this);
    QLabel* unreadable =
        kit::addLabel(unreadableView_, kUnreadableTextFrame, {.pixelSize = 14, .color = kit::darkText(0.8f)});
    unreadable->setText(QStringLiteral("The list of volumes could not be read."));
    unreadable->setAlignment(Qt::AlignCenter);
    tryAgainButton_ = kit::addImageButton(unreadableView_, kTryAgainFrame, QStringLiteral("btn_sec"),
                                          QStringLiteral("Try Again"));
    connect(tryAgainButton_, &QAbstractButton::clicked, this, &RepairDiskViewController::getallVolumes);

    helpButton_ = kit::addImageButton(this, kHelpFrame, QStringLiteral("btn_tool"), QStringLiteral("Help"));
    connect(helpButton_, &QAbstractButton::clicked, this, &RepairDiskViewController::helpButtonAction);
}

void RepairDiskViewController::awakeFromNib() {
    parTableView_->setDataSource(this);
    watchMu = std::make_unique<WatchMountUnmount>();
    auto& center = platform::NotificationCenter::defaultCenter();
    mountToken_ =
        center.addObserver(RZVolumeMountNotification, [this](const QVariantMap&) { getallVolumes(); });
    unmountToken_ =
        center.addObserver(RZVolumeUnmountNotification, [this](const QVariantMap&) { getallVolumes(); });
}

QWidget* RepairDiskViewController::makeCell(QWidget* parent) {
    auto* card = new VolumeRowCard(parent);
    QLineEdit* field = card->renameField();
    connect(field, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { renameEdited(field, text); });
    connect(field, &QLineEdit::returnPressed, this, &RepairDiskViewController::saveButtonAction);
    static constexpr std::pair<VolumeRowCard::Button, void (RepairDiskViewController::*)()> kActions[] = {
        {VolumeRowCard::Open, &RepairDiskViewController::OpenButtonAction},
        {VolumeRowCard::Mount, &RepairDiskViewController::mountButtonAction},
        {VolumeRowCard::FirstAid, &RepairDiskViewController::aidtButAction},
        {VolumeRowCard::Rename, &RepairDiskViewController::renameButtonAction},
        {VolumeRowCard::Format, &RepairDiskViewController::formatButtonAction},
        {VolumeRowCard::Eject, &RepairDiskViewController::ejectButtonAction},
        {VolumeRowCard::Save, &RepairDiskViewController::saveButtonAction},
    };
    for (const auto& [button, action] : kActions) {
        connect(card->button(button), &QAbstractButton::clicked, this, action);
    }
    return card;
}

VolumeRowCard* RepairDiskViewController::card(int row) const {
    return qobject_cast<VolumeRowCard*>(parTableView_->viewAtColumn(0, row));
}

void RepairDiskViewController::loadData() {
    if (allVolumeArr.empty()) {
        getallVolumes();
    }
}

void RepairDiskViewController::getallVolumes() {
    if (isScanV || isLoadValueing) {
        reloadPending_ = true;
        return;
    }
    reloadPending_ = false;
    isLoadValueing = true;
    platform::mainAfter(delays.reloadGate, [guard = Guard(this)] {
        if (guard) {
            guard->setIsLoadValueing();
        }
    });
    isScanV = true;
    scanStarted_ = steady_clock::now();
    // The rows stay until the new list replaces them: nothing moves under the pointer meanwhile.
    if (allVolumeArr.empty()) {
        unreadableView_->hide();
        loadProView_->show();
        loadProView_->raise();
    }
    const int scan = ++scans_;
    platform::mainAfter(delays.slowList, [guard = Guard(this), scan] {
        if (guard) {
            guard->showSlowList(scan);
        }
    });

    platform::globalAsync([guard = Guard(this)] {
        std::optional<std::vector<VolumeObj>> volumes;
        if (const auto infos = CVolumeMgr().enumDiskVolumesInfo()) {
            volumes.emplace();
            for (const QVariantMap& info : *infos) {
                volumes->push_back(volumeObjFromVolumeInfo(info));
            }
        }
        platform::mainAsync([guard, volumes = std::move(volumes)]() mutable {
            if (guard) {
                guard->installVolumes(std::move(volumes));
            }
        });
    });
}

void RepairDiskViewController::showSlowList(int scan) {
    if (isScanV && scan == scans_) {
        listStatus_->show();
    }
}

void RepairDiskViewController::installVolumes(std::optional<std::vector<VolumeObj>> volumes) {
    isScanV = false;
    listStatus_->hide();
    if (!volumes) {
        reloadPending_ = true;  // the enumerator was busy: no list this time
    } else {
        const bool settled = settleVolumes();
        if (allVolumeArr.empty() || *volumes != allVolumeArr) {
            replaceVolumes(std::move(*volumes));
        } else if (settled) {
            parTableView_->reloadData();
        }
    }
    if (reloadPending_ && !isLoadValueing) {
        getallVolumes();
    }
}

bool RepairDiskViewController::settleVolumes() {
    bool settled = false;
    for (auto volume = settling_.begin(); volume != settling_.end();) {
        if (volume.value() <= scanStarted_) {
            busy_.remove(volume.key());
            volume = settling_.erase(volume);
            settled = true;
        } else {
            ++volume;
        }
    }
    return settled;
}

void RepairDiskViewController::replaceVolumes(std::vector<VolumeObj> volumes) {
    const QString selected = selectVolume ? selectVolume->volumePath : QString();
    isRenameEdit_ = false;
    loadProView_->hide();
    allVolumeArr = std::move(volumes);
    // Every Mac lists at least its system volume: an empty list is one diskutil did not give.
    unreadableView_->setVisible(allVolumeArr.empty());
    unreadableView_->raise();
    // The selected volume stays selected while it is listed.
    const auto kept = std::find_if(allVolumeArr.begin(), allVolumeArr.end(),
                                   [&](const VolumeObj& volume) { return volume.volumePath == selected; });
    selectIndex = kept == allVolumeArr.end() ? 0 : static_cast<int>(kept - allVolumeArr.begin());
    parTableView_->setSelectNum(selectIndex);
    selectVolume = allVolumeArr.empty() ? nullptr : &allVolumeArr[static_cast<size_t>(selectIndex)];
    parTableView_->reloadData();
}

std::optional<QVariantMap> RepairDiskViewController::getDisjInfo(const QString& name) {
    if (name.isNull()) {
        return std::nullopt;
    }
    return aepairExecCommand(disk::DiskUtilCommands::info(name));
}

std::optional<QVariantMap> RepairDiskViewController::getAllDiskAndVolumes() {
    return aepairExecCommand(disk::DiskUtilCommands::list());
}

void RepairDiskViewController::getVolumeAllObjWithVolumeName(const QString& name) {
    const auto listed = [this](const auto& matches) {
        return std::any_of(allVolumeArr.begin(), allVolumeArr.end(), matches);
    };
    if (listed([&](const VolumeObj& volume) { return volume.volumeName == name; })) {
        return;
    }
    const std::optional<QVariantMap> info = getDisjInfo(name);
    if (!info) {
        return;
    }
    VolumeObj volume = disktool::volumeFromInfo(*info);
    if (volume.volumeName.isEmpty() || volume.volumeName == u"EFI" || listed([&](const VolumeObj& other) {
            return other.volumeName == volume.volumeName && other.volumePath == volume.volumePath;
        })) {
        return;
    }
    // The selection points into the list, which may move as it grows.
    const std::ptrdiff_t selected = selectVolume ? selectVolume - allVolumeArr.data() : -1;
    allVolumeArr.push_back(std::move(volume));
    if (selected >= 0) {
        selectVolume = &allVolumeArr[static_cast<size_t>(selected)];
    }
    parTableView_->reloadData();
}

bool RepairDiskViewController::containsChinese(const QString& text) {
    return disktool::containsChinese(text);
}

QString RepairDiskViewController::byteToSizeWithByte(quint64 bytes) {
    return disktool::byteToSizeWithByte(bytes);
}

void RepairDiskViewController::setIsLoadValueing() {
    isLoadValueing = false;
    if (reloadPending_ && !isScanV) {
        getallVolumes();
    }
}

bool RepairDiskViewController::isVolumeMounted() const {
    return selectVolume && disktool::isMounted(*selectVolume);
}

int RepairDiskViewController::numberOfRowsInTableView(CustomTableView* /*tableView*/) {
    return static_cast<int>(allVolumeArr.size());
}

double RepairDiskViewController::heightOfRow(CustomTableView* /*tableView*/, int row) {
    return row == selectIndex ? kSelectedRowHeight : kRowHeight;
}

bool RepairDiskViewController::shouldSelectRow(CustomTableView* tableView, int row) {
    selectIndex = row;
    isRenameEdit_ = false;
    tableView->setSelectNum(row);
    if (row >= 0 && row < static_cast<int>(allVolumeArr.size())) {
        selectVolume = &allVolumeArr[static_cast<size_t>(row)];
    }
    tableView->reloadData();
    return true;
}

QWidget* RepairDiskViewController::viewForTableColumn(CustomTableView* tableView, const QString& column,
                                                      int row) {
    if (column != kNameColumn || row < 0 || row >= static_cast<int>(allVolumeArr.size())) {
        return nullptr;
    }
    const VolumeObj& volume = allVolumeArr[static_cast<size_t>(row)];
    const bool selected = row == selectIndex;
    auto* card = qobject_cast<VolumeRowCard*>(tableView->makeViewWithIdentifier(kNameColumn));
    card->setIsSelect(false);
    card->setIsSelect(selected);
    card->update();
    card->showVolume(volume, isRenameEdit_ && selected, activityText(volume.volumePath));
    fillButtons(card, volume, selected);
    return card;
}

void RepairDiskViewController::fillButtons(VolumeRowCard* card, const VolumeObj& volume, bool selected) {
    const bool mounted = disktool::isMounted(volume);
    // Nothing while the row renames or a command runs on its volume; the system's own volumes keep their
    // names and data.
    const bool idle = !isRenameEdit_ && !busy_.contains(volume.volumePath);
    const bool changeable = idle && !disktool::isRunningSystem(volume);
    const struct {
        VolumeRowCard::Button button;
        const char* text;
        bool enabled;
    } offers[] = {
        {VolumeRowCard::Open, "Open", idle && mounted},
        {VolumeRowCard::Mount, mounted ? "Unmount" : "Mount", idle && volume.bCanEject},
        {VolumeRowCard::FirstAid, "Frist Aid", idle && mounted},
        {VolumeRowCard::Rename, "Rename", changeable},
        {VolumeRowCard::Format, "Format", changeable},
        {VolumeRowCard::Eject, "Eject", idle && volume.bCanEject},
        {VolumeRowCard::Save, "Save", true},
    };
    for (const auto& offer : offers) {
        TextImageButton* button = card->button(offer.button);
        kit::setButtonFamily(button, QStringLiteral("btn_tool"), QLatin1String(offer.text));
        button->setButtonEnabled(offer.enabled);
        button->setVisible(selected && (offer.button != VolumeRowCard::Save || isRenameEdit_));
    }
    if (selected) {
        isMount = mounted;
    }
}

void RepairDiskViewController::controlTextDidChange(const QString& text) {
    editStr = text;
}

void RepairDiskViewController::renameEdited(QLineEdit* field, const QString& text) {
    const QString name = renameTarget_ ? disktool::renameName(*renameTarget_, text) : text;
    if (name != text) {
        const int cursor = field->cursorPosition();
        field->setText(name);
        field->setCursorPosition(std::min(cursor, static_cast<int>(name.size())));
    }
    controlTextDidChange(name);
}

void RepairDiskViewController::settle(const QString& identifier, steady_clock::time_point ended) {
    settling_.insert(identifier, ended);
    if (!isScanV || scanStarted_ < ended) {
        getallVolumes();
    }
}

QString RepairDiskViewController::activityText(const QString& identifier) const {
    return busy_.value(identifier, notes_.value(identifier));
}

void RepairDiskViewController::helpButtonAction() {
    if (const auto address = KVLinkUrl::GetUrl(QStringLiteral("SupportTeam"))) {
        platform::Workspace::openURL(QUrl(*address));
    }
}

void RepairDiskViewController::OpenButtonAction() {
    if (selectVolume) {
        platform::openInFileBrowser(selectVolume->volumeMountPoint);
    }
}

void RepairDiskViewController::runOnVolume(const VolumeObj& volume, Activity activity, Command command,
                                           Finished finished) {
    busy_.insert(volume.volumePath, QString::fromUtf8(activity.running));
    notes_.remove(volume.volumePath);
    parTableView_->reloadData();
    platform::globalAsync([guard = Guard(this), device = volume.volumePath, failed = activity.failed,
                           stopped = activity.stopped, command = std::move(command),
                           finished = std::move(finished)] {
        const CommandResult result = command();
        platform::mainAsync([guard, device, failed, stopped, result, finished, ended = steady_clock::now()] {
            if (guard) {
                if (!result.done) {
                    guard->notes_.insert(device, QString::fromUtf8(result.stopped ? stopped : failed));
                }
                guard->settle(device, ended);
                finished(result);
            }
        });
    });
}

void RepairDiskViewController::reportResult(const CommandResult& result, const QString& failed,
                                            const QString& done) {
    if (!result.done) {
        showError(failed + u'\n' + result.reason);
    } else if (!result.checkTrouble.isEmpty()) {
        showError(done + u'\n' + result.checkTrouble);
    }
}

void RepairDiskViewController::mountButtonAction() {
    if (!selectVolume || selectVolume->volumePath.isEmpty() || busy_.contains(selectVolume->volumePath)) {
        return;
    }
    // The state as the row shows it: a second click waits for the first command's result.
    const bool unmount = isMount;
    const QString device = selectVolume->volumePath;
    const QString name = sources::elidedName(selectVolume->volumeName);
    const Activity activity =
        unmount ? Activity{"Unmounting…", "Unmount failed"} : Activity{"Mounting…", "Mount failed"};
    runOnVolume(
        *selectVolume, activity,
        [device, unmount, deadline = delays.actionDeadline] {
            return unmount ? disktool::unmountVolume(device, deadline)
                           : disktool::mountVolume(device, deadline);
        },
        [this, name, unmount](const CommandResult& result) {
            reportResult(result,
                         (unmount ? QStringLiteral("'%1' could not be unmounted.")
                                  : QStringLiteral("'%1' could not be mounted."))
                             .arg(name),
                         {});
        });
}

void RepairDiskViewController::ejectButtonAction() {
    if (!selectVolume || selectVolume->volumePath.isEmpty() || busy_.contains(selectVolume->volumePath)) {
        return;
    }
    // By the identifier: diskutil ejects the disk that holds it, and a partition of a disk with a master
    // boot record has no disk UUID.
    const QString device = selectVolume->volumePath;
    const QString name = sources::elidedName(selectVolume->volumeName);
    runOnVolume(
        *selectVolume, {"Ejecting…", "Eject failed"},
        [device, deadline = delays.actionDeadline] { return disktool::ejectVolume(device, deadline); },
        [this, name](const CommandResult& result) {
            reportResult(result, QStringLiteral("'%1' could not be ejected.").arg(name), {});
        });
}

void RepairDiskViewController::renameButtonAction() {
    if (!selectVolume || busy_.contains(selectVolume->volumePath)) {
        return;
    }
    editStr.clear();
    renameTarget_ = *selectVolume;
    isRenameEdit_ = true;
    parTableView_->reloadData();
    if (VolumeRowCard* selected = card(selectIndex)) {
        selected->renameField()->setFocus();
        selected->renameField()->selectAll();
    }
}

void RepairDiskViewController::saveButtonAction() {
    const std::optional<VolumeObj> target = isRenameEdit_ ? renameTarget_ : std::nullopt;
    const QString typed = editStr;
    editStr.clear();
    isRenameEdit_ = false;
    renameTarget_.reset();
    if (!target || typed.isEmpty() || typed == u" " || disktool::isRunningSystem(*target)) {
        parTableView_->reloadData();
        return;
    }
    const QString name = disktool::renameName(*target, typed);
    const QString device = target->volumePath;
    runOnVolume(
        *target, {"Renaming…", "Rename failed"},
        [device, name, deadline = delays.actionDeadline] {
            return disktool::renameVolume(device, name, deadline);
        },
        [this, volume = *target, name](const CommandResult& result) {
            renameFinished(volume, name, result);
        });
}

void RepairDiskViewController::renameFinished(const VolumeObj& volume, const QString& name,
                                              const CommandResult& result) {
    if (result.done && selectVolume && selectVolume->volumePath == volume.volumePath) {
        selectVolume->volumeName = name;
    }
    parTableView_->reloadData();
    const QString from = sources::elidedName(volume.volumeName);
    const QString to = sources::elidedName(name);
    reportResult(result, QStringLiteral("'%1' could not be renamed to '%2'.").arg(from, to),
                 QStringLiteral("'%1' was renamed to '%2'.").arg(from, to));
}

template <class Controller>
Controller* RepairDiskViewController::makeDialog(Dialog<Controller>& dialog, double dx,
                                                 AttachedWindowSide side, float distance) {
    dialog.reset();
    dialog.controller = std::make_unique<Controller>();
    dialog.window =
        StatusAttachedWindow::initWithView(dialog.controller.get(), dialogPoint(dx), nullptr, side, distance);
    dialog.controller->setSuperDelegate(dialog.window.get());
    return dialog.controller.get();
}

template <class Controller>
void RepairDiskViewController::runDialog(Dialog<Controller>& dialog) {
    dialog.window->center();
    kit::ModalRun::runModalForWindow(dialog.window.get());
}

QPointF RepairDiskViewController::dialogPoint(double dx) const {
    const QRect frame = window()->frameGeometry();
    const double y = kit::primaryScreenHeight() - (frame.y() + frame.height());
    return {frame.x() + frame.width() / 2.0 + dx, y};
}

void RepairDiskViewController::formatButtonAction() {
    if (!selectVolume || busy_.contains(selectVolume->volumePath) ||
        disktool::isRunningSystem(*selectVolume)) {
        return;
    }
    formatTarget_ = *selectVolume;
    MakeSureFormatViewController* dialog = makeDialog(makeSureFormat_, -3, AttachedWindowSideBelow, 5.0f);
    dialog->setDelegate(this);
    dialog->setName(formatTarget_->volumeName, formatTarget_->diskType);
    runDialog(makeSureFormat_);
}

void RepairDiskViewController::makeSureToFormatSelectVolumeWithName(const QString& name,
                                                                    const QString& type) {
    if (!formatTarget_ || formatRunning_) {
        return;
    }
    const VolumeObj volume = *formatTarget_;
    // An APFS volume keeps its type and takes the name as typed; the others follow the erase's name rules.
    const bool apfs = volume.diskType.toLower().contains(QStringLiteral("apfs"));
    const QString erasedName = apfs ? name : disktool::eraseName(name, type);
    formatRunning_ = true;
    formatStop_ = platform::CancelFlag();
    const int run = ++formatRuns_;
    platform::mainAfter(delays.formatingView, [guard = Guard(this), run] {
        if (guard && guard->formatRuns_ == run) {
            guard->showFormatingView();
        }
    });
    runOnVolume(
        volume, {"Formatting…", "Format failed", "Format stopped"},
        [volume, erasedName, type, stop = formatStop_, deadline = delays.actionDeadline] {
            return disktool::formatVolume(volume, erasedName, type, stop, deadline);
        },
        [this](const CommandResult& result) { formatCompleted(result); });
}

void RepairDiskViewController::showFormatingView() {
    // A format that has already ended must not leave the view open.
    if (!formatRunning_) {
        return;
    }
    makeDialog(formating_, -3, AttachedWindowSideBelow, 5.0f)->setCancelFlag(formatStop_);
    runDialog(formating_);
}

void RepairDiskViewController::formatCompleted(const CommandResult& result) {
    formatRunning_ = false;
    if (formating_.controller) {
        formating_.controller->closeWindow();
    }
    platform::mainAfter(delays.formatEnd, [guard = Guard(this), result] {
        if (guard) {
            guard->showFormatEndWindow(result);
        }
    });
}

void RepairDiskViewController::showFormatEndWindow(const CommandResult& result) {
    makeDialog(formatEnd_, -3, AttachedWindowSideBelow, 5.0f)->changeResult(result);
    runDialog(formatEnd_);
}

void RepairDiskViewController::aidtButAction() {
    if (!selectVolume || selectVolume->volumePath.isEmpty() || busy_.contains(selectVolume->volumePath)) {
        return;
    }
    firstAidTarget_ = *selectVolume;
    FristAidViewController* dialog = makeDialog(fristAid_, 0, AttachedWindowSideAbove, 0.0f);
    dialog->setDelegate(this);
    dialog->changeAidDiskName(firstAidTarget_->volumeName);
    runDialog(fristAid_);
}

void RepairDiskViewController::checkDiskAction() {
    startFirstAid(false);
}

void RepairDiskViewController::repairDiskAction() {
    startFirstAid(true);
}

void RepairDiskViewController::startFirstAid(bool repair) {
    if (!firstAidTarget_) {
        return;
    }
    const QString device = firstAidTarget_->volumePath;
    ShowAidViewControllrt* output = repair ? makeDialog(showAid_, 0, AttachedWindowSideAbove, 0.0f)
                                           : makeDialog(showAid_, 0, AttachedWindowSideBelow, 5.0f);
    output->setDelegate(this);
    const platform::CancelFlag stop;
    output->setCancelFlag(stop);
    const platform::ToolCommand command =
        repair ? disk::DiskUtilCommands::repairvolume(device) : disk::DiskUtilCommands::verifyvolume(device);
    busy_.insert(device, QStringLiteral("Running First Aid…"));
    notes_.remove(device);
    parTableView_->reloadData();
    platform::globalAsync([target = QPointer<ShowAidViewControllrt>(output), command, stop, waits = delays,
                           guard = Guard(this), device, repair] {
        runFirstAid(target, command, stop, waits);
        platform::mainAsync([guard, device, repair, ended = steady_clock::now()] {
            if (!guard) {
                return;
            }
            if (repair) {
                guard->settle(device, ended);  // a repair unmounts and mounts the volume again
            } else {
                guard->busy_.remove(device);  // a check changes nothing
                guard->parTableView_->reloadData();
            }
        });
    });
    runDialog(showAid_);
}

void RepairDiskViewController::closeShowAidWindow() {}

void RepairDiskViewController::showError(const QString& message) {
    ErrorWindowController::showError(errorWC, message);
}
