#pragma once

#include "app/disk-tool/FristAidVCDelegate.h"
#include "app/disk-tool/MakeSureFormatVCDelegate.h"
#include "app/disk-tool/ShowAidVCDelegate.h"
#include "platform/CancelFlag.h"
#include "platform/NotificationCenter.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/VolumeObj.h"
#include "ui-kit/tables/CustomTableView.h"
#include "ui-kit/windows/AttachedWindowGeometry.h"

#include <QHash>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ErrorWindowController;
class QLabel;
class QLineEdit;
class FormatEndViewController;
class FormatingViewController;
class FristAidViewController;
class MakeSureFormatViewController;
class ShowAidViewControllrt;
class StatusAttachedWindow;
class TextImageButton;
class WatchMountUnmount;
namespace disktool {
struct CommandResult;
class VolumeRowCard;
}  // namespace disktool

// The Disk Tool screen: one row per volume that the volume enumerator lists, and on the selected row Open,
// Mount or Unmount, First Aid, Rename (inline, with Save), Format and Eject, plus a help link.
//
// Every action works on the volume as it was when the user clicked: its record is copied then, and the
// command addresses it by its BSD identifier, so a list reload during a confirmation, or during the wait
// before First Aid starts, never moves the action to another row. While a command runs on a volume, that
// row offers nothing, and its state changes only from the command's result; a failure is shown with the
// tool's own reason; the row says what runs on it and, afterwards, that it failed. Volumes of the running
// system are never renamed or formatted. A reload keeps the rows, the selected volume and the scroll position
// until the new list arrives, and changes nothing when the list is the same; a reload asked for while one
// runs, or within the gate after the last one began, is done once (and only once) when both have passed. A
// list that is slow to come says so after a few seconds; one that cannot be read says so and offers to try
// again.
//
// The list, the actions and the dialogs live on the main thread; enumeration and every command run on the
// global queue.
class RepairDiskViewController : public QWidget,
                                 public CustomTableViewDataSource,
                                 public FristAidVCDelegate,
                                 public ShowAidVCDelegate,
                                 public MakeSureFormatVCDelegate {
    Q_OBJECT

public:
    static constexpr double kSelectedRowHeight = 88.0;
    static constexpr double kRowHeight = 48.0;

    // The documented waits, and First Aid's deadline. Tests shorten them here; the product never changes
    // them.
    struct Delays {
        std::chrono::milliseconds firstAid{1000};  // from the choice in the confirmation to the tool's start
        std::chrono::milliseconds formatingView{100};  // from "Continue" to the formatting view
        std::chrono::milliseconds formatEnd{1000};     // from the end of a format to its result view
        std::chrono::milliseconds reloadGate{2000};    // at most one enumeration starts per gate
        std::chrono::milliseconds firstAidDeadline =
            std::chrono::hours(2);  // a check of a large disk is slow
        std::chrono::milliseconds actionDeadline = disk::DiskUtilCommands::kActionDeadline;  // mount … rename
        std::chrono::milliseconds slowList{3000};  // until the screen says the list is still being read
    };
    static void setDelaysForTesting(const Delays& delays);

    explicit RepairDiskViewController(QWidget* parent = nullptr);
    ~RepairDiskViewController() override;

    void loadData();
    void getallVolumes();
    void setIsLoadValueing();
    bool isVolumeMounted() const;

    int numberOfRowsInTableView(CustomTableView* tableView) override;
    QWidget* viewForTableColumn(CustomTableView* tableView, const QString& column, int row) override;
    double heightOfRow(CustomTableView* tableView, int row) override;
    bool shouldSelectRow(CustomTableView* tableView, int row) override;
    void controlTextDidChange(const QString& text);

    void helpButtonAction();
    void OpenButtonAction();
    void mountButtonAction();
    void renameButtonAction();
    void saveButtonAction();
    void formatButtonAction();
    void ejectButtonAction();
    void aidtButAction();

    void checkDiskAction() override;
    void repairDiskAction() override;
    void closeShowAidWindow() override;
    void makeSureToFormatSelectVolumeWithName(const QString& name, const QString& type) override;

    static bool containsChinese(const QString& text);

    // Lookups that the screen's own flows do not call.
    static std::optional<QVariantMap> getDisjInfo(const QString& name);
    static std::optional<QVariantMap> getAllDiskAndVolumes();
    // Appends the volume of that device when no record holds it yet.
    void getVolumeAllObjWithVolumeName(const QString& name);
    static QString byteToSizeWithByte(quint64 bytes);

    QObject* superDelegate() const { return superDelegate_; }
    void setSuperDelegate(QObject* owner) { superDelegate_ = owner; }
    CustomTableView* parTableView() const { return parTableView_; }
    QWidget* loadProView() const { return loadProView_; }
    // "Still reading the list of volumes…", shown when a reload takes long.
    QLabel* listStatus() const { return listStatus_; }
    // Shown instead of the rows when the list could not be read, with its "Try Again" button.
    QWidget* unreadableView() const { return unreadableView_; }
    TextImageButton* tryAgainButton() const { return tryAgainButton_; }
    TextImageButton* helpButton() const { return helpButton_; }
    bool isRenameEdit() const { return isRenameEdit_; }
    void setIsRenameEdit(bool edit) { isRenameEdit_ = edit; }
    const std::vector<VolumeObj>& allVolumes() const { return allVolumeArr; }
    const VolumeObj* selectedVolume() const { return selectVolume; }
    int selectedIndex() const { return selectIndex; }
    disktool::VolumeRowCard* card(int row) const;
    bool isScanning() const { return isScanV; }
    bool isReloadPending() const { return reloadPending_; }
    // Whether a command runs on the volume of that identifier, or its row waits for the list that follows.
    bool isBusy(const QString& identifier) const { return busy_.contains(identifier); }
    // What the volume's row says runs on it, or that the last command failed; empty when neither.
    QString activityText(const QString& identifier) const;
    FristAidViewController* fristAidVC() const { return fristAid_.controller.get(); }
    ShowAidViewControllrt* showAidVC() const { return showAid_.controller.get(); }
    MakeSureFormatViewController* makeSureFormatVC() const { return makeSureFormat_.controller.get(); }
    FormatingViewController* formatingVC() const { return formating_.controller.get(); }
    FormatEndViewController* formatEndVC() const { return formatEnd_.controller.get(); }

private:
    // A dialog's controller and the modal window it is shown in, which goes first.
    template <class Controller>
    struct Dialog {
        std::unique_ptr<Controller> controller;
        std::unique_ptr<StatusAttachedWindow> window;
        void reset() {
            window.reset();
            controller.reset();
        }
    };
    using Command = std::function<disktool::CommandResult()>;
    using Finished = std::function<void(const disktool::CommandResult&)>;
    // What a volume's row says while a command runs on it, and after the command has failed.
    struct Activity {
        const char* running;
        const char* failed;
        const char* stopped = "Stopped";
    };

    void awakeFromNib();
    void buildView();
    QWidget* makeCell(QWidget* parent);
    void fillButtons(disktool::VolumeRowCard* card, const VolumeObj& volume, bool selected);
    void installVolumes(std::optional<std::vector<VolumeObj>> volumes);
    // A command on the volume has `ended`: its row stays busy until a list read begun after then arrives, so
    // it never offers what the volume was before. Reads the list, unless such a read runs already.
    void settle(const QString& identifier, std::chrono::steady_clock::time_point ended);
    // Frees the rows whose commands ended before the list just read was begun; whether any was.
    bool settleVolumes();
    void replaceVolumes(std::vector<VolumeObj> volumes);
    void showSlowList(int scan);
    // The name the volume will get for what is typed, shown in the field as it is typed.
    void renameEdited(QLineEdit* field, const QString& text);
    void runOnVolume(const VolumeObj& volume, Activity activity, Command command, Finished finished);
    void renameFinished(const VolumeObj& volume, const QString& name, const disktool::CommandResult& result);
    template <class Controller>
    Controller* makeDialog(Dialog<Controller>& dialog, double dx, AttachedWindowSide side, float distance);
    template <class Controller>
    static void runDialog(Dialog<Controller>& dialog);
    QPointF dialogPoint(double dx) const;
    void startFirstAid(bool repair);
    void showFormatingView();
    void formatCompleted(const disktool::CommandResult& result);
    void showFormatEndWindow(const disktool::CommandResult& result);
    // The failure of a command, or the trouble of the look after it, in a message; nothing when all went
    // well.
    void reportResult(const disktool::CommandResult& result, const QString& failed, const QString& done);
    void showError(const QString& message);

    QPointer<QObject> superDelegate_;
    std::vector<VolumeObj> allVolumeArr;
    CustomTableView* parTableView_ = nullptr;
    std::unique_ptr<WatchMountUnmount> watchMu;
    bool isScanV = false;
    bool isRenameEdit_ = false;
    QWidget* loadProView_ = nullptr;
    VolumeObj* selectVolume = nullptr;  // into allVolumeArr
    int selectIndex = 0;
    bool isMount = false;
    QString editStr;
    Dialog<FristAidViewController> fristAid_;
    Dialog<ShowAidViewControllrt> showAid_;
    Dialog<MakeSureFormatViewController> makeSureFormat_;
    Dialog<FormatingViewController> formating_;
    Dialog<FormatEndViewController> formatEnd_;
    std::unique_ptr<ErrorWindowController> errorWC;

    bool isLoadValueing = false;  // an enumeration started less than a gate ago
    bool reloadPending_ = false;  // a reload was asked for while it could not start
    QWidget* unreadableView_ = nullptr;
    TextImageButton* tryAgainButton_ = nullptr;
    TextImageButton* helpButton_ = nullptr;
    QLabel* listStatus_ = nullptr;
    int scans_ = 0;                 // enumerations started, so a late notice never speaks of a later one
    QHash<QString, QString> busy_;  // by identifier: what runs on the volume
    std::chrono::steady_clock::time_point scanStarted_;               // of the last enumeration
    QHash<QString, std::chrono::steady_clock::time_point> settling_;  // by identifier: when its command ended
    QHash<QString, QString> notes_;  // by identifier: the last command on the volume failed
    // The volumes the open dialogs act on, copied when the user clicked.
    std::optional<VolumeObj> renameTarget_;
    std::optional<VolumeObj> firstAidTarget_;
    std::optional<VolumeObj> formatTarget_;
    bool formatRunning_ = false;
    int formatRuns_ = 0;  // the formatting view of an earlier format never opens for a later one
    platform::CancelFlag formatStop_;
    platform::NotificationCenter::Token mountToken_;
    platform::NotificationCenter::Token unmountToken_;
};
