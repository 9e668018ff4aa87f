#include "app/sources/ListFileViewController.h"

#include "app/sources/FileTrees.h"
#include "app/sources/ImageClickCell.h"
#include "app/sources/ListFileViewControllerDelagate.h"
#include "platform/LogCategories.h"
#include "services/utilities/KVPublicUtilities.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/TCImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/ImageAndTextCell.h"
#include "ui-kit/tables/NewOutlineView.h"
#include "ui-kit/tables/TROverlayScrollView.h"

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <array>
#include <utility>

using sources::FileColumn;
using sources::FileOutlineModel;

namespace {

// The layout, in the list's Cocoa coordinates, and the columns' widths.
constexpr QRectF kOutlineFrame{20, 70, 700, 370};
constexpr QRectF kRefreshFrame{20, 18, 120, 36};
constexpr QRectF kCancelFrame{460, 18, 120, 36};
constexpr QRectF kDoneFrame{600, 18, 120, 36};
constexpr QRectF kSelectAllFrame{20, 8, 14, 14};  // in the header, which is flipped
constexpr QSizeF kSpinnerSize{160, 6};
constexpr std::array<int, 5> kColumnWidths{50, 280, 90, 230, 40};  // within the outline: no side scrolling
// What the name column keeps beside its indentation: the icon and a readable part of the name.
constexpr int kNameRoom = 180;

bool isBundleName(const QString& name) {
    return name.endsWith(QLatin1String(".app")) || name.endsWith(QLatin1String(".framework"));
}

}  // namespace

ListFileViewController::ListFileViewController(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    outlineView_ = new NewOutlineView(this);
    kit::setCocoaFrame(outlineView_, kOutlineFrame);
    model_ = new FileOutlineModel(this, this);
    outlineView_->setModel(model_);
    outlineView_->setUniformRowHeights(true);
    // The tree (indentation, disclosure triangle) is drawn in the name column, so that a check box keeps its
    // place at every depth; that column widens as deeper folders open.
    outlineView_->setTreePosition(static_cast<int>(FileColumn::Name));
    outlineView_->setExpandsOnDoubleClick(false);
    outlineView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (std::size_t column = 0; column < kColumnWidths.size(); ++column) {
        outlineView_->setColumnWidth(static_cast<int>(column), kColumnWidths[column]);
    }
    outlineView_->setColumnHidden(static_cast<int>(FileColumn::Pareview), true);
    auto* clickCell = new sources::ImageClickCell(outlineView_);
    outlineView_->setItemDelegateForColumn(static_cast<int>(FileColumn::CheckBox), clickCell);
    outlineView_->setItemDelegateForColumn(static_cast<int>(FileColumn::OpenFinder), clickCell);
    outlineView_->setItemDelegateForColumn(static_cast<int>(FileColumn::Name),
                                           new ImageAndTextCell(outlineView_));
    TROverlayScrollView::installOn(outlineView_);

    refeshButton_ =
        kit::addImageButton(this, kRefreshFrame, QStringLiteral("btn_sec"), QStringLiteral("Refresh"));
    doneButton_ = kit::addImageButton(this, kDoneFrame, QStringLiteral("btn_pri"), QStringLiteral("Done"));
    cancelButton_ = new TCImageButton(this);
    kit::setCocoaFrame(cancelButton_, kCancelFrame);
    // The button's own title is white, made for dark images; this one is light.
    QLabel* cancelTitle = kit::addLabel(cancelButton_, QRectF(QPointF(), kCancelFrame.size()),
                                        {.pixelSize = 13, .clickThrough = true});
    cancelTitle->setAlignment(Qt::AlignCenter);
    cancelTitle->setText(QStringLiteral("Cancel"));

    waitView_ = new QWidget(this);
    waitView_->setGeometry(rect());
    waitView_->setAutoFillBackground(true);
    QPalette veil = waitView_->palette();
    veil.setColor(QPalette::Window, QColor(255, 255, 255, 160));
    waitView_->setPalette(veil);
    loadProView_ = new QProgressBar(waitView_);
    loadProView_->setRange(0, 0);
    loadProView_->setTextVisible(false);
    kit::setCocoaFrame(loadProView_, QRectF(QPointF((kViewSize.width() - kSpinnerSize.width()) / 2,
                                                    (kViewSize.height() - kSpinnerSize.height()) / 2),
                                            kSpinnerSize));
    waitView_->hide();

    sortTimer_ = new QTimer(this);
    sortTimer_->setInterval(kRefreshInterval);
    connect(sortTimer_, &QTimer::timeout, this, &ListFileViewController::reloadTreeList);
    awakeFromNib();
}

