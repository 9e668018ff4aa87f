#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"
#include "tests/support/kit/VolumeRows.h"

#include "platform/NotificationCenter.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/CustomHeaderCell.h"
#include "ui-kit/tables/CustomHeaderView.h"
#include "ui-kit/tables/CustomTableView.h"
#include "ui-kit/tables/ImageAndTextCell.h"
#include "ui-kit/tables/KVNSTableView.h"
#include "ui-kit/tables/LagImageATextCell.h"
#include "ui-kit/tables/NewOutlineView.h"
#include "ui-kit/tables/RepairDiskTableCellView.h"
#include "ui-kit/tables/TopImageCell.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleHints>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QPixmap square(QColor color, int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(color);
    return pixmap;
}

const QColor kDarkRow(50, 50, 61);

// --- header cells -----------------------------------------------------------------------------------------

TEST(CustomHeaderCell, TitleFontColourAndPlace) {
    CustomHeaderCell cell("Name");
    const CustomHeaderCell::AttributedString title = cell.getStr();
    EXPECT_EQ(title.string, "Name");
    EXPECT_EQ(title.font.pixelSize(), 12);
    EXPECT_EQ(title.color, QColor::fromRgbF(79 / 255.0f, 79 / 255.0f, 98 / 255.0f, 0.8f));
    EXPECT_EQ(cell.attributedStringValue(), title);
    EXPECT_TRUE(cell.ascending());
    EXPECT_EQ(cell.priority(), 1);
    EXPECT_EQ(cell.titleRect({10, 0, 200, 25}), QRectF(13, 8, 200, 25));
    cell.setSortAscending(false, 0);
    EXPECT_EQ(cell.titleRect({10, 0, 200, 25}), QRectF(10, 8, 192, 25));
}

TEST(CustomHeaderCell, TheSortTriangleShowsOnlyAtPriorityZero) {
    const QRectF frame(0, 0, 100, 30);
    using Points = std::array<QPointF, 3>;
    EXPECT_EQ(CustomHeaderCell::sortIndicatorPoints(frame, true), (Points{{{88, 20}, {92, 13}, {96, 20}}}));
    EXPECT_EQ(CustomHeaderCell::sortIndicatorPoints(frame, false), (Points{{{88, 10}, {92, 17}, {96, 10}}}));

    const auto paint = [&](int priority) {
        CustomHeaderCell cell("Size");
        cell.setSortAscending(true, priority);
        QImage image(100, 30, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        cell.drawSortIndicatorWithFrame(painter, frame, true, priority);
        painter.end();
        return image.pixelColor(92, 18);
    };
    EXPECT_EQ(paint(1), QColor(Qt::black)) << "clear at the default priority";
    EXPECT_EQ(paint(0), QColor(Qt::white));
}

// --- cells ------------------------------------------------------------------------------------------------

TEST(ImageAndTextCells, ImageColumnsAndFrames) {
    ImageAndTextCell small;
    LagImageATextCell large;
    const QRectF frame(10, 100, 200, 24);
    EXPECT_EQ(small.imageDrawFrame(frame), QRectF(13, 100 - 17 + 21, 18, 18));
    EXPECT_EQ(small.textFrame(frame), QRectF(31, 100, 179, 24));
    EXPECT_EQ(large.imageDrawFrame(frame), QRectF(10, 100 - 21 + 22, 20, 20));
    EXPECT_EQ(large.textFrame(frame), QRectF(33, 100, 177, 24));

    const QPixmap icon = square(Qt::red, 16);
    EXPECT_EQ(small.imageFrameForCellFrame(frame, icon), QRectF(13, 104, 16, 16));
    EXPECT_EQ(large.imageFrameForCellFrame(frame, icon), QRectF(10, 104, 16, 16));
    EXPECT_EQ(small.imageFrameForCellFrame(frame, QPixmap()), QRectF());
    EXPECT_EQ(small.editFrame(frame, icon), QRectF(29, 100, 181, 24));
    EXPECT_EQ(LagImageATextCell::titleRectForBounds({0, 10, 100, 30}, 14), QRectF(0, 16, 100, 14));
}

TEST(ImageAndTextCells, WidthIsTheInheritedWidthPlusThreeAndTheImage) {
    QStandardItemModel model(1, 1);
    model.setItem(0, 0, new QStandardItem("Macintosh HD"));
    QStyleOptionViewItem option;
    option.font = QFont();
    QStyledItemDelegate plain;
    const int inherited = plain.sizeHint(option, model.index(0, 0)).width();
    ImageAndTextCell cell;
    EXPECT_EQ(cell.sizeHint(option, model.index(0, 0)).width(), inherited + 3) << "no image";
    cell.setImage(square(Qt::red, 18));
    EXPECT_EQ(cell.sizeHint(option, model.index(0, 0)).width(), inherited + 3 + 18);
    model.item(0, 0)->setData(square(Qt::blue, 30), Qt::DecorationRole);
    EXPECT_EQ(cell.sizeHint(option, model.index(0, 0)).width(), inherited + 3 + 30)
        << "the row's own image wins, and is not counted twice";
}

// --- the Disk Tool's kind of table: row views with live buttons ------------------------------------------

struct ShownTable {
    ShownTable() : rows(&table) {
        table.resize(712, 400);
        table.reloadData();
        table.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&table));
    }
    TextImageButton* button(int row, const char* id) const { return rows.button(row, id); }
    CustomTableView table;
    VolumeRows rows;
};

