#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/HoverArea.h"
#include "ui-kit/backgrounds/SelectBgView.h"
#include "ui-kit/backgrounds/SortSelectBgView.h"
#include "ui-kit/controls/DiskListView.h"
#include "ui-kit/controls/DragView.h"
#include "ui-kit/controls/LComboBoxSubView.h"
#include "ui-kit/controls/TopImageView.h"
#include "ui-kit/getColor.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct RowDelegate : SortSelectBgViewDelegate {
    void selectSortType(SortSelectBgView* row) override { selected.push_back(row); }
    void mouseInView(bool inside, int tag) override { moves.emplace_back(inside, tag); }
    std::vector<SortSelectBgView*> selected;
    std::vector<std::pair<bool, int>> moves;
};

struct TileDelegate : DiskListViewDelegate {
    void doSelectDisk() override { ++selects; }
    void mouseInView() override { ++ins; }
    void mouseOutView() override { ++outs; }
    int selects = 0;
    int ins = 0;
    int outs = 0;
};

struct PanelDelegate : SelectBgViewDelegate {
    void mouseInSelectBgView(bool inside) override { moves.push_back(inside); }
    void mouseDownAction() override { ++downs; }
    std::vector<bool> moves;
    int downs = 0;
};

struct DropDelegate : DragViewDelegate {
    void viewDragAction(const QStringList& paths) override { drops.push_back(paths); }
    std::vector<QStringList> drops;
};

}  // namespace

// --- rows, tiles and panels
// ---------------------------------------------------------------------------------

TEST(SortSelectBgView, ReportsItsNumberOnEntryAndExitAndLightsUp) {
    kittest::Shown<SortSelectBgView> shown(QSize(200, 30));
    RowDelegate delegate;
    shown.view->setDelegate(&delegate);
    shown.view->setIdentifier("2");
    kittest::hover(shown.view, true);
    EXPECT_TRUE(
        kittest::sameColor(kittest::pixel(kittest::render(shown.view), 100, 15), getColor(65, 98, 255, 1)));
    kittest::hover(shown.view, false);
    EXPECT_EQ(kittest::pixel(kittest::render(shown.view), 100, 15).alpha(), 0);
    EXPECT_EQ(delegate.moves, (std::vector<std::pair<bool, int>>{{true, 2}, {false, 2}}));
    QTest::mouseClick(shown.view, Qt::LeftButton);
    ASSERT_EQ(delegate.selected.size(), 1u);
    EXPECT_EQ(delegate.selected[0], shown.view);
}

TEST(SortSelectBgView, IdentifiersReadAsLeadingIntegers) {
    EXPECT_EQ(SortSelectBgView::intValue("2"), 2);
    EXPECT_EQ(SortSelectBgView::intValue("  -3"), -3);
    EXPECT_EQ(SortSelectBgView::intValue("12abc"), 12);
    EXPECT_EQ(SortSelectBgView::intValue("abc"), 0);
    EXPECT_EQ(SortSelectBgView::intValue(""), 0);
    EXPECT_EQ(SortSelectBgView::intValue("99999999999999"), 2147483647);
}

TEST(SortSelectBgView, WithoutADelegateItStillRedraws) {
    kittest::Shown<SortSelectBgView> shown(QSize(200, 30));
    kittest::hover(shown.view, true);
    EXPECT_TRUE(shown.view->isMouseIn());
    QTest::mouseClick(shown.view, Qt::LeftButton);  // nobody to tell: nothing happens
}

TEST(DiskListView, HighlightsUnderThePointerAndReportsClicks) {
    kittest::Shown<DiskListView> shown(QSize(392, 64));
    TileDelegate delegate;
    shown.view->setDiskViewDelegate(&delegate);
    EXPECT_EQ(DiskListView::highlightRect(), QRectF(15.5, 5.5, 319, 55));
    EXPECT_EQ(kittest::pixel(kittest::render(shown.view), 100, 30).alpha(), 0);
    kittest::hover(shown.view, true);
    const QImage lit = kittest::render(shown.view);
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(lit, 100, 30), getColor(237, 243, 253, 1)));
    // {15.5, 5.5, 319, 55} in Cocoa on a 64-point tile lies 3.5 points from the top, 5.5 from the bottom.
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(lit, 100, 5), getColor(237, 243, 253, 1)));
    EXPECT_EQ(kittest::pixel(lit, 100, 60).alpha(), 0) << "the highlight is placed from the bottom";
    kittest::hover(shown.view, false);
    QTest::mouseClick(shown.view, Qt::LeftButton);
    EXPECT_EQ(delegate.ins, 1);
    EXPECT_EQ(delegate.outs, 1);
    EXPECT_EQ(delegate.selects, 1);
}

