// The First Aid and format dialogs on their own, and the screen's name rules.
#include "tests/app/disk-tool/DiskToolHarness.h"

#include "app/disk-tool/FormatEndViewController.h"
#include "app/disk-tool/FormatTypeVCDelegate.h"
#include "app/disk-tool/FormatTypeViewController.h"
#include "app/disk-tool/FristAidVCDelegate.h"
#include "app/disk-tool/FristAidViewController.h"
#include "app/disk-tool/MakeSureFormatVCDelegate.h"
#include "app/disk-tool/MakeSureFormatViewController.h"
#include "app/disk-tool/ShowAidVCDelegate.h"
#include "app/disk-tool/ShowAidViewControllrt.h"
#include "app/disk-tool/VolumeCommands.h"
#include "app/sources/DialogParts.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/Labels.h"
#include "ui-kit/controls/AidProgress.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/getColor.h"
#include "ui-kit/tables/TROverlayScroller.h"
#include "ui-kit/windows/RPAAttachedWindow.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace disktooltest;

namespace {

// What a dialog told its owner, in order.
struct Recorder : FristAidVCDelegate, ShowAidVCDelegate, MakeSureFormatVCDelegate, FormatTypeVCDelegate {
    void checkDiskAction() override { calls << "check"; }
    void repairDiskAction() override { calls << "repair"; }
    void closeShowAidWindow() override { calls << "closed"; }
    void makeSureToFormatSelectVolumeWithName(const QString& name, const QString& type) override {
        calls << "format:" + name + "|" + type;
    }
    void selectFormatbyType(int index) override { calls << "type:" + QString::number(index); }
    void mouseEixtView(bool exited) override { calls << (exited ? "left" : "entered"); }
    QStringList calls;
};

// A shown window standing in for the attached window that hosts a dialog.
struct Host {
    Host() {
        window.resize(200, 100);
        window.show();
    }
    QWidget window;
};

QColor titleColor(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

}  // namespace

TEST(DiskToolFristAidDialog, EachButtonClosesTheWindowAndOnlyTheCheckAndRunButtonsTellTheOwner) {
    struct Way {
        const char* name;
        std::function<void(FristAidViewController&)> press;
        QStringList calls;
    };
    const QList<Way> ways{
        {"check", [](FristAidViewController& d) { clickButton(d.checkBut()); }, {"check"}},
        {"run", [](FristAidViewController& d) { clickButton(d.repairBut()); }, {"repair"}},
        {"cancel", [](FristAidViewController& d) { clickButton(d.cancelBut()); }, {}},
        {"escape", [](FristAidViewController& d) { QTest::keyClick(&d, Qt::Key_Escape); }, {}},
        {"return", [](FristAidViewController& d) { QTest::keyClick(&d, Qt::Key_Return); }, {"repair"}},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Host host;
        Recorder owner;
        FristAidViewController dialog;
        dialog.setDelegate(&owner);
        dialog.setSuperDelegate(&host.window);
        dialog.changeAidDiskName("Data");
        EXPECT_EQ(dialog.topLabel()->text(), "Run First Aid on 'Data'?");
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        way.press(dialog);
        EXPECT_FALSE(host.window.isVisible());
        EXPECT_EQ(owner.calls, way.calls);
    }
}

// How far a check has come is not known: the bar runs without a percentage until the end fills it.
TEST(DiskToolShowAidDialog, TheBarRunsWithoutAPercentageUntilTheEndValueFillsIt) {
    ShowAidViewControllrt view;
    EXPECT_FLOAT_EQ(view.progress()->filledWidth(), AidProgress::filledWidthFor(470, 1.0f)) << "starts at 1";
    view.setCancelFlag({});
    EXPECT_TRUE(view.progress()->isRunning()) << "a run runs from its start";
    for (const float pieces : {1.0f, 4.0f, 20.0f, 100.0f}) {
        view.setProgressValue(pieces);
        EXPECT_TRUE(view.progress()->isRunning()) << pieces;
        EXPECT_FLOAT_EQ(view.progress()->filledWidth(), 0.0f) << pieces;
        EXPECT_FALSE(view.completeBut()->isUsable());
    }
    view.setProgressValue(ShowAidViewControllrt::kEndValue);
    EXPECT_FALSE(view.progress()->isRunning());
    EXPECT_FLOAT_EQ(view.progress()->filledWidth(), 470.0f);
    EXPECT_TRUE(view.completeBut()->isUsable()) << "only the end value enables Complete";
    for (const auto& [phase, sweep] : {std::pair{0.0, QRectF(0, 0, 0, 8)},
                                       {0.5, QRectF(176.25, 0, 117.5, 8)},
                                       {0.9, QRectF(411.25, 0, 58.75, 8)}}) {
        EXPECT_EQ(AidProgress::sweepRect({470, 8}, phase), sweep) << phase;
    }
}

TEST(DiskToolShowAidDialog, OnePieceIsOneRowWithoutItsLastLineFeedAndRowsAreAtLeast20High) {
    for (const auto& [text, height] : {std::pair{14.0, 20.0},
                                       {20.0, 20.0},
                                       {30.0, 30.0},
                                       {31.0, 36.0},
                                       {33.0, 36.0},
                                       {35.9, 36.0},
                                       {36.0, 36.0},
                                       {48.0, 48.0}}) {
        EXPECT_DOUBLE_EQ(ShowAidViewControllrt::rowHeightForTextHeight(text), height) << text;
    }
    ShowAidViewControllrt view;
    EXPECT_TRUE(qobject_cast<TROverlayScroller*>(view.showTableView()->verticalScrollBar()));
    view.changeShowOutPut("Checking volume\n");
    view.changeShowOutPut("one\ntwo\nthree\n");
    view.changeShowOutPut("no line feed");
    view.changeShowOutPut("two line feeds\n\n");
    ASSERT_EQ(view.numberOfRowsInTableView(), 4);
    EXPECT_EQ(view.objectValueForRow(0), "Checking volume");
    EXPECT_EQ(view.objectValueForRow(1), "one\ntwo\nthree");
    EXPECT_EQ(view.objectValueForRow(2), "no line feed");
    EXPECT_EQ(view.objectValueForRow(3), "two line feeds\n");
    // A huge piece, or one of many lines, becomes a row of bounded size.
    view.changeShowOutPut(QString(5000, u'x'));
    view.changeShowOutPut(QStringLiteral("line\n").repeated(100));
    EXPECT_EQ(view.objectValueForRow(4), QString(600, u'x') + u'…');
    EXPECT_EQ(view.objectValueForRow(5), QStringLiteral("line\n").repeated(11) + QStringLiteral("line…"));
    EXPECT_DOUBLE_EQ(view.heightOfRow(0), 20.0);
    const double threeLines =
        ShowAidViewControllrt::sizeofString("one\ntwo\nthree", kit::systemFont(12), 450).height();
    EXPECT_DOUBLE_EQ(view.heightOfRow(1), ShowAidViewControllrt::rowHeightForTextHeight(threeLines));
    EXPECT_GT(view.heightOfRow(1), 36.0);
    const QString longLine(400, u'x');
    EXPECT_GT(
        ShowAidViewControllrt::sizeofString(longLine + " " + longLine, kit::systemFont(12), 450).height(),
        ShowAidViewControllrt::sizeofString("x", kit::systemFont(12), 450).height())
        << "a long line wraps at the width";
}

TEST(DiskToolShowAidDialog, CompleteClosesThenTellsTheOwnerAndStopAsksTheRunToEnd) {
    Host host;
    Recorder owner;
    ShowAidViewControllrt view;
    view.setDelegate(&owner);
    view.setSuperDelegate(&host.window);
    EXPECT_FALSE(view.stopBut()->isUsable()) << "no run to stop";
    const platform::CancelFlag stop;
    view.setCancelFlag(stop);
    EXPECT_TRUE(view.stopBut()->isUsable());
    clickButton(view.completeBut());
    EXPECT_TRUE(owner.calls.isEmpty()) << "Complete is not usable before the end";
    clickButton(view.stopBut());
    EXPECT_TRUE(stop.isRequested());
    EXPECT_FALSE(view.stopBut()->isUsable());
    view.setProgressValue(ShowAidViewControllrt::kEndValue);
    clickButton(view.completeBut());
    EXPECT_FALSE(host.window.isVisible());
    EXPECT_EQ(owner.calls, QStringList{"closed"});
}

TEST(DiskToolFormatTypeMenu, RowsReportTheirIndexAndTheHoveredTitleTurnsWhite) {
    Recorder owner;
    FormatTypeViewController menu;
    menu.setDelegate(&owner);
    const QColor white = getColor(255, 255, 255, 1);
    const QColor grey = getColor(79, 79, 98, 1);
    QStringList titles;
    for (int i = 0; i < 4; ++i) {
        titles << menu.label(i)->text();
        EXPECT_EQ(menu.view(i)->identifier(), QString::number(i));
    }
    EXPECT_EQ(titles, (QStringList{"ExFAT", "MS-DOS FAT32", "Journaled HFS+", "APFS"}));
    menu.mouseInView(true, 1);
    EXPECT_EQ(titleColor(menu.label(1)), white);
    EXPECT_EQ(titleColor(menu.label(0)), grey);
    menu.mouseInView(true, 7);  // outside the menu's rows: nothing changes
    EXPECT_EQ(titleColor(menu.label(1)), white);
    menu.mouseInView(false, 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(titleColor(menu.label(i)), grey);
    }
    menu.show();
    QTest::mouseClick(menu.view(2), Qt::LeftButton);
    menu.mouseEntered();
    menu.mouseExited();
    EXPECT_EQ(owner.calls, (QStringList{"type:2", "entered", "left"}));
    EXPECT_EQ(FormatTypeViewController::typeText(4), QString());
}

namespace {

// A format confirmation in a window that hosts it, as the screen shows it.
struct Confirmation {
    explicit Confirmation(const QString& name = "USB", const QString& type = "ExFAT") {
        host.resize(MakeSureFormatViewController::kViewSize.toSize());
        host.show();
        dialog.setDelegate(&owner);
        dialog.setSuperDelegate(&host);
        dialog.setName(name, type);
    }
    bool menuOpen() const { return dialog.sortAttachedWindow() && dialog.sortAttachedWindow()->isVisible(); }
    QWidget host;
    Recorder owner;
    MakeSureFormatViewController dialog;
};

}  // namespace

TEST(DiskToolFormatConfirmation, ContinueHandsOverTheNameAndTypeAsShownAndCancelNothing) {
    {
        Confirmation c("Photos", "MS-DOS FAT32");
        c.dialog.nameTextFiled()->setText("  $(rm -rf ~) \"x\"  ");
        clickButton(c.dialog.okButton());
        EXPECT_EQ(c.owner.calls, QStringList{"format:  $(rm -rf ~) \"x\"  |MS-DOS FAT32"})
            << "unchecked, unchanged";
        EXPECT_FALSE(c.host.isVisible());
    }
    {
        Confirmation c;
        clickButton(c.dialog.noButton());
        EXPECT_TRUE(c.owner.calls.isEmpty());
        EXPECT_FALSE(c.host.isVisible());
    }
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        Confirmation c;
        c.dialog.show();
        QApplication::setActiveWindow(&c.dialog);
        QTest::keyClick(c.dialog.nameTextFiled(), key);
        EXPECT_TRUE(c.owner.calls.isEmpty()) << key;
        EXPECT_FALSE(c.host.isVisible()) << "Escape cancels, and so does Return: Cancel is the default";
        EXPECT_EQ(c.dialog.noButton()->normalImage().name(), "btn_pri") << "and drawn so";
    }
    for (const char* apfs : {"APFS", "apfs", "Case-sensitive APFS"}) {
        Confirmation c("Data", apfs);
        EXPECT_FALSE(c.dialog.typeSelectBut()->isEnabled()) << apfs;
        EXPECT_TRUE(c.dialog.openImageV()->isHidden()) << apfs;
    }
}