TEST(CustomTableView, RowsHaveTheirHeightsAndOnlyTheSelectedRowShowsButtons) {
    ShownTable shown;
    CustomTableView& table = shown.table;
    ASSERT_EQ(table.numberOfRows(), 3);
    EXPECT_EQ(table.rectOfRow(0), QRectF(0, 0, table.documentView()->width(), 90));
    EXPECT_EQ(table.rectOfRow(1).top(), 90);
    EXPECT_EQ(table.rectOfRow(2).top(), 140);
    EXPECT_EQ(table.viewAtColumn(0, 1)->geometry(), QRect(0, 91, table.documentView()->width(), 48));
    EXPECT_TRUE(shown.button(0, "rename")->isVisible());
    EXPECT_FALSE(shown.button(1, "rename")->isVisible());
    EXPECT_EQ(table.headerView()->height(), CustomTableView::kHeaderHeight);
    EXPECT_EQ(table.headerView()->headerCell(0)->stringValue(), "Volumes");
    EXPECT_EQ(table.rowAtPoint({5, 89}), 0);
    EXPECT_EQ(table.rowAtPoint({5, 91}), 1);
    EXPECT_EQ(table.rowAtPoint({5, 500}), -1);
}

TEST(CustomTableView, AClickOnARowSelectsItAndAReloadKeepsTheRowViews) {
    ShownTable shown;
    CustomTableView& table = shown.table;
    QWidget* first = table.viewAtColumn(0, 0);
    QWidget* second = table.viewAtColumn(0, 1);
    // On the card's label: the label leaves the press to the row.
    QLabel* label = second->findChild<QLabel*>("name");
    QTest::mouseClick(label, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(shown.rows.selectIndex, 1);
    EXPECT_EQ(table.selectedRow(), 1);
    EXPECT_EQ(table.rowNum(), 1);
    EXPECT_EQ(table.viewAtColumn(0, 0), first) << "rows keep their views across reloads";
    EXPECT_EQ(table.viewAtColumn(0, 1), second);
    EXPECT_EQ(shown.rows.made, 3) << "no view made anew";
    EXPECT_EQ(table.rectOfRow(1).height(), 90) << "the selected row is 88 high";
    EXPECT_TRUE(shown.button(1, "rename")->isVisible());
    EXPECT_FALSE(shown.button(0, "rename")->isVisible());
}

TEST(CustomTableView, ButtonsThatReloadTheListFromTheirOwnClickLiveOn) {
    ShownTable shown;
    CustomTableView& table = shown.table;
    QPointer<TextImageButton> rename = shown.button(0, "rename");
    QTest::mouseClick(rename, Qt::LeftButton);
    ASSERT_TRUE(rename);
    EXPECT_TRUE(shown.rows.renaming);
    EXPECT_FALSE(rename->isUsable()) << "switched off while renaming";

    QLineEdit* field = table.viewAtColumn(0, 0)->findChild<QLineEdit*>();
    ASSERT_TRUE(field->isVisible());
    field->selectAll();
    QTest::keyClicks(field, "Data");
    QPointer<TextImageButton> save = shown.button(0, "save");
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_TRUE(save) << "the save button survived the reload it started";
    EXPECT_FALSE(save->isVisible()) << "and hid itself";
    EXPECT_EQ(shown.rows.names.first(), "Data");
    EXPECT_EQ(table.viewAtColumn(0, 0)->findChild<QLabel*>("name")->text(), "Data");

    // The list loses the clicked button's row: its view is hidden and kept for later.
    QTest::mouseClick(shown.button(0, "remove"), Qt::LeftButton);
    QTest::mouseClick(shown.button(0, "remove"), Qt::LeftButton);
    EXPECT_EQ(table.numberOfRows(), 1);
    EXPECT_EQ(shown.rows.names, QStringList{"Backup"});
    QTest::mouseClick(shown.button(0, "remove"), Qt::LeftButton);
    EXPECT_EQ(table.numberOfRows(), 0);
    EXPECT_EQ(table.viewAtColumn(0, 0), nullptr);
    EXPECT_EQ(shown.rows.made, 3);

    shown.rows.names = {"A", "B", "C", "D"};
    table.reloadData();
    EXPECT_EQ(shown.rows.made, 4) << "three views reused, one made";
}

// A press and its release at a point of the widget, at a time of the event clock.
void clickAt(QWidget* widget, QPointF point, quint64 at) {
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, point, widget->mapToGlobal(point), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {});
        event.setTimestamp(at);
        QApplication::sendEvent(widget, &event);
    }
}