TEST(SelectBgView, ReportsEachEntryOnceHoweverOftenItRedraws) {
    kittest::Shown<SelectBgView> shown(QSize(300, 150));
    PanelDelegate delegate;
    shown.view->setDelegate(&delegate);
    for (int i = 0; i < 3; ++i) {
        shown.view->repaint();
    }
    kittest::hover(shown.view, true);
    kittest::hover(shown.view, false);
    QTest::mouseClick(shown.view, Qt::LeftButton);
    EXPECT_EQ(delegate.moves, (std::vector<bool>{true, false}));
    EXPECT_EQ(delegate.downs, 1);
}

TEST(LComboBoxSubView, AClickSelects) {
    struct Combo : LComboBoxSubViewDelegate {
        void doSelect() override { ++selects; }
        int selects = 0;
    } combo;
    kittest::Shown<LComboBoxSubView> shown(QSize(200, 30));
    shown.view->setDelegate(&combo);
    QTest::mouseClick(shown.view, Qt::LeftButton);
    EXPECT_EQ(combo.selects, 1);
    shown.view->setDelegate(nullptr);
    QTest::mouseClick(shown.view, Qt::LeftButton);
    EXPECT_EQ(combo.selects, 1);
}

// --- the drop target --------------------------------------------------------------------------------------

class DragViewDrops : public ::testing::Test {
protected:
    void SetUp() override {
        view.setDelegate(&delegate);
        view.resize(300, 150);
    }

    // Sends a drag that enters and then drops; true when the entry was accepted.
    bool drag(QMimeData* data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) {
        QDragEnterEvent enter(QPoint(10, 10), actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &enter);
        return enter.isAccepted();
    }
    // Qt delivers a drop only to the widget that took the drag's entry: the entry goes first, with `entering`
    // when the drop's own content is to differ from what entered.
    bool drop(QMimeData* data, QMimeData* entering = nullptr) {
        drag(entering ? entering : data);
        QDropEvent dropEvent(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                             Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &dropEvent);
        return dropEvent.isAccepted();
    }

    testsupport::TempSimRoot root;
    DragView view;
    DropDelegate delegate;
};

TEST_F(DragViewDrops, FilesArriveAsMacPathsInDragOrder) {
    root.writeFile("/Volumes/USB/b.txt", "b");
    root.writeFile("/Volumes/USB/a.txt", "a");
    QDir().mkpath(root.host("/Volumes/USB/Folder"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(root.host("/Volumes/USB/b.txt")),
                  QUrl::fromLocalFile(root.host("/Volumes/USB/Folder")),
                  QUrl::fromLocalFile(root.host("/Volumes/USB/a.txt"))});
    EXPECT_TRUE(drag(&data));
    EXPECT_TRUE(drop(&data));
    ASSERT_EQ(delegate.drops.size(), 1u);
    EXPECT_EQ(delegate.drops[0],
              (QStringList{"/Volumes/USB/b.txt", "/Volumes/USB/Folder", "/Volumes/USB/a.txt"}));
}

TEST_F(DragViewDrops, AnImageAloneIsTakenButNobodyIsTold) {
    QMimeData data;
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::red);
    data.setImageData(image);
    EXPECT_TRUE(drag(&data));
    EXPECT_TRUE(drop(&data));
    EXPECT_TRUE(delegate.drops.empty());
}