TEST(DiskToolFormatConfirmation, ChoosingATypeShowsItAndClosesTheMenu) {
    Confirmation c;
    clickButton(c.dialog.typeSelectBut());
    ASSERT_TRUE(c.menuOpen());
    EXPECT_TRUE(c.dialog.isPopSortWin());
    RPAAttachedWindow* first = c.dialog.sortAttachedWindow();
    clickButton(c.dialog.typeSelectBut());
    EXPECT_EQ(c.dialog.sortAttachedWindow(), first) << "a click while the menu waits does nothing";
    QTest::mouseClick(c.dialog.formatTypeVC()->view(1), Qt::LeftButton);
    EXPECT_EQ(c.dialog.typeLabel()->text(), "MS-DOS FAT32");
    ASSERT_TRUE(waitFor([&] { return !c.dialog.sortAttachedWindow(); }, 1000));
    clickButton(c.dialog.okButton());
    EXPECT_EQ(c.owner.calls, QStringList{"format:USB|MS-DOS FAT32"});
}

TEST(DiskToolFormatConfirmation, TheMenuClosesAfterThreeSecondsUnlessThePointerHoldsIt) {
    Confirmation waiting;
    // Started before the menu opens and shorter than its wait: it fires first however slow the machine.
    QTimer mark;
    mark.setSingleShot(true);
    mark.setTimerType(Qt::PreciseTimer);
    bool openAtTheMark = false;
    QObject::connect(&mark, &QTimer::timeout, [&] { openAtTheMark = waiting.menuOpen(); });
    mark.start(MakeSureFormatViewController::kMenuWait - std::chrono::milliseconds(500));
    clickButton(waiting.dialog.typeSelectBut());
    Confirmation held;
    clickButton(held.dialog.typeSelectBut());
    held.dialog.formatTypeVC()->mouseEntered();
    EXPECT_FALSE(held.dialog.isPopSortWin());
    ASSERT_TRUE(waitFor([&] { return !mark.isActive(); }, 10000)) << "the mark before the menu's wait";
    EXPECT_TRUE(openAtTheMark);
    ASSERT_TRUE(waitFor([&] { return !waiting.dialog.sortAttachedWindow(); }, 2000));
    EXPECT_TRUE(held.menuOpen()) << "the pointer holds it";
    EXPECT_EQ(held.dialog.typeLabel()->text(), "ExFAT");
    held.dialog.formatTypeVC()->mouseExited();
    ASSERT_TRUE(waitFor([&] { return !held.dialog.sortAttachedWindow(); }, 1000))
        << "leaving it closes it at once";
}

