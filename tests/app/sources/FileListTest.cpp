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
#include "ui-kit/windows/TCImageWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

namespace {

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
        QTest::qWait(20);
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
        NewOutlineView* outline = list()->outlineView();
        const QModelIndex index =
            list()->model()->indexForNode(node(name)).siblingAtColumn(static_cast<int>(FileColumn::CheckBox));
        ASSERT_TRUE(index.isValid()) << name.toStdString();
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, outline->visualRect(index).center());
        QTest::qWait(5);
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
    QTest::qWait(20);

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
            QTest::qWait(5);
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
    QTest::qWait(20);
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
    QTest::qWait(20);
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
    }));  // serving workers that report
    QTest::qWait(50);
    EXPECT_TRUE(screen.calls.isEmpty());
}

}  // namespace
