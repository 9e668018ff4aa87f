#include "app/copy/DiskCopyViewController.h"
#include "app/image/DmgViewController.h"
#include "app/shell/MainWindowController.h"
#include "app/sources/CopyTypeChooser.h"
#include "app/sources/LComboBox.h"
#include "app/sources/SelectAllFilePopVC.h"
#include "tests/app/sources/SourcesTestSupport.h"
#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/TCImageButton.h"
#include "ui-kit/windows/RPAAttachedWindow.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;
using sourcestest::Screen;
using sourcestest::waitFor;

TEST(CopyTypeCombo, OpensOnlyWhenAllowedAndTellsTheScreenOnlyOfAllFiles) {
    Screen screen;
    kittest::Shown<LComboBox> shown(LComboBox::kViewSize.toSize());
    LComboBox* combo = shown.view;
    combo->setLconboBoxDelegate(&screen);
    combo->setStrLabelValue(QStringLiteral("Copy All Files"));
    QTest::mouseClick(combo->view(), Qt::LeftButton, {}, QPoint(60, 15));
    QTest::mouseClick(combo->openButton(), Qt::LeftButton);
    EXPECT_TRUE(screen.calls.isEmpty());  // closed for opening: neither the body nor the button opens
    combo->setlComboBoxEnde(true);
    QTest::mouseClick(combo->view(), Qt::LeftButton, {}, QPoint(60, 15));
    QTest::mouseClick(combo->openButton(), Qt::LeftButton);
    EXPECT_EQ(screen.calls, QStringList({"open chooser", "open chooser"}));

    screen.calls.clear();
    combo->changeSelectType(1);
    combo->changeSelectType(1);
    EXPECT_EQ(combo->strLabel()->text(), QStringLiteral("Copy Some Files"));
    EXPECT_TRUE(combo->searchButton()->isVisible());
    sourcestest::screenshot(&shown.window, QStringLiteral("copy-type-combo"));
    QTest::mouseClick(combo->searchButton(), Qt::LeftButton);
    combo->changeSelectType(0);
    EXPECT_EQ(combo->strLabel()->text(), QStringLiteral("Copy All Files"));
    EXPECT_FALSE(combo->searchButton()->isVisible());
    EXPECT_EQ(screen.calls, QStringList({"search", "all files"}));
}

class CopyTypeChooserTest : public testing::Test {
protected:
    void SetUp() override {
        sources::CopyTypeChooser::setCloseDelayForTesting(kDelay);
        mainWindow.resize(888, 583);
        mainWindow.show();
        combo.setStrLabelValue(QStringLiteral("Copy All Files"));
    }
    void TearDown() override { sources::CopyTypeChooser::setCloseDelayForTesting(0ms); }

    bool closed() {
        return waitFor([this] { return chooser.sortAttachedWindow() == nullptr; }, 10000);
    }
    int shownChoosers() const {
        int count = 0;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            count += dynamic_cast<RPAAttachedWindow*>(window) && window->isVisible() ? 1 : 0;
        }
        return count;
    }

    static constexpr std::chrono::milliseconds kDelay{1500};
    QWidget mainWindow;
    LComboBox combo;
    sources::CopyTypeChooser chooser{&combo};
};

TEST_F(CopyTypeChooserTest, AChooserNeverEnteredClosesByItself) {
    chooser.showSelectAllVC(&mainWindow);
    RPAAttachedWindow* window = chooser.sortAttachedWindow();
    ASSERT_TRUE(window && window->isVisible());
    chooser.showSelectAllVC(&mainWindow);  // open and not entered: a second click does nothing
    EXPECT_EQ(chooser.sortAttachedWindow(), window);
    sourcestest::screenshot(window, QStringLiteral("copy-type-chooser"));
    EXPECT_TRUE(closed());
    EXPECT_FALSE(chooser.isPopSortWin());
}

TEST_F(CopyTypeChooserTest, AnEarlierOpeningsTimerNeverClosesALaterChooser) {
    chooser.showSelectAllVC(&mainWindow);
    QCoreApplication::sendPostedEvents();  // its timer runs
    // As long as that timer and started before the second opening's: it fires between the two.
    QTimer mark;
    mark.setSingleShot(true);
    mark.setTimerType(Qt::PreciseTimer);
    bool openAtTheMark = false;
    QObject::connect(&mark, &QTimer::timeout, [&] {
        QCoreApplication::sendPostedEvents();  // what the first timer queued
        openAtTheMark = chooser.sortAttachedWindow() && chooser.sortAttachedWindow()->isVisible();
    });
    mark.start(kDelay);
    chooser.selectAllFileVC()->mouseEntered();
    chooser.selectAllFileVC()->mouseExited();  // leaving closes at once
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(chooser.sortAttachedWindow(), nullptr);
    chooser.showSelectAllVC(&mainWindow);  // the second opening, while the first one's timer still runs
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(waitFor([&] { return !mark.isActive(); }, 10000)) << "the mark after the first timer";
    EXPECT_TRUE(openAtTheMark);
    EXPECT_TRUE(closed());  // by its own timer
}

TEST_F(CopyTypeChooserTest, ANewOpeningTakesTheOldChooserOffTheScreen) {
    chooser.showSelectAllVC(&mainWindow);
    const QPointer<RPAAttachedWindow> first = chooser.sortAttachedWindow();
    chooser.selectAllFileVC()->mouseEntered();  // entered: it stays, and the combo may open again
    chooser.showSelectAllVC(&mainWindow);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(shownChoosers(), 1);

    QTest::mouseClick(chooser.selectAllFileVC()->view_2(), Qt::LeftButton);
    EXPECT_EQ(combo.strLabel()->text(), QStringLiteral("Copy Some Files"));
    EXPECT_TRUE(closed());
    EXPECT_EQ(shownChoosers(), 0);
}

// On both screens the chooser opens right above the combo that opened it: its anchor is the combo's top edge.
TEST(CopyTypeChooserPlace, TheChooserOpensOnItsCombo) {
    testsupport::TempSimRoot sim;
    MainWindowController main;
    main.window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.window()));
    for (sources::SourceDestinationScreen* screen :
         {static_cast<sources::SourceDestinationScreen*>(main.diskCopyVC()),
          static_cast<sources::SourceDestinationScreen*>(main.dmgVC())}) {
        screen->showSelectAllVC();
        const QRect chooser = screen->copyTypeChooser()->sortAttachedWindow()->frameGeometry();
        const QRect combo(screen->lComboBox()->mapToGlobal(QPoint()), screen->lComboBox()->size());
        EXPECT_NEAR(chooser.bottom(), combo.top(), 2);
        EXPECT_TRUE(chooser.center().x() > combo.left() && chooser.center().x() < combo.right());
        screen->copyTypeChooser()->mouseEixtView(true);
        ASSERT_TRUE(waitFor([&] { return !screen->copyTypeChooser()->sortAttachedWindow(); }));
    }
}

}  // namespace