// A row clicked below the selected one stays under the pointer while the rows above it shrink: the list
// scrolls back where it can and keeps room above its rows where it cannot, until the pointer leaves it.
TEST(CustomTableView, AClickedRowStaysWhereItWasClicked) {
    const struct {
        int rows;
        int clicked;
        int scrolled;
        double inset;
        int scroll;
    } cases[] = {{3, 2, 0, 40, 0}, {12, 4, 100, 0, 60}, {12, 4, 20, 20, 0}};
    for (const auto& c : cases) {
        ShownTable shown;
        shown.rows.names.clear();
        for (int row = 0; row < c.rows; ++row) {
            shown.rows.names << QStringLiteral("Disk %1").arg(row);
        }
        CustomTableView& table = shown.table;
        table.reloadData();
        QScrollBar* bar = table.scrollView()->verticalScrollBar();
        bar->setValue(c.scrolled);
        ASSERT_EQ(bar->value(), c.scrolled);
        const double top = table.rectOfRow(c.clicked).top() - bar->value();
        QTest::mouseClick(table.documentView(), Qt::LeftButton, {},
                          QPoint(300, static_cast<int>(table.rectOfRow(c.clicked).top()) + 20));
        ASSERT_EQ(shown.rows.selectIndex, c.clicked);
        EXPECT_EQ(table.rectOfRow(c.clicked).top() - bar->value(), top) << c.scrolled;
        EXPECT_EQ(table.topInset(), c.inset) << c.scrolled;
        EXPECT_EQ(bar->value(), c.scroll) << c.scrolled;
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&table, &leave);
        EXPECT_EQ(table.topInset(), 0) << "the room goes with the pointer";
        EXPECT_EQ(table.rectOfRow(0).top(), 0);
    }
}

// The second press of a double click, on a view of the row that the first press selected, goes nowhere;
// a press after the double-click interval is a click of its own.
TEST(CustomTableView, APressOnAJustSelectedRowWithinTheDoubleClickIntervalGoesNowhere) {
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    for (const auto& [after, ejected] : {std::pair{1, false}, {interval - 1, false}, {interval, true}}) {
        ShownTable shown;
        clickAt(shown.table.documentView(), {300, 160}, 5000);
        ASSERT_EQ(shown.rows.selectIndex, 2);
        TextImageButton* eject = shown.button(2, "remove");
        clickAt(eject, eject->rect().center(), 5000 + static_cast<quint64>(after));
        EXPECT_EQ(shown.rows.names.size(), ejected ? 2 : 3) << after;
    }
}