TEST(DiskToolDialogs, ALongNameIsElidedInTheMiddleNeverClipped) {
    const QString name = "A" + QString(300, u'x') + "Z";
    FristAidViewController aid;
    aid.changeAidDiskName(name);
    Confirmation c(name);
    for (const QLabel* label : {aid.topLabel(), c.dialog.nameLabel(), c.dialog.nodeLabel()}) {
        EXPECT_TRUE(label->text().contains(QStringLiteral("'Axx")) &&
                    label->text().contains(QStringLiteral("xxZ'")))
            << label->text().toStdString();
        EXPECT_TRUE(label->text().contains(u'…'));
    }
    const QLabel* title = c.dialog.nameLabel();
    EXPECT_LE(QFontMetrics(title->font()).horizontalAdvance(title->text()), title->width()) << "on one line";
    EXPECT_EQ(sources::elidedName(QStringLiteral("USB")), "USB");
}

TEST(DiskToolFormatEndDialog, SaysWhetherItWorkedWhyNotOrThatItWasStopped) {
    disktool::CommandResult checked = disktool::CommandResult::succeeded();
    checked.checkTrouble = "The volume could not be read afterwards to confirm it.";
    const struct {
        disktool::CommandResult result;
        const char* title;
        const char* message;
    } rows[] = {
        {disktool::CommandResult::succeeded(), "Format completed",
         "The volume has been formatted and is ready to use."},
        {checked, "Format completed",
         "The volume has been formatted.\nThe volume could not be read afterwards to confirm it."},
        {disktool::CommandResult::failed("Error: -69888: Couldn't unmount disk"), "Format failed",
         "The volume could not be formatted.\nError: -69888: Couldn't unmount disk"},
        {disktool::CommandResult::failed("Stopped before diskutil had finished.", true), "Format stopped",
         "The format was stopped before it had finished. Format the volume again before you use it."},
    };
    for (const auto& row : rows) {
        FormatEndViewController end;
        end.changeResult(row.result);
        EXPECT_EQ(end.titleLabel()->text(), row.title);
        EXPECT_EQ(end.messageLabel()->text(), row.message);
    }
}