ListFileViewController::~ListFileViewController() {
    // The outline asks nothing more of a list that is going; the scan and the total report nothing from now
    // on; then the tree may go.
    outlineView_->setModel(nullptr);
    getFilesSize_.reset();
    controller_.reset();
}

void ListFileViewController::awakeFromNib() {
    refeshButton_->setButtonEnabled(true);
    doneButton_->setButtonEnabled(true);
    cancelButton_->setButtonEnabled(true);
    cancelButton_->setImageFromFileNormalName(QStringLiteral("btn_sec"), QStringLiteral("btn_sec_press"),
                                              QStringLiteral("btn_sec_hover"),
                                              QStringLiteral("btn_sec_disable"));
    connect(refeshButton_, &QAbstractButton::clicked, this, &ListFileViewController::refreshButtonAction);
    connect(doneButton_, &QAbstractButton::clicked, this, &ListFileViewController::doneButtonAction);
    connect(outlineView_, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (!restoringExpansion_) {
            outlineViewItemDidExpand(FileOutlineModel::nodeOf(index));
        }
    });
    connect(outlineView_, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        if (!restoringExpansion_) {
            outlineViewItemDidCollapse(FileOutlineModel::nodeOf(index));
        }
    });
    connect(outlineView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (FileNode* node = FileOutlineModel::nodeOf(current); node && !restoringExpansion_) {
                    shouldSelectItem(node);
                }
            });
    outlineView_->setRowNum(selectedRow_);
    controller_ = std::make_unique<Controller>();
    controller_->setADelegate(this);
    headerView();
}

void ListFileViewController::headerView() {
    selectAllButton_ = new kit::ImageControl(outlineView_->header());
    selectAllButton_->setGeometry(kSelectAllFrame.toRect());
    connect(selectAllButton_, &QAbstractButton::clicked, this,
            &ListFileViewController::setAllSelectOrNoSelect);
    setSelectAllState(0);
}

void ListFileViewController::setSelectAllState(qint32 state) {
    selectAllButSt_ = state;
    static const std::array<QString, 3> images{
        QStringLiteral("checkbox_unsel"), QStringLiteral("checkbox_sel"), QStringLiteral("checkbox_halfsel")};
    selectAllButton_->setImageName(images.at(static_cast<std::size_t>(state)));
}

void ListFileViewController::getRootNodeListWithPath(const QString& path) {
    refeshButton_->setButtonEnabled(false);
    doneButton_->setButtonEnabled(false);
    searchPath_ = path;
    showDetailPage();
    // The tree on show goes only after the outline has let go of it.
    const SharedFileNodeList previous = std::exchange(rootNodeArr_, std::make_shared<FileNodeList>());
    controller_->eumeAllRootFileNodeWithRootArr(rootNodeArr_, path, false, false);
    model_->reload();
    setSelectAllState(1);  // what a scan finds starts checked
    doneButton_->setButtonEnabled(true);
}

void ListFileViewController::setArrForListWithArr(const SharedFileNodeList& roots, const QString& path) {
    searchPath_ = path;
    const SharedFileNodeList previous = std::exchange(
        rootNodeArr_, std::make_shared<FileNodeList>(roots ? sources::copyTree(*roots) : FileNodeList{}));
    reloadOutline();
    changeSelectAllButtonState();
}

void ListFileViewController::refreshButtonAction() {
    getRootNodeListWithPath(searchPath_);
}

void ListFileViewController::showDetailPage() {
    isScan_ = true;
    sortTimer_->start();
}

// While a scan runs, roots come and are sorted in: the outline is rebuilt. A change of check states needs
// nothing here: the list has shown the rows it changed.
void ListFileViewController::reloadTreeList() {
    if (!isScan_) {
        return;
    }
    if (controller_->getProgress() >= 100.0F) {
        isScan_ = false;
        sortTimer_->stop();
        refeshButton_->setButtonEnabled(!totalling_);
        if (totalWaitsForScan_) {
            totalWaitsForScan_ = false;
            startTotal();
        }
    }
    scheduleReload();
}

