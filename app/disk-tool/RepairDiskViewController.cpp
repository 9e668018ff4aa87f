#include "app/disk-tool/RepairDiskViewController.h"

#include "app/ErrorWindowController.h"
#include "app/disk-tool/DialogParts.h"
#include "app/disk-tool/FormatEndViewController.h"
#include "app/disk-tool/FormatingViewController.h"
#include "app/disk-tool/FristAidViewController.h"
#include "app/disk-tool/MakeSureFormatViewController.h"
#include "app/disk-tool/ShowAidViewControllrt.h"
#include "app/disk-tool/VolumeCommands.h"
#include "platform/Dispatch.h"
#include "platform/FileBrowser.h"
#include "platform/Workspace.h"
#include "services/disks/CVolumeMgr.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"
#include "services/disks/WatchMountUnmount.h"
#include "services/utilities/KVLinkUrl.h"
#include "services/utilities/KVPublicUtilities.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/NamedImage.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/controls/DiskSizeProgress.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/RepairDiskTableCellView.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StatusAttachedWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

using Guard = QPointer<RepairDiskViewController>;

RepairDiskViewController::Delays delays;  // read and set on the main thread

const QString kNameColumn = QStringLiteral("Name");

// The screen, in its own Cocoa coordinates: it fills the main window's 776 x 558 container.
constexpr QSizeF kScreenSize{776, 558};
constexpr QRectF kTitleFrame{32, 514, 280, 30};
constexpr QRectF kTableFrame{32, 50, 712, 452};
constexpr QRectF kLoadingFrame{32, 50, 712, 452 - CustomTableView::kHeaderHeight};
constexpr QRectF kHelpFrame{672, 14, 72, 24};

// A row's card, in Qt coordinates from its top edge: a row is 48 or 88 points high and its views keep their
// distance from the top, so a 48-point row shows the upper part and the selected 88-point row the buttons
// too.
constexpr QRect kIconFrame{24, 8, 32, 32};
constexpr QRect kNameFrame{68, 5, 330, 20};
constexpr QRect kTypeFrame{68, 25, 200, 16};
constexpr QRect kEditFrame{68, 3, 300, 24};
constexpr QRect kSaveFrame{376, 3, 72, 24};
constexpr QRect kSizeFrame{470, 6, 220, 18};
constexpr QRect kBarFrame{470, 28, 220, 6};
constexpr int kButtonsTop = 54;
constexpr int kButtonWidth = 72;
constexpr int kButtonStep = 80;

struct RowButton {
    const char* identifier;
    void (RepairDiskViewController::*action)();
};
// In their order along the selected row; "save" sits beside the rename field instead.
constexpr RowButton kRowButtons[] = {
    {"open", &RepairDiskViewController::OpenButtonAction},
    {"mount", &RepairDiskViewController::mountButtonAction},
    {"fristaid", &RepairDiskViewController::aidtButAction},
    {"rename", &RepairDiskViewController::renameButtonAction},
    {"format", &RepairDiskViewController::formatButtonAction},
    {"eject", &RepairDiskViewController::ejectButtonAction},
};

QString volumeIcon(const VolumeObj& volume) {
    if (volume.bCanEject) {
        return QStringLiteral("ic_repair_usb");
    }
    return volume.volumeMountPoint == u"/" ? QStringLiteral("ic_repair_os")
                                           : QStringLiteral("ic_repair_disk");
}

// The tool family, which is its own switched-off image.
void setToolImages(TextImageButton* button) {
    button->setButtonEnabled(true);
    button->setImageFromFileNormalName(QStringLiteral("btn_tool"), QStringLiteral("btn_tool_press"),
                                       QStringLiteral("btn_tool_hover"), QStringLiteral("btn_tool"));
}

QString sizeText(const VolumeObj& volume) {
    return KVPublicUtilities::longlongConvertVolSpace(volume.volumeTotalSizeNum - volume.volumeFreeSizeNum) +
           u'/' + volume.volumeTotalSize;
}