TEST(DiskToolNameRules, Fat32NamesAreUpperCasedCutOrNewAndChineseIsStrictlyInsideTheRange) {
    EXPECT_FALSE(RepairDiskViewController::containsChinese(""));
    EXPECT_FALSE(RepairDiskViewController::containsChinese(QString(QChar(0x4E00))));
    EXPECT_TRUE(RepairDiskViewController::containsChinese(QString(QChar(0x4E01))));
    EXPECT_TRUE(RepairDiskViewController::containsChinese("disk " + QString(QChar(0x9FFE))));
    EXPECT_FALSE(RepairDiskViewController::containsChinese(QString(QChar(0x9FFF))));
    EXPECT_FALSE(RepairDiskViewController::containsChinese("ディスク"));

    EXPECT_EQ(disktool::fat32Name("my disk"), "MY DISK");
    EXPECT_EQ(disktool::fat32Name("abcdefghijklmno"), "ABCDEFGHIJK");
    EXPECT_EQ(disktool::fat32Name("u盘中"), "NEW");

    struct Erase {
        const char* name;
        const char* type;
        const char* sent;
    };
    for (const Erase& e :
         {Erase{"", "ExFAT", "NEW"}, Erase{" ", "Journaled HFS+", "NEW"}, Erase{"  ", "ExFAT", "  "},
          Erase{"", "MS-DOS FAT32", "NEW"}, Erase{"backup disk one", "MS-DOS FAT32", "BACKUP DISK"},
          Erase{"backup disk one", "ms-dos fat32", "backup disk one"}, Erase{"中文", "MS-DOS FAT32", "NEW"},
          Erase{"中文", "ExFAT", "中文"}}) {
        EXPECT_EQ(disktool::eraseName(QString::fromUtf8(e.name), e.type), QString::fromUtf8(e.sent))
            << e.name << " / " << e.type;
    }
}