// Many changes come in one burst (every ancestor of a clicked row reports): the outline reloads once, after
// them, on the main queue.
void ListFileViewController::scheduleReload() {
    if (reloadPending_) {
        return;
    }
    reloadPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            reloadPending_ = false;
            reloadOutline();
        },
        Qt::QueuedConnection);
}

void ListFileViewController::reloadOutline() {
    if (rootNodeArr_) {
        sources::sortRoots(*rootNodeArr_);
    }
    const int scrolled = outlineView_->verticalScrollBar()->value();
    model_->reload();
    restoringExpansion_ = true;
    if (rootNodeArr_) {
        for (const auto& root : *rootNodeArr_) {
            restoreExpansion(root.get());
        }
    }
    restoringExpansion_ = false;
    outlineView_->verticalScrollBar()->setValue(scrolled);
    outlineView_->viewport()->update();
}

void ListFileViewController::restoreExpansion(FileNode* node) {
    if (!node->isExpand() || !isItemExpandable(node)) {
        return;
    }
    widenNameColumnFor(node);
    outlineView_->expand(model_->indexForNode(node));
    for (const auto& child : node->children()) {
        restoreExpansion(child.get());
    }
}

void ListFileViewController::changeSelectAllButtonState() {
    if (!rootNodeArr_ || rootNodeArr_->empty()) {
        setSelectAllState(0);
        return;
    }
    const auto checked = std::count_if(rootNodeArr_->begin(), rootNodeArr_->end(),
                                       [](const auto& root) { return root->state() == FileNode::kChecked; });
    const bool partly = std::any_of(rootNodeArr_->begin(), rootNodeArr_->end(), [](const auto& root) {
        return root->state() == FileNode::kPartlyChecked;
    });
    if (checked == static_cast<std::ptrdiff_t>(rootNodeArr_->size())) {
        setSelectAllState(1);
    } else {
        setSelectAllState(checked > 0 || partly ? 2 : 0);
    }
}

void ListFileViewController::setAllSelectOrNoSelect() {
    if (isScan_ || totalling_) {
        return;
    }
    const bool select = selectAllButSt_ != 1;
    changeSelectAllFiles(select);
    setSelectAllState(select ? 1 : 0);
}

void ListFileViewController::changeSelectAllFiles(bool select) {
    if (!rootNodeArr_) {
        return;
    }
    for (const auto& root : *rootNodeArr_) {
        root->setState(select ? FileNode::kChecked : FileNode::kUnchecked);
        changeNodeState(root.get());
    }
    showStates([](const FileNode*) { return true; });
}

void ListFileViewController::changeNodeState(FileNode* node) {
    if (!node->isExpand()) {
        return;  // children that were never shown take the state when the folder opens
    }
    for (const auto& child : node->children()) {
        child->setState(node->state());
        changeNodeState(child.get());
    }
}

FileNode* ListFileViewController::child(qsizetype index, const FileNode* item) const {
    const FileNodeList* list = item ? &item->children() : rootNodeArr_.get();
    if (!list || index < 0 || index >= static_cast<qsizetype>(list->size())) {
        qCWarning(lcApp) << "-------Error children";
        return nullptr;
    }
    return (*list)[static_cast<std::size_t>(index)].get();
}

qsizetype ListFileViewController::numberOfChildrenOfItem(const FileNode* item) const {
    const FileNodeList* list = item ? &item->children() : rootNodeArr_.get();
    return list ? static_cast<qsizetype>(list->size()) : 0;
}

bool ListFileViewController::isItemExpandable(const FileNode* item) {
    return item && item->isDirectory() && !isBundleName(item->name());
}

QString ListFileViewController::objectValueForTableColumn(FileColumn column, const FileNode* item) {
    switch (column) {
        case FileColumn::Name:
            return item->displayName();
        case FileColumn::Size:
            return item->isDirectory() ? QStringLiteral("-")
                                       : KVPublicUtilities::convertVolSpace(item->size());
        case FileColumn::Path:
            return item->path();
        default:
            return {};
    }
}

QString ListFileViewController::checkBoxImage(const FileNode* item) {
    if (item->isSystemFile()) {
        return {};
    }
    switch (item->state()) {
        case FileNode::kChecked:
            return QStringLiteral("checkbox_sel");
        case FileNode::kPartlyChecked:
            return QStringLiteral("checkbox_halfsel");
        default:
            return QStringLiteral("checkbox_unsel");
    }
}

