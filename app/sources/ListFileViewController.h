#pragma once

#include "app/sources/FileOutlineModel.h"
#include "services/files/Controller.h"
#include "services/files/ControllerDelegate.h"
#include "services/files/FileNode.h"
#include "services/files/GetFilesSize.h"
#include "services/files/GetFilesSizeDelegate.h"

#include <QSizeF>
#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>

class ListFileViewControllerDelagate;
class NewOutlineView;
class QProgressBar;
class QTimer;
class TCImageButton;
class TextImageButton;
namespace kit {
class ImageControl;
}

// The file list: an outline of a folder's files (a volume's, as a rule) with a tri-state check box in every
// row and a select-all box in the header, "Refresh" to scan the folder again and "Done" to total what is
// checked and hand the tree and the total to the host (`detagate`, not owned).
//
// Each row shows its check box at the left whatever its depth; the name column holds the indentation and the
// disclosure triangles and widens as deeper folders open. No row is highlighted until the user clicks one or
// moves with the arrow keys. A check click redraws the rows on screen whose state it changed, no more.
//
// The list always works on a tree of its own: a fresh scan makes one, and a tree handed in to show a former
// choice is copied, so the screen's tree is untouched until "Done" hands the list's tree over. States:
// - scanning: the folder's top level is being listed; the outline refreshes once a second, "Refresh" is off
//   and the check boxes are inert. It ends when the scan has, whatever it found (an empty folder, a file, a
//   folder that is missing or unreadable, a volume unplugged meanwhile).
// - idle.
// - totalling, after "Done": a spinner covers the list, both buttons are off, check clicks do nothing and the
//   host refuses to close. "Done" pressed while scanning waits for the scan's end, then totals. The total and
//   the tree reach the host on the main thread.
// Destroying the list stops everything: no scan or total writes into it afterwards.
class ListFileViewController : public QWidget, public ControllerDelegate, public GetFilesSizeDelegate {
    Q_OBJECT

public:
    static constexpr QSizeF kViewSize{740, 460};
    static constexpr std::chrono::milliseconds kRefreshInterval{1000};

    explicit ListFileViewController(QWidget* parent = nullptr);
    ~ListFileViewController() override;
    ListFileViewController(const ListFileViewController&) = delete;
    ListFileViewController& operator=(const ListFileViewController&) = delete;

    // A fresh scan of `path`: everything found starts checked.
    void getRootNodeListWithPath(const QString& path);
    // Shows a copy of an earlier choice; "Refresh" scans `path` afresh.
    void setArrForListWithArr(const SharedFileNodeList& roots, const QString& path);
    void refreshButtonAction();
    void doneButtonAction();
    void doShowLoadView();
    void doHiddenLoadView();
    void allCopyFilesSize(qint64 total) override;
    void reloadTreeList() override;
    void changeSelectAllButtonState() override;
    void setAllSelectOrNoSelect();
    void changeSelectAllFiles(bool select);
    void changeNodeState(FileNode* node);
    void showDetailPage();

    // The outline's data source and delegate (through FileOutlineModel). `item` null is the root.
    FileNode* child(qsizetype index, const FileNode* item) const;
    qsizetype numberOfChildrenOfItem(const FileNode* item) const;
    // Folders are, except bundles (".app", ".framework"), which show as single items.
    static bool isItemExpandable(const FileNode* item);
    static QString objectValueForTableColumn(sources::FileColumn column, const FileNode* item);
    // The check box image of a row: none for a system file, which cannot be toggled.
    static QString checkBoxImage(const FileNode* item);
    void setObjectValue(sources::FileColumn column, FileNode* item);
    bool shouldSelectItem(FileNode* item);
    void outlineViewItemDidExpand(FileNode* item);
    void outlineViewItemDidCollapse(FileNode* item);

    ListFileViewControllerDelagate* detagate() const { return detagate_; }
    void setDetagate(ListFileViewControllerDelagate* delegate) { detagate_ = delegate; }
    const SharedFileNodeList& rootNodeArr() const { return rootNodeArr_; }
    const QString& searchPath() const { return searchPath_; }
    bool isScan() const { return isScan_; }
    bool isTotalling() const { return totalling_; }
    qint32 selectAllButSt() const { return selectAllButSt_; }
    qint64 selectedRow() const { return selectedRow_; }
    NewOutlineView* outlineView() const { return outlineView_; }
    sources::FileOutlineModel* model() const { return model_; }
    TCImageButton* cancelButton() const { return cancelButton_; }
    TextImageButton* doneButton() const { return doneButton_; }
    TextImageButton* refeshButton() const { return refeshButton_; }
    kit::ImageControl* selectAllButton() const { return selectAllButton_; }
    QWidget* waitView() const { return waitView_; }
    QProgressBar* loadProView() const { return loadProView_; }

private:
    void awakeFromNib();
    void headerView();
    void setSelectAllState(qint32 state);
    void startTotal();
    void scheduleReload();
    void reloadOutline();
    void restoreExpansion(FileNode* node);
    void showStates(const std::function<bool(const FileNode*)>& reached);
    // `node` is `folder` or lies below it.
    static bool isWithin(const FileNode* node, const FileNode* folder);
    void widenNameColumnFor(const FileNode* folder);

    NewOutlineView* outlineView_ = nullptr;
    sources::FileOutlineModel* model_ = nullptr;
    TCImageButton* cancelButton_ = nullptr;
    TextImageButton* doneButton_ = nullptr;
    TextImageButton* refeshButton_ = nullptr;
    SharedFileNodeList rootNodeArr_;
    QWidget* waitView_ = nullptr;
    QProgressBar* loadProView_ = nullptr;
    QTimer* sortTimer_ = nullptr;
    qint64 selectedRow_ = -1;
    kit::ImageControl* selectAllButton_ = nullptr;
    QString searchPath_;
    std::unique_ptr<Controller> controller_;
    std::unique_ptr<GetFilesSize> getFilesSize_;
    qint32 selectAllButSt_ = 0;
    bool isScan_ = false;
    bool totalling_ = false;
    bool totalWaitsForScan_ = false;
    bool reloadPending_ = false;
    bool restoringExpansion_ = false;
    ListFileViewControllerDelagate* detagate_ = nullptr;
};
