#include "app/sources/CommOutlineView.h"
#include "app/sources/DiskListWC.h"
#include "app/sources/FileOutlineModel.h"
#include "app/sources/ListFileViewController.h"
#include "platform/Dispatch.h"
#include "tests/app/sources/SourcesTestSupport.h"
#include "tests/support/SimMac.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/TCImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/NewOutlineView.h"
#include "ui-kit/tables/TROverlayScroller.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using sources::FileColumn;
using sourcestest::Screen;
using sourcestest::waitFor;

const QString kTree = QStringLiteral("/Volumes/USB/tree");

// A small tree on the simulated Mac's USB volume; files of the same size and a bundle among them.
class FileListTest : public testing::Test {
protected:
    void SetUp() override {
        sim.attach(QStringLiteral("usb-exfat"));
        write("b.bin", 300);
        write("x.txt", 100);
        write("a.txt", 100);
        write("Folder/c.txt", 1000);
        write("Folder/d.txt", 5000);
        write("More/e.txt", 10);
        write("Tool.app/Contents/Info.plist", 40);
        ASSERT_TRUE(QDir().mkpath(sim.host(kTree + QStringLiteral("/Empty"))));
    }

    void write(const QString& name, int size) {
        const QString path = sim.host(kTree + u'/' + name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
    }
    qint64 bytes(const QString& name) const { return QFileInfo(sim.host(kTree + u'/' + name)).size(); }

    // Opens a list window on the screen and scans `path` into it, waiting for the scan's end.
    ListFileViewController* open(const QString& path) {
        wc = std::make_unique<DiskListWC>();
        wc->setDelegate(&screen);
        wc->window()->show();
        wc->showDetailWithPath(path);
        EXPECT_TRUE(list()->isScan());
        EXPECT_TRUE(waitFor([this] { return !list()->isScan(); }));
        QCoreApplication::processEvents();  // what the list queued for later
        return list();
    }
    ListFileViewController* list() { return wc->listFileVC(); }

    FileNode* node(const QString& name) const {
        for (const auto& root : *wc->listFileVC()->rootNodeArr()) {
            if (root->name() == name) {
                return root.get();
            }
            for (const auto& child : root->children()) {
                if (child->name() == name) {
                    return child.get();
                }
            }
        }
        return nullptr;
    }
    QStringList rootNames() const {
        QStringList names;
        for (const auto& root : *wc->listFileVC()->rootNodeArr()) {
            names << root->name();
        }
        return names;
    }
    // A real click into a row's check box, then the outline's reload.
    void clickCheckBox(const QString& name) {
        ASSERT_TRUE(node(name)) << name.toStdString();
        QTest::mouseClick(list()->outlineView()->viewport(), Qt::LeftButton, {}, checkBoxPoint(node(name)));
        QCoreApplication::processEvents();
    }
    // Where the user sees a row's check box, and its disclosure triangle (left of the tree column's text).
    QPoint checkBoxPoint(FileNode* row) {
        const QModelIndex index = list()->model()->indexForNode(row);
        return list()->outlineView()->visualRect(index.siblingAtColumn(0)).center();
    }
    QPoint trianglePoint(FileNode* row) {
        NewOutlineView* outline = list()->outlineView();
        const int tree = outline->treePosition() < 0 ? 0 : outline->treePosition();
        const QRect text = outline->visualRect(list()->model()->indexForNode(row).siblingAtColumn(tree));
        return {text.left() - outline->indentation() / 2, text.center().y()};
    }
    QString states(const QStringList& names) const {
        QString text;
        for (const QString& name : names) {
            text += QString::number(node(name)->state());
        }
        return text;
    }
    bool done() {
        return waitFor([this] { return screen.calls.contains(QStringLiteral("done")); });
    }

    testsupport::SimMac sim;
    Screen screen;
    std::unique_ptr<DiskListWC> wc;
};

TEST_F(FileListTest, ClicksPropagateChecksAndDoneTotalsTheChosenFiles) {
    ListFileViewController* files = open(kTree);
    EXPECT_EQ(rootNames(), QStringList({"b.bin", "a.txt", "x.txt", "Empty", "Folder", "More", "Tool.app"}));
    EXPECT_FALSE(list()->model()->hasChildren(list()->model()->indexForNode(node("Tool.app"))));
    EXPECT_TRUE(files->refeshButton()->isUsable());
    files->outlineView()->expand(files->model()->indexForNode(node("Folder")));
    QCoreApplication::processEvents();

    const QStringList shown{"b.bin", "a.txt", "x.txt", "Folder", "c.txt", "d.txt"};
    const struct {
        const char* click;  // a row, or the header's select-all box
        const char* states;
        const char* selectAll;
    } steps[] = {
        {"c.txt", "111201", "checkbox_halfsel"},    {"Folder", "111111", "checkbox_sel"},
        {"select all", "000000", "checkbox_unsel"}, {"a.txt", "010000", "checkbox_halfsel"},
        {"Folder", "010111", "checkbox_halfsel"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.click);
        if (QLatin1String(step.click) == QLatin1String("select all")) {
            QTest::mouseClick(files->selectAllButton(), Qt::LeftButton);
            QCoreApplication::processEvents();
        } else {
            clickCheckBox(QLatin1String(step.click));
        }
        EXPECT_EQ(states(shown), QLatin1String(step.states));
        EXPECT_EQ(files->selectAllButton()->imageName(), QLatin1String(step.selectAll));
        EXPECT_EQ(files->model()->data(files->model()->indexForNode(node("Folder")).siblingAtColumn(0),
                                       sources::FileOutlineModel::kImageRole),
                  ListFileViewController::checkBoxImage(node("Folder")));
    }
    // A folder never opened changes alone; its children take its state when it opens.
    clickCheckBox(QStringLiteral("More"));
    files->outlineView()->expand(files->model()->indexForNode(node("More")));
    QCoreApplication::processEvents();
    EXPECT_EQ(states({"More", "e.txt"}), QStringLiteral("11"));
    sourcestest::screenshot(wc->window(), QStringLiteral("file-list"));

    QTest::mouseClick(files->doneButton(), Qt::LeftButton);
    // While the total runs (its report waits for this thread), check clicks do nothing.
    files->setObjectValue(FileColumn::CheckBox, node(QStringLiteral("b.bin")));
    files->setAllSelectOrNoSelect();
    EXPECT_EQ(states(shown), QStringLiteral("010111"));
    ASSERT_TRUE(done());
    EXPECT_TRUE(screen.doneOnMainThread);
    EXPECT_EQ(screen.chosenTotal,
              bytes("a.txt") + bytes("Folder/c.txt") + bytes("Folder/d.txt") + bytes("More/e.txt"));
    EXPECT_EQ(screen.chosenRoots, files->rootNodeArr());
    EXPECT_TRUE(waitFor([this] { return !wc->window()->isVisible(); }));
}

TEST_F(FileListTest, ClosingWithoutDoneLeavesTheScreensChoice) {
    open(kTree);
    clickCheckBox(QStringLiteral("b.bin"));
    QTest::mouseClick(list()->doneButton(), Qt::LeftButton);
    ASSERT_TRUE(done());
    const SharedFileNodeList chosen = screen.chosenRoots;
    const qint64 total = screen.chosenTotal;
    screen.calls.clear();

    // Reopened on the earlier choice: the list shows a copy of it.
    wc = std::make_unique<DiskListWC>();
    wc->setDelegate(&screen);
    wc->window()->show();
    list()->setArrForListWithArr(chosen, kTree);
    QCoreApplication::processEvents();
    EXPECT_NE(list()->rootNodeArr(), chosen);
    EXPECT_EQ(states({"b.bin", "a.txt"}), QStringLiteral("01"));
    clickCheckBox(QStringLiteral("b.bin"));
    clickCheckBox(QStringLiteral("a.txt"));
    EXPECT_EQ(states({"b.bin", "a.txt"}), QStringLiteral("10"));
    QTest::mouseClick(list()->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(wc->window()->isVisible());
    EXPECT_TRUE(screen.calls.isEmpty());
    EXPECT_EQ(chosen->at(0)->name(), QStringLiteral("b.bin"));
    EXPECT_EQ(chosen->at(0)->state(), 0);
    EXPECT_EQ(chosen->at(1)->state(), 1);
    EXPECT_EQ(screen.chosenTotal, total);
    list()->refreshButtonAction();  // a fresh scan of the stored path checks everything again
    ASSERT_TRUE(waitFor([this] { return !list()->isScan(); }));
    EXPECT_EQ(states({"b.bin", "a.txt"}), QStringLiteral("11"));
}

TEST_F(FileListTest, EveryRootLeavesTheScanningState) {
    const struct {
        const char* what;
        QString path;
        QStringList roots;
        qint64 total;
    } rows[] = {
        {"an empty folder", kTree + QStringLiteral("/Empty"), {}, 0},
        {"a file", kTree + QStringLiteral("/a.txt"), {"a.txt"}, 100},
        {"a missing folder", QStringLiteral("/Volumes/Nothing"), {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        screen.calls.clear();
        ListFileViewController* files = open(row.path);
        EXPECT_EQ(rootNames(), row.roots);
        EXPECT_TRUE(files->refeshButton()->isUsable());
        QTest::mouseClick(files->doneButton(), Qt::LeftButton);
        ASSERT_TRUE(done());
        EXPECT_EQ(screen.chosenTotal, row.total);
    }
}

TEST_F(FileListTest, AVolumeUnpluggedDuringTheScanStillEndsIt) {
    const QString disk = sim.attach(QStringLiteral("usb-exfat"), {"--name", "Gone"});
    wc = std::make_unique<DiskListWC>();
    wc->setDelegate(&screen);
    wc->window()->show();
    wc->showDetailWithPath(QStringLiteral("/Volumes/Gone"));
    sim.detach(disk);
    ASSERT_TRUE(waitFor([this] { return !list()->isScan(); }));
    QTest::mouseClick(list()->doneButton(), Qt::LeftButton);
    ASSERT_TRUE(done());
    EXPECT_GE(screen.chosenTotal, 0);
}

TEST_F(FileListTest, DoneDuringTheScanWaitsForItsEnd) {
    wc = std::make_unique<DiskListWC>();
    wc->setDelegate(&screen);
    wc->window()->show();
    wc->showDetailWithPath(kTree);
    ASSERT_TRUE(list()->isScan());
    list()->setAllSelectOrNoSelect();  // inert while scanning
    EXPECT_EQ(list()->selectAllButSt(), 1);
    QTest::mouseClick(list()->doneButton(), Qt::LeftButton);
    EXPECT_TRUE(list()->waitView()->isVisible());
    EXPECT_TRUE(wc->isGetSelectSize());
    wc->closeWindow();  // refused while the total is pending
    EXPECT_TRUE(wc->window()->isVisible());
    ASSERT_TRUE(done());
    EXPECT_FALSE(list()->isScan());
    EXPECT_EQ(screen.chosenTotal, bytes("b.bin") + bytes("a.txt") + bytes("x.txt") + bytes("Folder/c.txt") +
                                      bytes("Folder/d.txt") + bytes("More/e.txt") +
                                      bytes("Tool.app/Contents/Info.plist"));
}

// Every level of a deep tree opens by its triangle, checks by its box where it is drawn, and shows its name.
TEST_F(FileListTest, EveryLevelOpensAndChecksWhereItIsDrawn) {
    write("Deep/L1/L2/L3/L4/L5/leaf.txt", 10);
    NewOutlineView* outline = open(kTree + QStringLiteral("/Deep"))->outlineView();
    EXPECT_TRUE(qobject_cast<TROverlayScroller*>(outline->verticalScrollBar()));
    for (FileNode* folder = list()->rootNodeArr()->front().get(); folder->isDirectory();
         folder = folder->children().front().get()) {
        SCOPED_TRACE(folder->name().toStdString());
        const qint64 before = folder->state();
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, checkBoxPoint(folder));
        EXPECT_EQ(folder->state(), before == 1 ? 0 : 1);
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, trianglePoint(folder));
        ASSERT_EQ(folder->children().size(), 1U) << "opened";
        const QModelIndex child = list()->model()->indexForNode(folder->children().front().get());
        EXPECT_GE(outline->visualRect(child.siblingAtColumn(int(FileColumn::Name))).width(), 160);
    }
    sourcestest::screenshot(wc->window(), QStringLiteral("file-list-deep"));
}

// No row is lit when the outline takes the focus with its rows there; a click or the arrow keys light one.
TEST_F(FileListTest, NoRowIsHighlightedUntilTheUserChoosesOne) {
    NewOutlineView* outline = open(kTree)->outlineView();
    wc->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wc->window()));
    outline->clearFocus();
    outline->setFocus();
    // A key, or a click on row 3 (Qt::Key_unknown), and the row lit after it; first the focus alone.
    const std::pair<Qt::Key, qint64> steps[] = {{Qt::Key_Shift, -1}, {Qt::Key_Down, 0},    {Qt::Key_Down, 1},
                                                {Qt::Key_Up, 0},     {Qt::Key_unknown, 3}, {Qt::Key_Down, 4}};
    for (const auto& [key, row] : steps) {
        if (key == Qt::Key_unknown) {
            QTest::mouseClick(outline->viewport(), Qt::LeftButton, {},
                              outline->visualRect(outline->itemAtRow(row).siblingAtColumn(2)).center());
        } else {
            QTest::keyClick(outline, key);
        }
        EXPECT_EQ(list()->selectedRow(), row) << key;
        EXPECT_EQ(outline->rowNum(), row) << key;
    }
}