void ListFileViewController::setObjectValue(FileColumn column, FileNode* item) {
    if (column == FileColumn::OpenFinder) {
        controller_->openFileWithFileNode(item);
        return;
    }
    if (column != FileColumn::CheckBox || isScan_ || totalling_ || item->isSystemFile()) {
        return;
    }
    const qint64 state = item->state() == FileNode::kChecked ? FileNode::kUnchecked : FileNode::kChecked;
    item->setState(state);
    if (item->isExpand()) {
        controller_->changeSelectWithNode(item, state);
    }
    controller_->changeFatherNodeSelectStateWithFileNode(item, state);
    // The row, the rows below it and its ancestors.
    showStates([item](const FileNode* row) { return isWithin(row, item) || isWithin(item, row); });
}

// The rows on screen that a change reached are drawn again; a row scrolled into view later is drawn from the
// tree as it is then. So a change costs what the screen shows, however many rows it reached.
void ListFileViewController::showStates(const std::function<bool(const FileNode*)>& reached) {
    const QRect shown = outlineView_->viewport()->rect();
    for (QModelIndex row = outlineView_->indexAt(shown.topLeft());
         row.isValid() && outlineView_->visualRect(row).top() <= shown.bottom();
         row = outlineView_->indexBelow(row)) {
        if (reached(FileOutlineModel::nodeOf(row))) {
            model_->rowChanged(row);
        }
    }
}

bool ListFileViewController::isWithin(const FileNode* node, const FileNode* folder) {
    for (; node; node = node->father()) {
        if (node == folder) {
            return true;
        }
    }
    return false;
}

// Room for the indentation of the folder's children, which the name column holds, beside their names.
void ListFileViewController::widenNameColumnFor(const FileNode* folder) {
    int levels = 1;  // the roots' own triangles
    for (const FileNode* above = folder; above; above = above->father()) {
        ++levels;
    }
    const int name = static_cast<int>(FileColumn::Name);
    outlineView_->setColumnWidth(
        name, std::max(outlineView_->columnWidth(name), outlineView_->indentation() * levels + kNameRoom));
}

bool ListFileViewController::shouldSelectItem(FileNode* item) {
    selectedRow_ = outlineView_->rowForItem(model_->indexForNode(item));
    outlineView_->setRowNum(selectedRow_);
    outlineView_->viewport()->update();
    return true;
}

void ListFileViewController::outlineViewItemDidExpand(FileNode* item) {
    selectedRow_ = -1;
    outlineView_->setRowNum(-1);
    item->setIsExpand(true);
    widenNameColumnFor(item);
    if (item->children().empty()) {
        model_->loadChildren(item, [this, item] { controller_->getNodeListWithFaterNode(item); });
    } else if (item->state() != FileNode::kPartlyChecked) {
        controller_->changeSelectWithNode(item, item->state());
        showStates([item](const FileNode* row) { return isWithin(row, item); });
    }
}

void ListFileViewController::outlineViewItemDidCollapse(FileNode* item) {
    selectedRow_ = -1;
    outlineView_->setRowNum(-1);
    item->setIsExpand(false);
    outlineView_->viewport()->update();
}

void ListFileViewController::doneButtonAction() {
    if (totalling_) {
        return;
    }
    totalling_ = true;
    doShowLoadView();
    if (detagate_) {
        detagate_->getSelectFilesSize(true);
    }
    if (isScan_) {
        totalWaitsForScan_ = true;  // the total starts when the scan has ended
        return;
    }
    startTotal();
}

void ListFileViewController::startTotal() {
    if (!rootNodeArr_) {
        rootNodeArr_ = std::make_shared<FileNodeList>();
    }
    getFilesSize_ = std::make_unique<GetFilesSize>();
    getFilesSize_->setDelegate(this);
    getFilesSize_->getAllFilesSizeWithArr(*rootNodeArr_);
}

void ListFileViewController::allCopyFilesSize(qint64 total) {
    totalling_ = false;
    doHiddenLoadView();
    if (detagate_) {
        detagate_->closeWindowWithSelect(rootNodeArr_, total);
    }
}

void ListFileViewController::doShowLoadView() {
    waitView_->show();
    waitView_->raise();
    refeshButton_->setButtonEnabled(false);
    doneButton_->setButtonEnabled(false);
}

void ListFileViewController::doHiddenLoadView() {
    waitView_->hide();
    refeshButton_->setButtonEnabled(true);
    doneButton_->setButtonEnabled(true);
}