TEST(CustomTableView, TheArrowKeysSelectTheRowAboveOrBelow) {
    ShownTable shown;
    for (const auto& [key, row] : {std::pair{Qt::Key_Down, 1},
                                   {Qt::Key_Down, 2},
                                   {Qt::Key_Down, 2},
                                   {Qt::Key_Up, 1},
                                   {Qt::Key_Up, 0},
                                   {Qt::Key_Up, 0}}) {
        QTest::keyClick(&shown.table, key);
        EXPECT_EQ(shown.rows.selectIndex, row);
    }
    QTest::keyClick(shown.table.documentView(), Qt::Key_Down);
    EXPECT_EQ(shown.rows.selectIndex, 1) << "from inside the rows too";
}

TEST(CustomTableView, AReloadAskedForDuringAReloadRunsAfterIt) {
    struct Reentrant : CustomTableViewDataSource {
        int numberOfRowsInTableView(CustomTableView*) override { return rows; }
        QWidget* viewForTableColumn(CustomTableView* table, const QString&, int) override {
            ++calls;
            if (rows == 2) {
                rows = 3;
                table->reloadData();
            }
            return nullptr;
        }
        int rows = 2;
        int calls = 0;
    } source;
    CustomTableView table;
    table.addTableColumn("Name", "Name");
    table.setDataSource(&source);
    table.reloadData();
    EXPECT_EQ(table.numberOfRows(), 3);
    EXPECT_EQ(source.calls, 2 + 3);
}

// Rows without views show their backgrounds: dark, and the highlighted row light.
TEST(CustomTableView, TheHighlightedRowIsTheOnlyLightOne) {
    struct Plain : CustomTableViewDataSource {
        int numberOfRowsInTableView(CustomTableView*) override { return 3; }
        double heightOfRow(CustomTableView*, int) override { return 48; }
        bool shouldSelectRow(CustomTableView* table, int row) override {
            table->setSelectNum(row);
            return row != 2;
        }
    } source;
    CustomTableView table;
    table.addTableColumn("Name", "Name");
    table.setDataSource(&source);
    table.resize(712, 300);
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    table.reloadData();
    const auto rowColour = [&](int row) {
        return kittest::pixel(kittest::render(table.documentView()), 300,
                              static_cast<int>(table.rectOfRow(row).top()) + 24);
    };
    EXPECT_TRUE(kittest::sameColor(rowColour(0), QColor(255, 255, 255), 3)) << "row 0 starts highlighted";
    EXPECT_TRUE(kittest::sameColor(rowColour(1), kDarkRow, 2));

    QTest::mouseClick(table.documentView(), Qt::LeftButton, {}, {300, 50 + 24});
    EXPECT_EQ(table.selectedRow(), 1);
    EXPECT_TRUE(kittest::sameColor(rowColour(0), kDarkRow, 2));
    EXPECT_TRUE(kittest::sameColor(rowColour(1), QColor(255, 255, 255), 3));

    QTest::mouseClick(table.documentView(), Qt::LeftButton, {}, {300, 100 + 24});
    EXPECT_EQ(table.selectedRow(), 1) << "the data source refused row 2";

    table.setSelectNum(7);
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(kittest::sameColor(rowColour(row), kDarkRow, 2)) << "no row is light: " << row;
    }
    EXPECT_EQ(CustomTableView::rowBackground({0, 50, 712, 50}, true),
              kit::DrawnShape::fill({8, 50, 696, 48}, 8, QColor::fromRgbF(1, 1, 1, 0.1f)));
}

TEST(CustomTableView, ARightClickGoesToTheListDelegateOnly) {
    ShownTable shown;
    QTest::mouseClick(shown.table.documentView(), Qt::RightButton, {}, {300, 110});
    EXPECT_EQ(shown.rows.rightClicks, 1);
    EXPECT_EQ(shown.rows.selectIndex, 0) << "no selection";
}