// A click repaints the rows whose check box it changed (an opened folder announces its children): no reset.
TEST_F(FileListTest, AClickTouchesOnlyTheRowsItChanged) {
    ListFileViewController* files = open(kTree);
    files->outlineView()->expand(files->model()->indexForNode(node("Folder")));
    QSignalSpy resets(files->model(), &QAbstractItemModel::modelReset);
    QSignalSpy rows(files->model(), &QAbstractItemModel::dataChanged);
    QObject::connect(
        files->model(), &QAbstractItemModel::rowsInserted,
        [&](const QModelIndex& parent, int first, int last) {
            rows.append({files->model()->index(first, 0, parent), files->model()->index(last, 0, parent)});
        });
    const std::pair<const char*, int> steps[] = {
        {"a.txt", 1}, {"c.txt", 2}, {"Folder", 3}, {"select all", 9}, {"More", 1}};
    for (const auto& [click, touched] : steps) {
        rows.clear();
        if (QLatin1String(click) == QLatin1String("select all")) {
            files->setAllSelectOrNoSelect();
        } else if (QLatin1String(click) == QLatin1String("More")) {
            files->outlineView()->expand(files->model()->indexForNode(node("More")));
        } else {
            files->setObjectValue(FileColumn::CheckBox, node(QLatin1String(click)));
        }
        QCoreApplication::processEvents();  // what the list queued for later
        int count = 0;
        for (const QList<QVariant>& range : rows) {
            count += range.at(1).toModelIndex().row() - range.at(0).toModelIndex().row() + 1;
        }
        EXPECT_EQ(count, touched) << click;
        EXPECT_EQ(resets.count(), 0) << click;
    }
}

