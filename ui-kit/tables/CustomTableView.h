#pragma once

#include "ui-kit/backgrounds/DrawnShape.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

namespace kit {
class CustomHeaderView;
}
class CustomTableView;
class QAbstractScrollArea;
class QKeyEvent;
class QMouseEvent;
class QScrollArea;
class QStandardItemModel;

class CustomTableViewDelegate {
public:
    virtual ~CustomTableViewDelegate() = default;
    virtual void listRightMouseDown(QMouseEvent* /*event*/) {}
};

// What the table asks the screen that fills it (its data source and delegate).
class CustomTableViewDataSource {
public:
    virtual ~CustomTableViewDataSource() = default;
    virtual int numberOfRowsInTableView(CustomTableView* /*tableView*/) { return 0; }
    // The view of one cell, usually from makeViewWithIdentifier(); none leaves the cell empty.
    virtual QWidget* viewForTableColumn(CustomTableView* /*tableView*/, const QString& /*column*/,
                                        int /*row*/) {
        return nullptr;
    }
    // Without an answer of its own, a row is the table's rowHeight() high.
    virtual double heightOfRow(CustomTableView* tableView, int row);
    virtual bool shouldSelectRow(CustomTableView* /*tableView*/, int /*row*/) { return true; }
};

// A table whose rows are views (labels, buttons, text fields that stay live), under the kit's header
// cells, with dark rounded row backgrounds and one light row, the highlighted row `rowNum`.
//
// Row views come from factories registered by identifier and are reused: a reload hands the views out
// again (a row keeps its view where it can) and hides what it no longer needs, but never deletes one. So a
// row's own button may reload the list from inside its click handler: the button lives on, at most hidden
// or given to another row. A reload asked for while a reload runs is done once that one has finished.
// The data source and the list delegate are not owned; their owner clears them before it goes.
//
// Nothing moves under the pointer: a row selected by a click stays where it was clicked, however the rows
// above it change height (the list scrolls back, or keeps room above the rows until the pointer leaves
// it), and a press on that row's views within the double-click interval of the click that selected it is
// the second half of a double click and goes nowhere. The up and down arrow keys select the row above or
// below the highlighted one.
class CustomTableView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeaderHeight = 25;
    // The platform table's vertical gap between rows; each row's views sit in the middle of its share.
    static constexpr int kIntercellHeight = 2;

    using ViewFactory = std::function<QWidget*(QWidget* parent)>;

    explicit CustomTableView(QWidget* parent = nullptr);
    ~CustomTableView() override;

    void addTableColumn(const QString& identifier, const QString& title);
    const QStringList& columnIdentifiers() const { return columns_; }

    CustomTableViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(CustomTableViewDataSource* dataSource) { dataSource_ = dataSource; }
    CustomTableViewDelegate* listDelegate() const { return listDelegate_; }
    void setListDelegate(CustomTableViewDelegate* delegate) { listDelegate_ = delegate; }

    // The factory makes a new view of the identifier, as a child of `parent`.
    void registerViewFactory(const QString& identifier, ViewFactory factory);
    // A view of the identifier that no other cell shows: during a reload preferably the one this cell
    // showed before. Null when no factory is registered for the identifier.
    QWidget* makeViewWithIdentifier(const QString& identifier);

    void reloadData();
    int numberOfRows() const { return static_cast<int>(rowTops_.size()); }
    int selectedRow() const { return selectedRow_; }
    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height);
    // In the rows' own coordinates (flipped: row 0 at the top); the null rectangle outside the list.
    QRectF rectOfRow(int row) const;
    int rowAtPoint(const QPointF& point) const;
    // The view shown in a cell, if any.
    QWidget* viewAtColumn(int column, int row) const;
    // The widget the rows and their views live in (scrolled by the table).
    QWidget* documentView() const;
    QAbstractScrollArea* scrollView() const;
    // Room kept above the rows so that a clicked row did not move; it goes when the pointer leaves.
    double topInset() const { return topInset_; }

    int rowNum() const { return rowNum_; }
    void setRowNum(int row) { rowNum_ = row; }
    // Highlights a row and redraws.
    void setSelectNum(int row);

    kit::CustomHeaderView* headerView() const { return header_; }
    void _setupHeaderCell();

    // A row's background, in the rows' coordinates: the highlighted row light, every other row dark.
    static kit::DrawnShape rowBackground(const QRectF& rowRect, bool highlighted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    class Document;
    struct Cell {
        QPointer<QWidget> view;
        int row = -1;
        int column = -1;
    };
    struct PooledView {
        QString identifier;
        QPointer<QWidget> view;
        int row = -1;
        int column = -1;
        bool inUse = false;
    };

    void rebuild();
    void layoutCells();
    // The rows' surface as high as the rows and the room above them, and the scroll range with it.
    void fitDocument();
    void rowPressed(int row, quint64 timestamp);
    void selectRow(int row);
    // Scrolls, or makes room above the rows, so that the row's top lies `top` below the visible top again.
    void keepRowAt(int row, double top);
    void setTopInset(double inset);
    double visibleTop() const;
    int rowOfView(const QObject* object) const;
    bool isSecondClickOnSelection(const QObject* watched, const QMouseEvent* event) const;
    void rightMouseDown(QMouseEvent* event);
    void drawRows(QPainter& painter, const QRect& exposed) const;

    QStringList columns_;
    QStandardItemModel* headerModel_;
    kit::CustomHeaderView* header_;
    QScrollArea* scrollView_;
    Document* document_;
    CustomTableViewDataSource* dataSource_ = nullptr;
    CustomTableViewDelegate* listDelegate_ = nullptr;

    std::map<QString, ViewFactory> factories_;
    std::vector<PooledView> pool_;
    std::vector<Cell> cells_;
    std::vector<double> rowTops_;
    std::vector<double> rowHeights_;
    double rowHeight_ = 17;
    int selectedRow_ = -1;
    int rowNum_ = 0;

    double topInset_ = 0;
    double contentHeight_ = 0;
    int pressedRow_ = -1;  // the row the last press selected, at `pressedAt_` (the event's clock)
    quint64 pressedAt_ = 0;
    bool swallowing_ = false;  // the press of a click that goes nowhere: its release goes nowhere too

    bool reloading_ = false;
    bool reloadAgain_ = false;
    int buildingRow_ = -1;
    int buildingColumn_ = -1;
};