TEST(RepairDiskTableCellView, AWhiteOrLightBlueCardFromTheBottom) {
    RepairDiskTableCellView card;
    card.resize(712, 48);
    EXPECT_EQ(card.backgroundShapes({712, 48}),
              (QList<kit::DrawnShape>{kit::DrawnShape::fill({8, 0, 696, 88}, 8, Qt::white)}));
    card.setIsSelect(true);
    EXPECT_EQ(card.backgroundShapes({712, 88}).first().color, QColor::fromRgbF(0, 113 / 255.0f, 1, 0.08f));
    const QImage image = kittest::render(&card);
    EXPECT_GT(kittest::pixel(image, 300, 47).alpha(), 0);
    EXPECT_GT(kittest::pixel(image, 8, 0).alpha(), 0) << "a 48-point row shows the card's square-cut top";
    EXPECT_EQ(kittest::pixel(image, 8, 47).alpha(), 0) << "and its rounded bottom corner";
}

// --- the cell-based table ---------------------------------------------------------------------------------

struct ShownKVTable {
    ShownKVTable() {
        model.setHorizontalHeaderLabels({"Name", "Size"});
        for (const char* name : {"Applications", "Library", "Users"}) {
            auto* item = new QStandardItem(name);
            item->setData(square(QColor(65, 98, 255), 20), Qt::DecorationRole);
            model.appendRow({item, new QStandardItem("1 GB")});
        }
        table.setModel(&model);
        table.setItemDelegateForColumn(0, &cell);
        table.resize(400, 200);
        table.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&table));
        observer = platform::NotificationCenter::defaultCenter().addObserver(
            "SpacePreviewFile", [this](const QVariantMap&) { ++previews; });
    }
    QStandardItemModel model;
    LagImageATextCell cell;
    KVNSTableView table;
    int previews = 0;
    platform::NotificationCenter::Token observer;
};

TEST(KVNSTableView, TheSpaceBarPostsAPreviewAndGoesNoFurther) {
    ShownKVTable shown;
    KVNSTableView& table = shown.table;
    EXPECT_EQ(table.customHeaderView()->height(), KVNSTableView::kHeaderHeight);
    EXPECT_EQ(table.customHeaderView()->headerCell(1)->stringValue(), "Size");
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {},
                      table.visualRect(shown.model.index(0, 0)).center());
    ASSERT_EQ(table.currentIndex().row(), 0);
    QTest::keyClick(&table, Qt::Key_Space);
    QTest::keyClick(&table, Qt::Key_Space);
    EXPECT_EQ(shown.previews, 2);
    EXPECT_EQ(table.currentIndex().row(), 0) << "the table did not act on the space bar";
    QTest::keyClick(&table, Qt::Key_Down);
    EXPECT_EQ(table.currentIndex().row(), 1) << "other keys work as in a plain table";
    EXPECT_EQ(shown.previews, 2);
}

TEST(KVNSTableView, OneForceClickPreviewUntilTheMouseComesUpOrASecondPasses) {
    ShownKVTable shown;
    KVNSTableView& table = shown.table;
    table.pressureChangeWithEvent(1);
    EXPECT_EQ(shown.previews, 0) << "stage 1 is no force click";
    table.pressureChangeWithEvent(2);
    table.pressureChangeWithEvent(2);
    EXPECT_EQ(shown.previews, 1);
    EXPECT_TRUE(table.isClicking());
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, {5, 5});
    table.pressureChangeWithEvent(2);
    EXPECT_EQ(shown.previews, 2) << "a mouse-up re-arms it";
    EXPECT_TRUE(testsupport::waitUntil([&] { return !table.isClicking(); }, 3000))
        << "re-armed after a second";
    table.pressureChangeWithEvent(2);
    EXPECT_EQ(shown.previews, 3);
}

