#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"
#include "tests/support/kit/VolumeRows.h"

#include "ui-kit/Labels.h"
#include "ui-kit/backgrounds/BGMView.h"
#include "ui-kit/backgrounds/SortSelectBgView.h"
#include "ui-kit/backgrounds/WbgView.h"
#include "ui-kit/controls/SizeView.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/ImageAndTextCell.h"
#include "ui-kit/tables/KVNSTableView.h"
#include "ui-kit/tables/LagImageATextCell.h"
#include "ui-kit/tables/NewOutlineView.h"
#include "ui-kit/windows/PAAttachedWindow.h"
#include "ui-kit/windows/RPAAttachedWindow.h"
#include "ui-kit/windows/StatusAttachedWindow.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

namespace {

const QString kFolder = QStringLiteral("ui-kit2");

class Shots {
public:
    void take(const QString& name, const QImage& image) { kittest::saveScreenshot(image, name, kFolder); }
    void take(const QString& name, QWidget* widget) { take(name, widget->grab().toImage()); }
    // A translucent window drawn on a ground colour, with room around it.
    void takeWindow(const QString& name, QWidget* window, QColor ground) {
        QImage image(window->size() + QSize(40, 40), QImage::Format_ARGB32_Premultiplied);
        image.fill(ground);
        QPainter painter(&image);
        painter.drawImage(QPoint(20, 20), window->grab().toImage());
        painter.end();
        take(name, image);
    }
};

QLabel* label(QWidget* parent, const QString& text, QRect frame, int pixelSize = 13) {
    auto* result = new QLabel(text, parent);
    result->setGeometry(frame);
    result->setFont(kit::systemFont(pixelSize));
    return result;
}

// The chooser a screen shows in its attached window: two rows, the first under the pointer.
std::unique_ptr<QWidget> chooserView() {
    auto view = std::make_unique<QWidget>();
    view->resize(160, 64);
    int y = 2;
    for (const char* title : {"Copy All Files", "Copy Selected Files"}) {
        auto* row = new SortSelectBgView(view.get());
        row->setGeometry(0, y, 160, 30);
        QLabel* text = label(row, title, {12, 6, 140, 18});
        text->setAttribute(Qt::WA_TransparentForMouseEvents);
        y += 30;
    }
    return view;
}

// The First Aid confirmation a dialog window shows.
std::unique_ptr<QWidget> dialogView() {
    auto view = std::make_unique<QWidget>();
    view->resize(420, 150);
    label(view.get(), "Run First Aid on 'USB'?", {24, 24, 372, 24}, 16);
    auto* cancel = new TextImageButton(view.get());
    cancel->setGeometry(140, 96, 120, 36);
    cancel->setImageFromFileNormalName("btn_sec", "btn_sec_press", "btn_sec_hover", "btn_sec_disable");
    cancel->setTextWithName("Cancel");
    auto* run = new TextImageButton(view.get());
    run->setGeometry(276, 96, 120, 36);
    run->setImageFromFileNormalName("btn_pri", "btn_pri_press", "btn_pri_hover", "btn_pri_disable");
    run->setTextWithName("Run");
    return view;
}

// Every side of a window with a 15 x 10 arrow, each around its anchor (the red dot) in a cell of its own.
QImage everySide() {
    constexpr int kCellWidth = 250;
    constexpr int kCellHeight = 150;
    QImage sheet(4 * kCellWidth, 3 * kCellHeight, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xF2, 0xF7, 0xFF));
    QPainter painter(&sheet);
    const QPointF anchor(400, 300);
    for (int side = 0; side < 12; ++side) {
        auto view = std::make_unique<QWidget>();
        view->resize(96, 40);
        label(view.get(), QStringLiteral("side %1").arg(side), {10, 10, 80, 20});
        auto window = RPAAttachedWindow::initWithView(view.get(), anchor, nullptr,
                                                      static_cast<AttachedWindowSide>(side), 4, 0);
        window->setArrowHeight(10);
        window->setArrowBaseWidth(15);
        const QRectF frame = window->cocoaFrame();
        const QPoint cell((side % 4) * kCellWidth + kCellWidth / 2,
                          (side / 4) * kCellHeight + kCellHeight / 2);
        const QPoint topLeft(cell.x() + qRound(frame.x() - anchor.x()),
                             cell.y() - qRound(frame.y() + frame.height() - anchor.y()));
        painter.drawImage(topLeft, window->grab().toImage());
        painter.setBrush(Qt::red);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(cell), 2.5, 2.5);
    }
    painter.end();
    return sheet;
}

void attachedWindows(Shots& shots) {
    shots.take("AttachedWindow-every-side", everySide());

    auto chooser = chooserView();
    auto rpa =
        RPAAttachedWindow::initWithView(chooser.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0, 0.8f);
    rpa->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(rpa.get()));
    kittest::hover(chooser->childAt(80, 10), true);  // the first row (its title lets the pointer through)
    shots.takeWindow("RPAAttachedWindow-chooser", rpa.get(), QColor(0xF2, 0xF7, 0xFF));

    auto dialog = dialogView();
    auto status =
        StatusAttachedWindow::initWithView(dialog.get(), {300, 200}, nullptr, AttachedWindowSideAbove, 0);
    shots.takeWindow("StatusAttachedWindow-dialog", status.get(), QColor(0x88, 0x8C, 0x99));

    auto plain = std::make_unique<QWidget>();
    plain->resize(190, 50);
    label(plain.get(), "A plain attached window", {10, 14, 175, 20});
    auto pa = PAAttachedWindow::initWithView(plain.get(), {300, 200}, AttachedWindowSideBelow);
    shots.takeWindow("PAAttachedWindow", pa.get(), QColor(0x88, 0x8C, 0x99));
}

