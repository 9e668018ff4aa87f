#pragma once

#include "app/disk-tool/FristAidVCDelegate.h"
#include "app/disk-tool/MakeSureFormatVCDelegate.h"
#include "app/disk-tool/ShowAidVCDelegate.h"
#include "platform/NotificationCenter.h"
#include "services/disks/VolumeObj.h"
#include "ui-kit/windows/AttachedWindowGeometry.h"
#include "ui-kit/tables/CustomTableView.h"

#include <QPointF>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class ErrorWindowController;
class FormatEndViewController;
class FormatingViewController;
class FristAidViewController;
class MakeSureFormatViewController;
class ShowAidViewControllrt;
class StatusAttachedWindow;
class TextImageButton;
class WatchMountUnmount;

// The Disk Tool screen: one row per volume that the volume enumerator lists, and on the selected row Open,
// Mount or Unmount, First Aid, Rename (inline, with Save), Format and Eject, plus a help link.
//
// Every action works on the volume as it was when the user clicked: its record is copied then, and the
// command addresses it by its BSD identifier, so a list reload during a confirmation, or during the wait
// before First Aid starts, never moves the action to another row. A format checks again, just before it
// erases, that the identifier still names that volume. The list reloads on the volume notifications and
// after mount, unmount, rename and format; a reload asked for while one runs, or within the gate after the
// last one began, is done once (and only once) when both have passed, so the list never stays stale.
//
// The list, the actions and the dialogs live on the main thread; enumeration, mount, unmount, eject, format
// and First Aid run on the global queue. A rename waits for diskutil on the main thread.
class RepairDiskViewController : public QWidget,
                                 public CustomTableViewDataSource,
                                 public FristAidVCDelegate,
                                 public ShowAidVCDelegate,
                                 public MakeSureFormatVCDelegate {
public:
    static constexpr double kSelectedRowHeight = 88.0;
    static constexpr double kRowHeight = 48.0;

    // The documented waits. Tests shorten them here; the product never changes them.
    struct Delays {
        int firstAidMs = 1000;      // from the choice in the confirmation to the tool's start
        int formatingViewMs = 100;  // from "Continue" to the formatting view
        int formatEndMs = 1000;     // from the end of a format to its result view
        int reloadGateMs = 2000;    // at most one enumeration starts per gate
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

    // Whether any UTF-16 unit lies strictly between U+4E00 and U+9FFF.
    static bool containsChinese(const QString& text);
    // A name as a FAT32 volume takes it: "NEW" when it holds a CJK character, else upper-cased and cut to 11
    // characters.
    static QString fat32Name(const QString& name);
    // The erase's name on the non-APFS road: "NEW" for an empty or one-blank name; the FAT32 rule for the
    // type "MS-DOS FAT32".
    static QString eraseName(const QString& name, const QString& type);

    // Lookups that the screen's own flows do not call.
    static std::optional<QVariantMap> getDisjInfo(const QString& name);
    static std::optional<QVariantMap> getAllDiskAndVolumes();
    // Appends the volume of that device when no record holds it yet.
    void getVolumeAllObjWithVolumeName(const QString& name);
    // The lookup's size text: "%.0f byte" below 1000, then KB, MB, GB and TB in steps of 1000.
    static QString byteToSizeWithByte(quint64 bytes);

    QObject* superDelegate() const { return superDelegate_; }
    void setSuperDelegate(QObject* owner) { superDelegate_ = owner; }
    CustomTableView* parTableView() const { return parTableView_; }
    QWidget* loadProView() const { return loadProView_; }
    TextImageButton* helpButton() const { return helpButton_; }
    bool isRenameEdit() const { return isRenameEdit_; }
    void setIsRenameEdit(bool edit) { isRenameEdit_ = edit; }
    const std::vector<VolumeObj>& allVolumes() const { return allVolumeArr; }
    const VolumeObj* selectedVolume() const { return selectVolume; }
    int selectedIndex() const { return selectIndex; }
    bool isScanning() const { return isScanV; }
    bool isReloadPending() const { return reloadPending_; }
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

    void awakeFromNib();
    void buildView();
    QWidget* makeCell(QWidget* parent);
    void fillButton(TextImageButton* button, const VolumeObj& volume, bool selected);
    void installVolumes(std::optional<std::vector<VolumeObj>> volumes);
    template <class Controller>
    Controller* makeDialog(Dialog<Controller>& dialog, double dx, AttachedWindowSide side, float distance);
    template <class Controller>
    static void runDialog(Dialog<Controller>& dialog);
    QPointF dialogPoint(double dx) const;
    void startFirstAid(bool repair);
    void showFormatingView();
    void formatCompleted(bool succeeded);
    void showFormatEndWindow(bool succeeded);
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
    TextImageButton* helpButton_ = nullptr;
    // The volumes the open dialogs act on, copied when the user clicked.
    std::optional<VolumeObj> renameTarget_;
    std::optional<VolumeObj> firstAidTarget_;
    std::optional<VolumeObj> formatTarget_;
    bool formatRunning_ = false;
    int formatRuns_ = 0;  // the formatting view of an earlier format never opens for a later one
    platform::NotificationCenter::Token mountToken_;
    platform::NotificationCenter::Token unmountToken_;
};