TEST(KVNSTableView, ThePlaceholderIsBuiltOnceAndRemovedOnce) {
    ShownKVTable shown;
    KVNSTableView& table = shown.table;
    table.changeNoValue(true);
    EXPECT_EQ(table.noValueView(), nullptr) << "nothing to remove";
    table.changeNoValue(false);
    QWidget* placeholder = table.noValueView();
    ASSERT_TRUE(placeholder);
    table.changeNoValue(false);
    EXPECT_EQ(table.noValueView(), placeholder);
    EXPECT_EQ(table.viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).count(placeholder), 1);
    EXPECT_EQ(placeholder->geometry(), table.viewport()->rect());
    const QSize size = table.viewport()->size();
    EXPECT_EQ(table.nodeView()->geometry(),
              QRect(size.width() / 2 - 200, size.height() - size.height() / 2 - 50, 400, 50))
        << "its bottom edge on the middle line";
    EXPECT_EQ(table.nodeView()->findChild<QLabel*>("arrow")->geometry(), QRect(0, 11, 82, 39));
    EXPECT_EQ(table.nodeView()->findChild<QLabel*>("label")->geometry(), QRect(82, 25, 420, 25));

    table.resize(500, 260);
    QCoreApplication::processEvents();
    EXPECT_EQ(placeholder->geometry(), table.viewport()->rect()) << "follows the table";
    table.changeFrame();
    EXPECT_EQ(table.nodeView()->geometry().bottomLeft() + QPoint(0, 1),
              QPoint(table.viewport()->width() / 2 - 200,
                     table.viewport()->height() - table.viewport()->height() / 2));
    QPointer<QWidget> watch = placeholder;
    table.changeNoValue(true);
    EXPECT_FALSE(watch);
    EXPECT_EQ(table.nodeView(), nullptr);
}

TEST(KVNSTableView, LongerLanguagesGetATallerLabel) {
    const QLocale saved;
    for (const auto& [name, height] : std::vector<std::pair<const char*, float>>{{"de_DE", 40},
                                                                                 {"fr_FR", 40},
                                                                                 {"es_ES", 40},
                                                                                 {"it_IT", 40},
                                                                                 {"pt_BR", 40},
                                                                                 {"pt_PT", 25},
                                                                                 {"en_US", 25},
                                                                                 {"ja_JP", 25}}) {
        QLocale::setDefault(QLocale(name));
        EXPECT_EQ(KVNSTableView::getLableHight(), height) << name;
    }
    QLocale::setDefault(saved);
}

// --- the outline ------------------------------------------------------------------------------------------

struct ShownOutline : NewOutlineViewDelegate {
    ShownOutline() {
        model.setHorizontalHeaderLabels({"Name", "Size"});
        auto* folder = new QStandardItem("Users");
        folder->setData(square(QColor(255, 196, 0), 18), Qt::DecorationRole);
        folder->appendRow({new QStandardItem("alice"), new QStandardItem("2 GB")});
        folder->appendRow({new QStandardItem("bob"), new QStandardItem("3 GB")});
        model.appendRow({folder, new QStandardItem("5 GB")});
        model.appendRow({new QStandardItem("Applications"), new QStandardItem("9 GB")});
        outline.setModel(&model);
        outline.setItemDelegateForColumn(0, &cell);
        outline.setADelegate(this);
        outline.expandAll();
        outline.resize(720, 260);
        outline.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&outline));
        // The file list's owner: a click highlights the item's row and redraws.
        QObject::connect(&outline, &QAbstractItemView::clicked, &outline, [this](const QModelIndex& index) {
            outline.setRowNum(outline.rowForItem(index));
            outline.viewport()->update();
        });
    }
    void listRightMouseDown(QMouseEvent*) override { ++rightClicks; }
    QColor rowColour(int row) {
        const QRect rect = outline.visualRect(outline.itemAtRow(row));
        return kittest::pixel(outline.viewport()->grab().toImage(), 650, rect.center().y());
    }

    QStandardItemModel model;
    ImageAndTextCell cell;
    NewOutlineView outline;
    int rightClicks = 0;
};