TEST_F(DragViewDrops, FilesWinOverAnImageInTheSameDrag) {
    root.writeFile("/Users/me/photo.tiff", "tiff");
    QMimeData data;
    data.setData("image/tiff", "II*\0");
    data.setUrls({QUrl::fromLocalFile(root.host("/Users/me/photo.tiff"))});
    EXPECT_TRUE(drop(&data));
    ASSERT_EQ(delegate.drops.size(), 1u);
    EXPECT_EQ(delegate.drops[0], QStringList{"/Users/me/photo.tiff"});
}

TEST_F(DragViewDrops, ADragWithNeitherIsRefusedAtOnceAndNeverReported) {
    QMimeData text;
    text.setText("just words");
    EXPECT_FALSE(drag(&text));
    EXPECT_FALSE(drop(&text));

    QMimeData remote;
    remote.setUrls({QUrl("https://example.invalid/file.txt")});
    EXPECT_FALSE(drag(&remote));
    EXPECT_FALSE(drop(&remote));

    // The drag entered with an image whose data was gone when it dropped.
    QMimeData image;
    image.setData("image/tiff", "II*\0");
    QMimeData emptyImage;
    emptyImage.setData("image/tiff", QByteArray());
    EXPECT_FALSE(drop(&emptyImage, &image));

    root.writeFile("/Volumes/USB/a.txt", "a");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(root.host("/Volumes/USB/a.txt"))});
    EXPECT_FALSE(drop(&text, &files));
    EXPECT_TRUE(delegate.drops.empty());
}

TEST_F(DragViewDrops, FilesOutsideTheSimulatedMacAreLeftOut) {
    QTemporaryDir elsewhere;
    root.writeFile("/Volumes/USB/in.txt", "in");
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(elsewhere.path()), QUrl::fromLocalFile(root.host("/Volumes/USB/in.txt"))});
    EXPECT_TRUE(drop(&data));
    ASSERT_EQ(delegate.drops.size(), 1u);
    EXPECT_EQ(delegate.drops[0], QStringList{"/Volumes/USB/in.txt"});

    QMimeData onlyOutside;
    onlyOutside.setUrls({QUrl::fromLocalFile(elsewhere.path())});
    EXPECT_FALSE(drag(&onlyOutside));
    EXPECT_FALSE(drop(&onlyOutside));
    EXPECT_EQ(delegate.drops.size(), 1u);
}

TEST_F(DragViewDrops, ASourceThatAllowsNoCopyIsRefused) {
    root.writeFile("/Volumes/USB/a.txt", "a");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(root.host("/Volumes/USB/a.txt"))});
    EXPECT_FALSE(drag(&data, Qt::MoveAction));
    EXPECT_TRUE(drag(&data, Qt::CopyAction));
}

// --- the image that moves its window
// -------------------------------------------------------------------------

TEST(TopImageView, DraggingItMovesTheWindow) {
    QWidget window;
    window.setGeometry(100, 100, 300, 200);
    auto* image = new TopImageView(&window);
    image->setGeometry(0, 0, 300, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint start = window.pos();
    const QPointF local(50, 20);
    const QPointF global = image->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(image, &press);
    QMouseEvent move(QEvent::MouseMove, local, global + QPointF(30, 15), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(image, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global + QPointF(30, 15), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(image, &release);
    EXPECT_EQ(window.pos(), start + QPoint(30, 15));
}

// --- tracking areas ---------------------------------------------------------------------------------------

TEST(HoverArea, ReportsMovesInsideAndAnExitWhenTheViewIsHidden) {
    kittest::Shown<QWidget> shown(QSize(200, 100));
    int entries = 0;
    int exits = 0;
    std::vector<QPointF> moves;
    new kit::HoverArea(
        shown.view, [&] { ++entries; }, [&] { ++exits; }, [&](QPointF at) { moves.push_back(at); });
    EXPECT_TRUE(shown.view->hasMouseTracking());
    QTest::mouseMove(shown.view, QPoint(10, 10));
    QTest::mouseMove(shown.view, QPoint(30, 40));
    EXPECT_EQ(entries, 1);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back(), QPointF(30, 40));
    shown.view->hide();  // a view hidden under the pointer does not stay lit when shown again
    EXPECT_EQ(exits, 1);
    shown.view->show();
    kittest::hover(shown.view, false);
    EXPECT_EQ(exits, entries) << "one exit per entry";
}
