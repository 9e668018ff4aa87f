#include "app/sources/FileOutlineModel.h"

#include "app/sources/ListFileViewController.h"
#include "ui-kit/Palette.h"

#include <QFileIconProvider>

#include <algorithm>
#include <array>

namespace sources {
namespace {

const std::array<QString, FileOutlineModel::kColumnCount> kIdentifiers{
    QStringLiteral("CheckBox"), QStringLiteral("Name"),       QStringLiteral("Size"),
    QStringLiteral("Path"),     QStringLiteral("OpenFinder"), QStringLiteral("Pareview")};
const std::array<QString, FileOutlineModel::kColumnCount> kTitles{
    QString(), QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Path"), QString(), QString()};

}  // namespace

// The workspace's icons for the two kinds of item, made once: a row is drawn often.
FileOutlineModel::FileOutlineModel(ListFileViewController* list, QObject* parent)
    : QAbstractItemModel(parent),
      list_(list),
      folderIcon_(QFileIconProvider().icon(QAbstractFileIconProvider::Folder)),
      fileIcon_(QFileIconProvider().icon(QAbstractFileIconProvider::File)) {}

FileNode* FileOutlineModel::nodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<FileNode*>(index.internalPointer()) : nullptr;
}

QString FileOutlineModel::identifier(FileColumn column) {
    return kIdentifiers.at(static_cast<std::size_t>(column));
}

void FileOutlineModel::reload() {
    beginResetModel();
    rowHints_.clear();
    endResetModel();
}

void FileOutlineModel::loadChildren(FileNode* node, const std::function<void()>& load) {
    loading_ = node;
    load();
    const auto added = static_cast<int>(node->children().size());
    if (added > 0) {
        beginInsertRows(indexForNode(node), 0, added - 1);
        loading_ = nullptr;
        endInsertRows();
    }
    loading_ = nullptr;
}

void FileOutlineModel::rowChanged(const QModelIndex& row) {
    const QModelIndex box = row.siblingAtColumn(static_cast<int>(FileColumn::CheckBox));
    emit dataChanged(box, box, {kImageRole});
}

int FileOutlineModel::rowOf(const FileNode* node) const {
    const FileNodeList* siblings = node->father() ? &node->father()->children() : list_->rootNodeArr().get();
    if (!siblings) {
        return -1;
    }
    const auto hint = rowHints_.constFind(node);
    if (hint != rowHints_.constEnd() && *hint < static_cast<int>(siblings->size()) &&
        (*siblings)[static_cast<std::size_t>(*hint)].get() == node) {
        return *hint;
    }
    const auto found = std::find_if(siblings->begin(), siblings->end(),
                                    [node](const auto& sibling) { return sibling.get() == node; });
    if (found == siblings->end()) {
        return -1;
    }
    const auto row = static_cast<int>(found - siblings->begin());
    if (node->isDirectory()) {
        rowHints_.insert(node, row);  // a folder is asked for again and again while its rows show
    }
    return row;
}

QModelIndex FileOutlineModel::indexForNode(FileNode* node) const {
    const int row = node ? rowOf(node) : -1;
    return row < 0 ? QModelIndex() : createIndex(row, 0, node);
}

QModelIndex FileOutlineModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || row >= rowCount(parent) || column < 0 || column >= kColumnCount) {
        return {};
    }
    FileNode* node = list_->child(row, nodeOf(parent));
    return node ? createIndex(row, column, node) : QModelIndex();
}

QModelIndex FileOutlineModel::parent(const QModelIndex& child) const {
    const FileNode* node = nodeOf(child);
    return node ? indexForNode(node->father()) : QModelIndex();
}

int FileOutlineModel::rowCount(const QModelIndex& parent) const {
    const FileNode* node = nodeOf(parent);
    if (parent.column() > 0 || (node && node == loading_)) {
        return 0;
    }
    return static_cast<int>(list_->numberOfChildrenOfItem(node));
}

int FileOutlineModel::columnCount(const QModelIndex& /*parent*/) const {
    return kColumnCount;
}

bool FileOutlineModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return rowCount(parent) > 0;
    }
    return parent.column() == 0 && ListFileViewController::isItemExpandable(nodeOf(parent));
}

QVariant FileOutlineModel::data(const QModelIndex& index, int role) const {
    const FileNode* node = nodeOf(index);
    if (!node) {
        return {};
    }
    const FileColumn column = columnOf(index);
    switch (role) {
        case Qt::DisplayRole: {
            const QString value = ListFileViewController::objectValueForTableColumn(column, node);
            return value.isNull() ? QVariant() : QVariant(value);
        }
        case Qt::DecorationRole:
            if (column != FileColumn::Name) {
                return {};
            }
            return node->isDirectory() ? folderIcon_ : fileIcon_;
        case Qt::ForegroundRole:
            return column == FileColumn::Name || column == FileColumn::Size || column == FileColumn::Path
                       ? QVariant(kit::darkText())
                       : QVariant();
        case Qt::SizeHintRole:
            return QSize(0, kRowHeight);
        case kImageRole:
            if (column == FileColumn::CheckBox) {
                return ListFileViewController::checkBoxImage(node);
            }
            return column == FileColumn::OpenFinder ? QStringLiteral("ic_search") : QString();
        default:
            return {};
    }
}

bool FileOutlineModel::setData(const QModelIndex& index, const QVariant& /*value*/, int role) {
    FileNode* node = nodeOf(index);
    if (!node || role != kClickRole) {
        return false;
    }
    list_->setObjectValue(columnOf(index), node);
    return true;
}

Qt::ItemFlags FileOutlineModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!ListFileViewController::isItemExpandable(nodeOf(index))) {
        flags |= Qt::ItemNeverHasChildren;
    }
    return flags;
}

QVariant FileOutlineModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount) {
        return {};
    }
    return kTitles.at(static_cast<std::size_t>(section));
}

}  // namespace sources
