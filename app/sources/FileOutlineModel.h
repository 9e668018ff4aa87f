#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QString>

#include <functional>

class FileNode;
class ListFileViewController;

namespace sources {

// The file list's columns, in their order; the header titles and identifiers follow it.
enum class FileColumn { CheckBox, Name, Size, Path, OpenFinder, Pareview };

// The outline view's model of the file list: every question goes to the list (its data source), whose tree
// it shows; an index carries its FileNode. Clicks on the check box and "show" columns come back as
// `kClickRole` writes, which the list turns into state changes.
//
// The list tells the model what changed, and only that: `reload` when the tree was replaced or re-sorted
// (a scan), `loadChildren` around the listing of a folder that is opened, and `rowChanged` for a row whose
// check box shows a new state. A row costs the model nothing of its own: a node's row is looked up among its
// siblings, and remembered only for the folders that are open.
class FileOutlineModel : public QAbstractItemModel {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 6;
    static constexpr int kRowHeight = 24;
    // The name of the image a cell shows (check box, "show" button); empty for none.
    static constexpr int kImageRole = Qt::UserRole + 1;
    static constexpr int kClickRole = Qt::UserRole + 2;

    explicit FileOutlineModel(ListFileViewController* list, QObject* parent = nullptr);

    static FileNode* nodeOf(const QModelIndex& index);
    static FileColumn columnOf(const QModelIndex& index) { return static_cast<FileColumn>(index.column()); }
    // The identifier of a column ("CheckBox", "Name", …).
    static QString identifier(FileColumn column);
    // The index of a node that the tree holds now, in the first column.
    QModelIndex indexForNode(FileNode* node) const;
    void reload();
    // Runs `load`, which fills the children of `node` (that has none yet), and shows what it added.
    void loadChildren(FileNode* node, const std::function<void()>& load);
    // The check box of the row shows a new state.
    void rowChanged(const QModelIndex& row);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    int rowOf(const FileNode* node) const;

    ListFileViewController* list_;
    QIcon folderIcon_;
    QIcon fileIcon_;
    // Where a folder stood among its siblings when last asked: checked before use, so never wrong.
    mutable QHash<const FileNode*, int> rowHints_;
    const FileNode* loading_ = nullptr;  // shows no children until they are announced
};

}  // namespace sources