void diskToolTable(Shots& shots) {
    CustomTableView table;
    VolumeRows rows(&table);
    rows.names = {"Macintosh HD", "USB", "Backup", "Photos"};
    table.resize(712, 330);
    table.reloadData();
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    QTest::mouseClick(table.documentView(), Qt::LeftButton, {}, table.rectOfRow(1).center().toPoint());
    shots.take("CustomTableView-disk-tool", &table);
    QTest::mouseClick(rows.button(1, "rename"), Qt::LeftButton);
    shots.take("CustomTableView-renaming", &table);
}

QStandardItem* named(const QString& name, QColor icon) {
    auto* item = new QStandardItem(name);
    QPixmap pixmap(20, 20);
    pixmap.fill(icon);
    item->setData(pixmap, Qt::DecorationRole);
    return item;
}

void cellTables(Shots& shots) {
    {
        QStandardItemModel model;
        model.setHorizontalHeaderLabels({"Name", "Size"});
        for (const char* name : {"Applications", "Library", "System", "Users"}) {
            model.appendRow({named(name, QColor(65, 98, 255)), new QStandardItem("1.2 GB")});
        }
        LagImageATextCell cell;
        KVNSTableView table;
        table.setModel(&model);
        table.setItemDelegateForColumn(0, &cell);
        table.setColumnWidth(0, 260);
        table.verticalHeader()->setDefaultSectionSize(26);
        table.resize(420, 160);
        table.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(model.index(1, 0)).center());
        shots.take("KVNSTableView", &table);

        QStandardItemModel empty;
        empty.setHorizontalHeaderLabels({"Name", "Size"});
        table.setModel(&empty);
        table.changeNoValue(false);
        table.nodeView()->findChild<QLabel*>("label")->setText("Drop files here");
        shots.take("KVNSTableView-placeholder", &table);
    }
    {
        QStandardItemModel model;
        model.setHorizontalHeaderLabels({"Name", "Size"});
        QStandardItem* users = named("Users", QColor(255, 196, 0));
        users->appendRow({named("alice", QColor(255, 196, 0)), new QStandardItem("2 GB")});
        users->appendRow({named("notes.txt", QColor(160, 160, 170)), new QStandardItem("4 KB")});
        model.appendRow({users, new QStandardItem("2 GB")});
        model.appendRow({named("Applications", QColor(255, 196, 0)), new QStandardItem("9 GB")});
        ImageAndTextCell cell;
        NewOutlineView outline;
        outline.setModel(&model);
        outline.setItemDelegateForColumn(0, &cell);
        outline.expandAll();
        outline.setColumnWidth(0, 300);
        outline.resize(700, 170);
        outline.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&outline));
        const QModelIndex alice = users->child(0)->index();
        QTest::mouseClick(outline.viewport(), Qt::LeftButton, {}, outline.visualRect(alice).center());
        outline.setRowNum(outline.rowForItem(alice));
        outline.viewport()->update();
        shots.take("NewOutlineView", &outline);
    }
}

void panels(Shots& shots) {
    QWidget ground;
    ground.resize(520, 120);
    ground.setAutoFillBackground(true);
    QPalette palette = ground.palette();
    palette.setColor(QPalette::Window, QColor(0x88, 0x8C, 0x99));
    ground.setPalette(palette);
    auto* white = new WbgView(&ground);
    white->setGeometry(10, 10, 160, 100);
    auto* grey = new BGMView(&ground);
    grey->setGeometry(180, 10, 160, 100);
    auto* bar = new SizeView(&ground);
    bar->setGeometry(350, 50, 160, 20);
    ground.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ground));
    bar->setSizeFloat(40);
    bar->update();
    shots.take("WbgView-BGMView-SizeView", &ground);
}

TEST(Screenshots, AttachedWindowsTablesAndTheKitsContactSheet) {
    Shots shots;
    attachedWindows(shots);
    diskToolTable(shots);
    cellTables(shots);
    panels(shots);

    // The whole kit on one sheet: the other kit suite's screenshots and these.
    const QString screenshots = testsupport::buildDir() + "/screenshots/";
    kittest::ContactSheet sheet;
    sheet.addScreenshotsIn(screenshots + "ui-kit", {"contact-sheet"});
    sheet.addScreenshotsIn(screenshots + kFolder);
    const QString path = kittest::saveScreenshot(sheet.compose(), "contact-sheet");
    EXPECT_GT(QFileInfo(path).size(), 0);
    EXPECT_TRUE(QFileInfo(screenshots + kFolder + "/CustomTableView-disk-tool.png").exists());
    std::cout << "contact sheet: " << path.toStdString() << "\n";
}

}  // namespace