TEST_F(FileListTest, AListDestroyedWhileItWorksIsLeftAlone) {
    wc = std::make_unique<DiskListWC>();
    wc->setDelegate(&screen);
    wc->showDetailWithPath(QStringLiteral("/"));
    wc.reset();  // while scanning
    open(kTree);
    QTest::mouseClick(list()->doneButton(), Qt::LeftButton);
    wc.reset();  // while totalling
    EXPECT_TRUE(waitFor([] {
        return platform::waitForGlobalQueue(std::chrono::milliseconds::zero());
    }));                                   // serving workers that report
    QCoreApplication::sendPostedEvents();  // what they queued
    EXPECT_TRUE(screen.calls.isEmpty());
}

// The flat list: a row per element, nothing to open; only the arrow keys or the mouse select, and a
// selection stops the pending refresh.
TEST(CommOutlineView, ShowsItsRowsAndSelectsOnlyByArrowsOrMouse) {
    kittest::Shown<CommOutlineView> shown(QSize(300, 200));
    CommOutlineView& list = *shown.view;
    const QVariant pair = QVariantList{1, 2};
    list.loadDataFormDetail({QStringLiteral("a"), pair, 3}, 7);
    EXPECT_EQ(list.dataType(), 7);
    EXPECT_EQ(list.model()->rowCount(), 3);
    EXPECT_EQ(list.numberOfChildrenOfItem(&pair), 2);
    EXPECT_FALSE(list.child(3, nullptr).isValid()) << "past the end";
    QTimer refresh;
    refresh.start(1h);
    list.setRefreshTimer(&refresh);
    list.setFocus();
    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_unknown, 1}, {Qt::Key_Down, 2}, {Qt::Key_Home, 2}, {Qt::Key_Up, 1}, {Qt::Key_A, 1}};
    for (const auto& [key, row] : steps) {  // a key, or a click on row 1, and the row selected after it
        if (key == Qt::Key_unknown) {
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                              list.visualRect(list.model()->index(1, 0)).center());
        } else {
            QTest::keyClick(&list, key);
        }
        EXPECT_EQ(list.selectionModel()->selectedRows().value(0).row(), row) << key;
    }
    EXPECT_FALSE(refresh.isActive());
    EXPECT_EQ(list.selectedRow(), -1);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    EXPECT_FALSE(CommOutlineView::shouldEditTableColumn(&key));
    EXPECT_TRUE(CommOutlineView::shouldEditTableColumn(nullptr));
}

}  // namespace