float usedPercent(const VolumeObj& volume) {
    if (volume.volumeTotalSizeNum <= 0) {
        return 0;
    }
    const double free = static_cast<double>(volume.volumeFreeSizeNum);
    return static_cast<float>(100.0 - free / static_cast<double>(volume.volumeTotalSizeNum) * 100.0);
}

QLabel* addRowLabel(QWidget* cell, const char* identifier, const QRect& frame, int pixelSize, double alpha) {
    QLabel* label = disktool::makeLabel(cell, pixelSize, disktool::textColor(alpha));
    label->setObjectName(QLatin1String(identifier));
    label->setGeometry(frame);
    return label;
}

// A label's text, and the same as its tooltip; tooltips take markup, so the text is escaped for them.
QLabel* showText(QWidget* cell, const char* identifier, const QString& text) {
    auto* label = cell->findChild<QLabel*>(QLatin1String(identifier));
    label->setText(text);
    label->setToolTip(Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap));
    return label;
}

// First Aid on the global queue: its rows and the bar go to the output window on the main queue, in order.
void runFirstAid(const QPointer<ShowAidViewControllrt>& output, const platform::ToolCommand& command,
                 const platform::CancelFlag& stop, int delayMs) {
    const QString outcome =
        disktool::runFirstAid(command, stop, delayMs, [&](const QString& text, int pieces) {
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
    platform::mainAsync([output, outcome] {
        if (output) {
            if (!outcome.isEmpty()) {
                output->changeShowOutPut(outcome);
            }
            output->setProgressValue(ShowAidViewControllrt::kEndValue);
        }
    });
}

}  // namespace

void RepairDiskViewController::setDelaysForTesting(const Delays& testDelays) {
    delays = testDelays;
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
    disktool::addLabel(this, kTitleFrame, 18, disktool::textColor(), true)
        ->setText(QStringLiteral("Disk Tool"));

    parTableView_ = new CustomTableView(this);  // owned by the screen
    kit::setCocoaFrame(parTableView_, kTableFrame);
    parTableView_->addTableColumn(kNameColumn, QStringLiteral("Volumes"));
    parTableView_->registerViewFactory(kNameColumn, [this](QWidget* parent) { return makeCell(parent); });

    loadProView_ = new QWidget(this);  // owned by the screen
    kit::setCocoaFrame(loadProView_, kLoadingFrame);
    QLabel* loading = disktool::addLabel(loadProView_, QRectF(QPointF(), kLoadingFrame.size()), 14,
                                         disktool::textColor(0.7));
    loading->setText(QStringLiteral("Loading volumes…"));
    loading->setAlignment(Qt::AlignCenter);
    loadProView_->hide();

    helpButton_ = new TextImageButton(this);  // owned by the screen
    kit::setCocoaFrame(helpButton_, kHelpFrame);
    setToolImages(helpButton_);
    helpButton_->setTextWithName(QStringLiteral("Help"));
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
    auto* cell = new RepairDiskTableCellView(parent);  // owned by the table
    auto* icon = new QLabel(cell);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setGeometry(kIconFrame);
    icon->setScaledContents(true);
    addRowLabel(cell, "name", kNameFrame, 14, 1.0);
    addRowLabel(cell, "type", kTypeFrame, 12, 0.6);
    addRowLabel(cell, "size", kSizeFrame, 12, 0.8)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* edit = new QWidget(cell);
    edit->setObjectName(QStringLiteral("editname"));
    edit->setGeometry(kEditFrame);
    auto* field = new QLineEdit(edit);  // owned by its holder
    field->setFont(kit::systemFont(13));
    field->setGeometry(edit->rect());
    connect(field, &QLineEdit::textEdited, this, &RepairDiskViewController::controlTextDidChange);
    auto* bar = new DiskSizeProgress(cell);
    bar->setObjectName(QStringLiteral("pro"));
    bar->setGeometry(kBarFrame);

    const auto addButton = [&](const char* identifier, const QRect& frame,
                               void (RepairDiskViewController::*action)()) {
        auto* button = new TextImageButton(cell);
        button->setObjectName(QLatin1String(identifier));
        button->setGeometry(frame);
        connect(button, &QAbstractButton::clicked, this, action);
    };
    addButton("save", kSaveFrame, &RepairDiskViewController::saveButtonAction);
    int left = kNameFrame.left();
    for (const RowButton& each : kRowButtons) {
        addButton(each.identifier, QRect(left, kButtonsTop, kButtonWidth, 24), each.action);
        left += kButtonStep;
    }
    return cell;
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
    platform::mainAfter(delays.reloadGateMs, [guard = Guard(this)] {
        if (guard) {
            guard->setIsLoadValueing();
        }
    });
    isRenameEdit_ = false;
    isScanV = true;
    loadProView_->show();
    loadProView_->raise();
    selectVolume = nullptr;
    selectIndex = 0;
    allVolumeArr.clear();
    parTableView_->reloadData();

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

void RepairDiskViewController::installVolumes(std::optional<std::vector<VolumeObj>> volumes) {
    loadProView_->hide();
    selectIndex = 0;
    isRenameEdit_ = false;
    isScanV = false;
    parTableView_->setSelectNum(0);
    if (volumes) {
        allVolumeArr = std::move(*volumes);
    } else {
        reloadPending_ = true;  // the enumerator was busy: no list this time
    }
    selectVolume = allVolumeArr.empty() ? nullptr : &allVolumeArr.front();
    parTableView_->reloadData();
    if (reloadPending_ && !isLoadValueing) {
        getallVolumes();
    }
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
    const auto text = [&](const char* key) { return info->value(QLatin1String(key)).toString(); };
    const auto bytes = [&](const char* key) { return info->value(QLatin1String(key)).toLongLong(); };
    VolumeObj volume;
    volume.volumeName = text("VolumeName");
    volume.volumePath = text("DeviceNode");
    if (volume.volumeName.isEmpty() || volume.volumeName == u"EFI" || listed([&](const VolumeObj& other) {
            return other.volumeName == volume.volumeName && other.volumePath == volume.volumePath;
        })) {
        return;
    }
    volume.BusProtocol = text("BusProtocol");
    volume.bCanEject = info->value(QStringLiteral("Ejectable")).toBool();
    volume.diskType = text("FilesystemName");
    volume.volumeTotalSizeNum = bytes("TotalSize");
    volume.volumeFreeSizeNum = bytes(volume.diskType == u"APFS" ? "APFSContainerFree" : "FreeSpace");
    volume.volumeTotalSize =
        byteToSizeWithByte(static_cast<quint64>(std::max<qint64>(0, volume.volumeTotalSizeNum)));
    volume.volumeFreeSize =
        byteToSizeWithByte(static_cast<quint64>(std::max<qint64>(0, volume.volumeFreeSizeNum)));
    volume.volRootDir = volume.volumePath;
    volume.parentWholeDisk = text("ParentWholeDisk");
    volume.volumeMountPoint = text("MountPoint");
    volume.diskUUID = text("VolumeUUID");

    // The selection points into the list, which may move as it grows.
    const std::ptrdiff_t selected = selectVolume ? selectVolume - allVolumeArr.data() : -1;
    allVolumeArr.push_back(std::move(volume));
    if (selected >= 0) {
        selectVolume = &allVolumeArr[static_cast<size_t>(selected)];
    }
    parTableView_->reloadData();
}

QString RepairDiskViewController::byteToSizeWithByte(quint64 bytes) {
    if (bytes < 1000) {
        return QString::asprintf("%.0f byte", static_cast<double>(bytes));
    }
    static constexpr std::pair<quint64, const char*> kUnits[] = {
        {999'999ULL, "KB"}, {999'999'999ULL, "MB"}, {999'999'999'999ULL, "GB"}};
    double divisor = 1000.0;
    const char* unit = "TB";
    for (const auto& [limit, name] : kUnits) {
        if (bytes <= limit) {
            unit = name;
            break;
        }
        divisor *= 1000.0;
    }
    const auto quotient = static_cast<float>(static_cast<double>(bytes) / divisor);
    return QString::asprintf("%.2f %s", static_cast<double>(quotient), unit);
}

void RepairDiskViewController::setIsLoadValueing() {
    isLoadValueing = false;
    if (reloadPending_ && !isScanV) {
        getallVolumes();
    }
}

bool RepairDiskViewController::isVolumeMounted() const {
    if (!selectVolume) {
        return false;
    }
    if (selectVolume->volumeFreeSizeNum != 0 && selectVolume->diskType != u"APFS") {
        return true;
    }
    return !selectVolume->volumeMountPoint.isEmpty();
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
    const bool renaming = isRenameEdit_ && selected;
    auto* cell = static_cast<RepairDiskTableCellView*>(tableView->makeViewWithIdentifier(kNameColumn));
    cell->setIsSelect(false);
    cell->setIsSelect(selected);
    cell->update();

    cell->findChild<QLabel*>(QStringLiteral("icon"))
        ->setPixmap(kit::NamedImage::imageNamed(volumeIcon(volume)).pixmap());
    auto* name = showText(cell, "name", volume.volumeName);
    name->setVisible(!renaming);
    showText(cell, "type", volume.diskType);
    showText(cell, "size", sizeText(volume));
    auto* edit = cell->findChild<QWidget*>(QStringLiteral("editname"));
    for (QLineEdit* field : edit->findChildren<QLineEdit*>()) {
        field->setText(volume.volumeName);
    }
    edit->setVisible(renaming);
    cell->findChild<DiskSizeProgress*>(QStringLiteral("pro"))->changeProgressValue(usedPercent(volume));
    for (QObject* child : cell->children()) {
        if (auto* button = qobject_cast<TextImageButton*>(child)) {
            fillButton(button, volume, selected);
        }
    }
    return cell;
}

void RepairDiskViewController::fillButton(TextImageButton* button, const VolumeObj& volume, bool selected) {
    button->setVisible(selected);
    setToolImages(button);
    const QString identifier = button->objectName();
    const bool mounted = isVolumeMounted();
    bool enabled = !isRenameEdit_;
    QString text;
    if (identifier == u"save") {
        text = QStringLiteral("Save");
        enabled = true;
        button->setVisible(isRenameEdit_ && selected);
    } else if (identifier == u"open") {
        text = QStringLiteral("Open");
        enabled = enabled && mounted;
    } else if (identifier == u"mount") {
        isMount = mounted;
        text = mounted ? QStringLiteral("Unmount") : QStringLiteral("Mount");
        enabled = enabled && volume.bCanEject;
    } else if (identifier == u"fristaid") {
        text = QStringLiteral("Frist Aid");
        enabled = enabled && mounted;
    } else if (identifier == u"rename") {
        text = QStringLiteral("Rename");
    } else if (identifier == u"format") {
        text = QStringLiteral("Format");
        enabled = enabled && volume.volumeMountPoint != u"/";
    } else if (identifier == u"eject") {
        text = QStringLiteral("Eject");
        enabled = enabled && volume.bCanEject;
    }
    button->setTextWithName(text);
    button->setButtonEnabled(enabled);
}

void RepairDiskViewController::controlTextDidChange(const QString& text) {
    editStr = text;
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

void RepairDiskViewController::mountButtonAction() {
    if (!selectVolume || selectVolume->volumePath.isEmpty()) {
        return;
    }
    const QString device = selectVolume->volumePath;
    const bool wasMounted = isMount;
    isMount = !isMount;
    platform::globalAsync([guard = Guard(this), device, wasMounted] {
        eraserExecCommand(wasMounted ? disk::DiskUtilCommands::unmount(device)
                                     : disk::DiskUtilCommands::mount(device));
        platform::mainAsync([guard] {
            if (guard) {
                guard->getallVolumes();
            }
        });
    });
}

void RepairDiskViewController::ejectButtonAction() {
    if (!selectVolume || selectVolume->volumePath.isEmpty()) {
        return;
    }
    // By the identifier: diskutil ejects the disk that holds it, and a partition of a disk with a master
    // boot record has no disk UUID.
    const QString device = selectVolume->volumePath;
    platform::globalAsync([guard = Guard(this), device] {
        aepairExecCommand(disk::DiskUtilCommands::eject(device));
        platform::mainAsync([guard] {
            if (guard) {
                guard->parTableView_->reloadData();
            }
        });
    });
}

void RepairDiskViewController::renameButtonAction() {
    editStr.clear();
    renameTarget_ = selectVolume ? std::optional<VolumeObj>(*selectVolume) : std::nullopt;
    isRenameEdit_ = true;
    parTableView_->reloadData();
}

void RepairDiskViewController::saveButtonAction() {
    const std::optional<VolumeObj> target = isRenameEdit_ ? renameTarget_ : std::nullopt;
    const QString typed = editStr;
    editStr.clear();
    isRenameEdit_ = false;
    renameTarget_.reset();
    if (!target || typed.isEmpty() || typed == u" ") {
        parTableView_->reloadData();
        return;
    }
    const QString name =
        target->diskType.toLower().contains(QStringLiteral("fat32")) ? fat32Name(typed) : typed;
    const bool renamed = disktool::renameVolume(target->volumePath, name);
    if (renamed && selectVolume && selectVolume->volumePath == target->volumePath) {
        selectVolume->volumeName = name;
    }
    parTableView_->reloadData();
    // A rename moves the mount point, and a refused one leaves the old name: the list shows what is true.
    getallVolumes();
    if (!renamed) {
        showError(QStringLiteral("'%1' could not be renamed to '%2'.").arg(target->volumeName, name));
    }
}

bool RepairDiskViewController::containsChinese(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() > 0x4E00 && c.unicode() < 0x9FFF; });
}

QString RepairDiskViewController::fat32Name(const QString& name) {
    return containsChinese(name) ? QStringLiteral("NEW") : name.toUpper().left(11);
}

QString RepairDiskViewController::eraseName(const QString& name, const QString& type) {
    const QString named = name.isEmpty() || name == u" " ? QStringLiteral("NEW") : name;
    return type == u"MS-DOS FAT32" ? fat32Name(named) : named;
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
    if (!selectVolume) {
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
    const QString erasedName = apfs ? name : eraseName(name, type);
    formatRunning_ = true;
    const int run = ++formatRuns_;
    platform::mainAfter(delays.formatingViewMs, [guard = Guard(this), run] {
        if (guard && guard->formatRuns_ == run) {
            guard->showFormatingView();
        }
    });
    platform::globalAsync([guard = Guard(this), volume, erasedName, type] {
        const bool succeeded = disktool::formatVolume(volume, erasedName, type);
        platform::mainAsync([guard, succeeded] {
            if (guard) {
                guard->formatCompleted(succeeded);
            }
        });
    });
}

void RepairDiskViewController::showFormatingView() {
    // A format that has already ended must not leave the view open.
    if (!formatRunning_) {
        return;
    }
    makeDialog(formating_, -3, AttachedWindowSideBelow, 5.0f);
    runDialog(formating_);
}

void RepairDiskViewController::formatCompleted(bool succeeded) {
    formatRunning_ = false;
    if (formating_.controller) {
        formating_.controller->closeWindow();
    }
    getallVolumes();
    platform::mainAfter(delays.formatEndMs, [guard = Guard(this), succeeded] {
        if (guard) {
            guard->showFormatEndWindow(succeeded);
        }
    });
}

void RepairDiskViewController::showFormatEndWindow(bool succeeded) {
    makeDialog(formatEnd_, -3, AttachedWindowSideBelow, 5.0f)->changeResult(succeeded);
    runDialog(formatEnd_);
}

void RepairDiskViewController::aidtButAction() {
    if (!selectVolume || selectVolume->volumePath.isEmpty()) {
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
    platform::globalAsync([target = QPointer<ShowAidViewControllrt>(output), command, stop,
                           delay = delays.firstAidMs] { runFirstAid(target, command, stop, delay); });
    runDialog(showAid_);
}

void RepairDiskViewController::closeShowAidWindow() {}

void RepairDiskViewController::showError(const QString& message) {
    ErrorWindowController::showError(errorWC, message);
}