TEST(NewOutlineView, RowsCountAsShownAndAClickMovesTheLightRow) {
    ShownOutline shown;
    NewOutlineView& outline = shown.outline;
    EXPECT_EQ(outline.customHeaderView()->height(), NewOutlineView::kHeaderHeight);
    EXPECT_EQ(outline.customHeaderView()->headerCell(0)->stringValue(), "Name");
    const QModelIndex bob = shown.model.item(0)->child(1)->index();
    EXPECT_EQ(outline.rowForItem(bob), 2);
    EXPECT_EQ(outline.rowForItem(bob.siblingAtColumn(1)), 2);
    EXPECT_EQ(outline.itemAtRow(3), shown.model.item(1)->index());
    EXPECT_EQ(outline.itemAtRow(9), QModelIndex());

    EXPECT_TRUE(kittest::sameColor(shown.rowColour(0), QColor(237, 243, 253), 2))
        << "row 0 starts highlighted";
    QTest::mouseClick(outline.viewport(), Qt::LeftButton, {}, outline.visualRect(bob).center());
    EXPECT_EQ(outline.rowNum(), 2);
    EXPECT_TRUE(outline.selectionModel()->isSelected(bob));
    EXPECT_TRUE(kittest::sameColor(shown.rowColour(2), QColor(237, 243, 253), 2));
    EXPECT_TRUE(kittest::sameColor(shown.rowColour(0), Qt::white, 2)) << "the platform draws no selection";
    EXPECT_TRUE(kittest::sameColor(shown.rowColour(1), Qt::white, 2));
    outline.setFocus();
    const QRect cell = outline.visualRect(bob);
    EXPECT_TRUE(kittest::sameColor(
        kittest::pixel(outline.viewport()->grab().toImage(), cell.right() - 4, cell.center().y()),
        QColor(237, 243, 253), 2))
        << "no focus frame around the current cell";

    outline.collapse(shown.model.item(0)->index());
    EXPECT_EQ(outline.rowForItem(bob), -1) << "inside a collapsed folder";
    EXPECT_EQ(outline.rowForItem(shown.model.item(1)->index()), 1);

    outline.setRowNum(-1);
    outline.viewport()->update();
    EXPECT_TRUE(kittest::sameColor(shown.rowColour(1), Qt::white, 2));
    EXPECT_EQ(NewOutlineView::rowBackground({-5, 40, 900, 24}, false),
              kit::DrawnShape::fill({-5, 40, 692, 24}, 4, Qt::white));
}

TEST(NewOutlineView, TheIconIsDrawnBeforeTheText) {
    ShownOutline shown;
    const QRect rect = shown.outline.visualRect(shown.model.item(0)->index());
    const QImage image = shown.outline.viewport()->grab().toImage();
    const QRectF icon = shown.cell.imageDrawFrame(rect);
    EXPECT_TRUE(kittest::sameColor(
        kittest::pixel(image, static_cast<int>(icon.center().x()), static_cast<int>(icon.center().y())),
        QColor(255, 196, 0), 2));
}

TEST(NewOutlineView, ARightClickIsReportedOnRelease) {
    ShownOutline shown;
    QTest::mouseClick(shown.outline.viewport(), Qt::RightButton, {}, {50, 10});
    EXPECT_EQ(shown.rightClicks, 1);
    EXPECT_FALSE(shown.outline.selectionModel()->hasSelection()) << "a right press selects nothing";
}

// A drag that starts on an image cell moves the window; one that starts on another cell selects its row.
TEST(TopImageCell, ADragOnItMovesTheWindow) {
    QStandardItemModel model(2, 2);
    model.setData(model.index(1, 0), QIcon(square(Qt::red, 16)), Qt::DecorationRole);
    QTableView table;
    table.setModel(&model);
    table.setItemDelegateForColumn(0, new TopImageCell(table));  // owned by the table
    table.setGeometry(100, 100, 300, 200);
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    const QPoint cell = table.visualRect(model.index(1, 0)).center();
    EXPECT_EQ(kittest::pixel(table.viewport()->grab().toImage(), cell.x(), cell.y()), QColor(Qt::red));
    for (const int column : {0, 1}) {
        const QPoint start = table.pos();
        const QPointF local = table.visualRect(model.index(1, column)).center();
        const QPointF global = table.viewport()->mapToGlobal(local);
        for (const auto& [type, at] : {std::pair(QEvent::MouseButtonPress, global),
                                       std::pair(QEvent::MouseMove, global + QPointF(30, 15)),
                                       std::pair(QEvent::MouseButtonRelease, global + QPointF(30, 15))}) {
            QMouseEvent event(type, local, at, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
            QCoreApplication::sendEvent(table.viewport(), &event);
        }
        EXPECT_EQ(table.pos(), column == 0 ? start + QPoint(30, 15) : start) << column;
        EXPECT_EQ(table.selectionModel()->isSelected(model.index(1, column)), column == 1) << column;
    }
}

}  // namespace
