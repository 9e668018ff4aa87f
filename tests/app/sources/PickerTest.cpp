#include "app/sources/DiskListViewController.h"
#include "app/sources/DiskPickerPopover.h"
#include "app/sources/SelectDiskViewController.h"
#include "platform/Dispatch.h"
#include "tests/app/sources/SourcesTestSupport.h"
#include "tests/support/SimMac.h"
#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/controls/DiskSizeProgress.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/tables/TROverlayScroller.h"
#include "ui-kit/windows/PopoverGeometry.h"
#include "ui-kit/windows/QNPopoverController.h"
#include "ui-kit/windows/QNPopoverWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>

namespace {

using sourcestest::Screen;
using sourcestest::waitFor;

QStringList texts(const QList<QLabel*>& labels) {
    QStringList list;
    for (const QLabel* label : labels) {
        list << label->text();
    }
    return list;
}

QStringList names(const SelectDiskViewController& picker) {
    QStringList list;
    for (const DiskListViewController* tile : picker.tiles()) {
        list << tile->nameLabel()->text();
    }
    return list;
}

void load(SelectDiskViewController& picker) {
    picker.show();
    ASSERT_TRUE(picker.isLoading());
    ASSERT_TRUE(waitFor([&] { return !picker.isLoading(); }));
}

// -1 stands for "none".
struct LayoutRow {
    qsizetype internal;
    qsizetype external;
    bool onlyShowEx;
    qreal height;
    qreal internalHeadingY;
    qreal externalHeadingY;
    qreal lastTileY;
};

TEST(PickerLayout, HeightsHeadingsAndTilesFollowTheCountsAndTheMode) {
    const LayoutRow rows[] = {
        {2, 1, false, 400, 380, 229, 165},  // three volumes: the least height
        {3, 4, false, 498, 478, 263, 7},    // seven: 64 x 7 + 50
        {0, 2, false, 400, -1, 357, 229},   // no internal drive: no heading for it
        {0, 2, true, 400, -1, 380, 254},    // external whole disks: compact offsets
        {0, 0, false, 400, -1, -1, -1},     // nothing found: no headings
    };
    for (const LayoutRow& row : rows) {
        SCOPED_TRACE(testing::Message() << row.internal << " + " << row.external << " " << row.onlyShowEx);
        const auto layout = SelectDiskViewController::layoutFor(row.internal, row.external, row.onlyShowEx);
        EXPECT_EQ(layout.height, row.height);
        EXPECT_EQ(layout.internalHeading ? layout.internalHeading->y() : -1, row.internalHeadingY);
        EXPECT_EQ(layout.externalHeading ? layout.externalHeading->y() : -1, row.externalHeadingY);
        EXPECT_EQ(layout.internalTiles.size(), row.onlyShowEx ? 0 : row.internal);
        EXPECT_EQ(layout.externalTiles.size(), row.external);
        const QList<QRectF>& last =
            layout.externalTiles.isEmpty() ? layout.internalTiles : layout.externalTiles;
        EXPECT_EQ(last.isEmpty() ? -1 : last.last().y(), row.lastTileY);
    }
}

TEST(PickerTile, IconsAndBarsFollowTheVolume) {
    const struct {
        bool ejectable;
        const char* mountPoint;
        const char* icon;
    } icons[] = {{false, "/", "ic_os"},
                 {true, "/Volumes/USB", "ic_usb"},
                 {true, "/", "ic_usb"},
                 {false, "/Volumes/Data", "ic_disk"}};
    for (const auto& row : icons) {
        VolumeObj volume;
        volume.bCanEject = row.ejectable;
        volume.volumeMountPoint = QLatin1String(row.mountPoint);
        EXPECT_EQ(DiskListViewController::iconName(volume, false), QLatin1String(row.icon));
        EXPECT_EQ(DiskListViewController::iconName(volume, true),
                  QLatin1String(row.icon) + QStringLiteral("_sel"));
    }
    const struct {
        qint64 total;
        qint64 free;
        float value;
    } bars[] = {{100, 25, 75}, {100, 100, 0}, {3, 1, 67}, {100, 150, 100}, {0, 500, 0}, {0, 0, 0}};
    for (const auto& row : bars) {
        EXPECT_EQ(DiskListViewController::usageValue(row.total, row.free), row.value)
            << row.total << " " << row.free;
    }
    DiskListViewController tile;  // a volume of no size draws an empty bar
    VolumeObj empty;
    empty.volumeFreeSizeNum = 4096;
    tile.setVolumeObj(empty);
    tile.refreshaView();
    EXPECT_EQ(tile.sizeProgress()->filledWidth(), 0);
    for (const char* name : {"USB", "<b>Bold</b>", "a<img src=\"x.png\">b", "Tom & Jerry"}) {
        empty.volumeName = QString::fromUtf8(name);  // the tool tip shows the name as it is
        tile.setVolumeObj(empty);
        tile.refreshaView();
        QTextDocument tip;
        tip.setHtml(tile.nameLabel()->toolTip());
        EXPECT_EQ(tip.toPlainText(), empty.volumeName);
    }
}

TEST(Picker, AllVolumesMacShowsInternalAndExternalGroups) {
    testsupport::SimMac sim;
    sim.attach(QStringLiteral("usb-exfat"));
    QFile junk(sim.host(QStringLiteral("/Volumes/.DS_Store")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.close();
    Screen screen;
    SelectDiskViewController picker;
    picker.setSelectDiskVCDelegate(&screen);
    load(picker);

    EXPECT_EQ(texts(picker.headings()), QStringList({"Internal Drives", "External Drives"}));
    EXPECT_EQ(names(picker), QStringList({"Macintosh HD", "USB"}));
    const auto layout = SelectDiskViewController::layoutFor(1, 1, false);
    ASSERT_EQ(picker.tiles().size(), 2);
    DiskListViewController* root = picker.tiles()[0];
    DiskListViewController* usb = picker.tiles()[1];
    EXPECT_EQ(picker.documentView()->height(), 400);
    EXPECT_EQ(root->geometry(), kit::cocoaRect(layout.internalTiles[0], 400).toRect());
    EXPECT_EQ(usb->geometry(), kit::cocoaRect(layout.externalTiles[0], 400).toRect());
    EXPECT_EQ(root->diskIconImageView()->imageName(), QStringLiteral("ic_os"));
    EXPECT_EQ(usb->diskIconImageView()->imageName(), QStringLiteral("ic_usb"));

    // Records: the mount point as the path; an APFS volume's free space is its container's.
    const QVariantMap rootInfo = sim.info(QStringLiteral("/"));
    const VolumeObj& rootVolume = root->volumeObj();
    EXPECT_EQ(rootVolume.volumePath, QStringLiteral("/"));
    EXPECT_FALSE(rootVolume.bCanEject);
    EXPECT_EQ(rootVolume.volumeTotalSizeNum, rootInfo.value("TotalSize").toLongLong());
    EXPECT_EQ(rootVolume.volumeFreeSizeNum, rootInfo.value("APFSContainerFree").toLongLong());
    const QVariantMap usbInfo = sim.info(QStringLiteral("/Volumes/USB"));
    const VolumeObj& usbVolume = usb->volumeObj();
    EXPECT_EQ(usbVolume.volumePath, QStringLiteral("/Volumes/USB"));
    EXPECT_EQ(usbVolume.volumeMountPoint, QStringLiteral("/Volumes/USB"));
    EXPECT_EQ(usbVolume.volumeType, QStringLiteral("ExFAT"));
    EXPECT_EQ(usbVolume.volumeFreeSizeNum, usbInfo.value("FreeSpace").toLongLong());
    EXPECT_EQ(usb->sizeProgress()->filledWidth(),
              kit::DrawnProgressBar::filledWidthFor(
                  240, DiskListViewController::usageValue(usbVolume.volumeTotalSizeNum,
                                                          usbVolume.volumeFreeSizeNum)));

    // Hover swaps in the "_sel" icon and back; a click hands the tile's record to the screen.
    kittest::hover(usb->aView(), true);
    EXPECT_EQ(usb->diskIconImageView()->imageName(), QStringLiteral("ic_usb_sel"));
    sourcestest::screenshot(&picker, QStringLiteral("picker-all-volumes"));
    kittest::hover(usb->aView(), false);
    EXPECT_EQ(usb->diskIconImageView()->imageName(), QStringLiteral("ic_usb"));
    QTest::mouseClick(usb->aView(), Qt::LeftButton, {}, QPoint(40, 30));
    ASSERT_EQ(screen.chosen.size(), 1);
    EXPECT_EQ(screen.chosen[0].volumePath, QStringLiteral("/Volumes/USB"));
    EXPECT_EQ(screen.chosen[0].volumeName, QStringLiteral("USB"));
}

struct FilterRow {
    const char* what;
    std::function<QString(const testsupport::SimMac&)> disk;
    bool listed;
    const char* shownName;
};

QString attached(const testsupport::SimMac& sim, const char* preset, const QStringList& set = {}) {
    const QString disk = sim.attach(QLatin1String(preset));
    if (!set.isEmpty()) {
        sim.simctl(QStringList{QStringLiteral("set"), disk} + set);
    }
    return disk;
}

TEST(Picker, ExternalDisksMacListsWhatPassesTheFilter) {
    testsupport::SimMac sim;
    const FilterRow rows[] = {
        {"USB", [](const auto& s) { return attached(s, "usb-exfat"); }, true, "SanDisk Ultra Media"},
        {"SATA", [](const auto& s) { return attached(s, "sata-internal"); }, true, "WDC WD20EZRZ Media"},
        {"ejectable PCI-Express", [](const auto& s) { return attached(s, "tb-ssd"); }, true,
         "Samsung X5 Media"},
        {"internal PCI-Express",
         [](const auto& s) {
             return attached(s, "tb-ssd", {"Ejectable", "false"});
         },
         false, ""},
        {"Apple Fabric", [](const auto&) { return QStringLiteral("disk0"); }, false, ""},
        {"virtual", [](const auto& s) { return testsupport::attachImage(s, QStringLiteral("Img")); }, false,
         ""},
        {"RAID", [](const auto& s) { return attached(s, "usb-raid"); }, false, ""},
        {"encrypted", [](const auto& s) { return attached(s, "usb-cs-encrypted"); }, false, ""},
        {"HFSX", [](const auto& s) { return attached(s, "usb-hfsx"); }, false, ""},
        {"no name",
         [](const auto& s) {
             return attached(s, "usb-exfat", {"IORegistryEntryName", ""});
         },
         true, "Unknown"},
    };
    QStringList disks;
    for (const FilterRow& row : rows) {
        disks << row.disk(sim);
    }
    Screen screen;
    SelectDiskViewController picker;
    picker.setSelectDiskVCDelegate(&screen);
    picker.setIsOnlyShowEx(true);
    load(picker);

    int listed = 0;
    for (qsizetype i = 0; i < disks.size(); ++i) {
        SCOPED_TRACE(rows[i].what);
        const auto found = std::find_if(picker.allVolumeArr().begin(), picker.allVolumeArr().end(),
                                        [&](const VolumeObj& v) { return v.volumePath == disks[i]; });
        ASSERT_EQ(found != picker.allVolumeArr().end(), rows[i].listed) << disks[i].toStdString();
        if (rows[i].listed) {
            ++listed;
            EXPECT_EQ(found->volumeName, QLatin1String(rows[i].shownName));
            EXPECT_TRUE(found->bCanEject);
            EXPECT_EQ(found->volumeTotalSizeNum, sim.info(disks[i]).value("TotalSize").toLongLong());
        }
    }
    EXPECT_EQ(picker.allVolumeArr().size(), listed);  // the Mac's own containers are virtual too
    EXPECT_EQ(texts(picker.headings()), QStringList({"External Drives"}));
    for (DiskListViewController* tile : picker.tiles()) {
        EXPECT_EQ(tile->sizeLabel()->text(), tile->volumeObj().volumeTotalSize);
        EXPECT_EQ(tile->nameLabel()->size(), QSize(180, 14));
        EXPECT_EQ(tile->sizeProgress()->filledWidth(), kit::DrawnProgressBar::filledWidthFor(240, 0.1F));
        EXPECT_EQ(tile->diskIconImageView()->imageName(), QStringLiteral("ic_usb"));
    }
    sourcestest::screenshot(&picker, QStringLiteral("picker-external-disks"));
    QTest::mouseClick(picker.tiles()[1]->aView(), Qt::LeftButton, {}, QPoint(40, 30));
    ASSERT_EQ(screen.chosen.size(), 1);
    EXPECT_EQ(screen.chosen[0].volumePath, picker.tiles()[1]->volumeObj().volumePath);
}

struct SlowCase {
    const char* action;
    QStringList last;  // the names shown once the slow lookup has ended
    friend void PrintTo(const SlowCase& row, std::ostream* out) { *out << row.action; }
};

class SlowVolume : public testing::TestWithParam<SlowCase> {};

// A volume whose `diskutil info` hangs or is slow holds back no other: the volumes that answered show, and
// the slow one joins them in its place when it answers. The test holds the slow lookup until it has seen the
// others, then ends it (hang) or lets it go on (delay: stopped in its sleep, then continued).
TEST_P(SlowVolume, HoldsBackNoOther) {
    testsupport::SimMac sim;
    sim.attach(QStringLiteral("usb-exfat"), {"--name", "Alpha"});
    sim.attach(QStringLiteral("usb-exfat"), {"--name", "Quick"});
    const QString slow = sim.info(QStringLiteral("/Volumes/Alpha")).value("DeviceIdentifier").toString();
    const bool hang = QLatin1String(GetParam().action) == QLatin1String("hang");
    sim.addFault({{"Verb", "info"},
                  {"ArgsContain", slow},
                  {"Action", QLatin1String(GetParam().action)},
                  {"DelayMs", 8000}});
    SelectDiskViewController picker;
    picker.show();
    pid_t tool = 0;
    ASSERT_TRUE(waitFor([&] {
        for (const QJsonObject& call : sim.calls()) {
            if (call.value("argv").toVariant().toStringList().join(u' ').contains(slow)) {
                tool = static_cast<pid_t>(call.value("pid").toInteger());
            }
        }
        // Stopped only while it sleeps: stopped holding the simulated Mac's lock, it would hold every tool.
        QFile wchan(QStringLiteral("/proc/%1/wchan").arg(tool));
        return tool > 0 && (hang || (wchan.open(QIODevice::ReadOnly) &&
                                     wchan.readAll().contains("nanosleep") && ::kill(tool, SIGSTOP) == 0));
    })) << "the slow lookup's sleep";
    ASSERT_TRUE(waitFor([&] { return names(picker) == QStringList({"Macintosh HD", "Quick"}); }));
    EXPECT_TRUE(picker.isLoading());
    ::kill(tool, hang ? SIGKILL : SIGCONT);
    ASSERT_TRUE(waitFor([&] { return !picker.isLoading(); }));
    EXPECT_EQ(names(picker), GetParam().last);
}

INSTANTIATE_TEST_SUITE_P(Picker, SlowVolume,
                         testing::Values(SlowCase{"hang", {"Macintosh HD", "Quick"}},
                                         SlowCase{"delay", {"Macintosh HD", "Alpha", "Quick"}}),
                         [](const auto& row) { return std::string(row.param.action); });

TEST(Picker, ReopeningDuringAnEnumerationKeepsEachPickersOwnList) {
    testsupport::SimMac sim;
    sim.attach(QStringLiteral("usb-exfat"));
    Screen gone;
    auto first = std::make_unique<SelectDiskViewController>();
    first->setSelectDiskVCDelegate(&gone);
    first->show();
    ASSERT_TRUE(first->isLoading());
    first.reset();  // closed while its enumeration runs

    SelectDiskViewController external;
    external.setIsOnlyShowEx(true);
    external.show();
    SelectDiskViewController all;
    all.show();
    ASSERT_TRUE(waitFor([&] { return !external.isLoading() && !all.isLoading(); }));
    EXPECT_EQ(names(external), QStringList({"SanDisk Ultra Media"}));
    EXPECT_EQ(names(all), QStringList({"Macintosh HD", "USB"}));
    EXPECT_TRUE(waitFor([] {
        return platform::waitForGlobalQueue(std::chrono::milliseconds::zero());
    }));  // serving workers that report
    QCoreApplication::sendPostedEvents();
    QTimer passed;  // started after the layout delay of the picker that went, and longer
    passed.setSingleShot(true);
    passed.start(SelectDiskViewController::kShowDelay * 2);
    ASSERT_TRUE(waitFor([&] { return !passed.isActive(); }, 10000)) << "past the layout delay";
    EXPECT_TRUE(gone.chosen.isEmpty());
}

}  // namespace

namespace {

// A source panel's drive icon in a window placed so that a popover fits beside it on the offscreen screen.
struct PanelWindow {
    PanelWindow() {
        window.setGeometry(0, 150, 360, 240);
        icon = new QWidget(&window);
        icon->setGeometry(156, 60, 48, 48);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QWidget window;
    QWidget* icon = nullptr;
};

TEST(PickerPopover, EachOpeningMakesANewPickerBesideThePressedPanel) {
    testsupport::SimMac sim;
    sim.attach(QStringLiteral("usb-exfat"));
    PanelWindow panel;
    Screen screen;
    sources::DiskPickerPopover popover;
    const sources::DiskPickerPopover::Style imageScreen{.borderWidth = 4, .animates = false};

    // Opened, closed by a second press while it enumerates, opened anew: the first picker goes unheard.
    ASSERT_TRUE(popover.selectDiskButton(1, panel.icon, {}, &screen));
    const QPointer<SelectDiskViewController> first = popover.selectDiskVC();
    EXPECT_TRUE(first->isLoading());
    EXPECT_FALSE(popover.selectDiskButton(1, panel.icon, {}, &screen));
    ASSERT_TRUE(waitFor([&] { return !popover.isVisible(); }));
    panel.window.move(420, 150);  // room on the left, where a destination's popover goes
    ASSERT_TRUE(popover.selectDiskButton(2, panel.icon, imageScreen, &screen));
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(popover.isVisible());
    EXPECT_EQ(popover.popoverController()->borderWidth(), 4);
    EXPECT_EQ(popover.popoverController()->arrowDirection(), QNPopoverArrowDirectionRight);
    SelectDiskViewController* picker = popover.selectDiskVC();
    ASSERT_TRUE(waitFor([&] { return !picker->isLoading(); }));
    EXPECT_EQ(names(*picker), QStringList({"Macintosh HD", "USB"}));
    EXPECT_TRUE(qobject_cast<TROverlayScroller*>(picker->listScrollView()->verticalScrollBar()));
    sourcestest::screenshot(popover.popoverController()->popoverWindow(), QStringLiteral("picker-popover"));
    // The edge in the screens' dark colour, on three sides of the body (12 points in: the arrow's room).
    QNPopoverWindow* shown = popover.popoverController()->popoverWindow();
    const QImage drawn = shown->grab().toImage();
    for (const QPoint at :
         {QPoint(shown->width() / 2, 13), QPoint(13, 100), QPoint(100, shown->height() - 14)}) {
        EXPECT_TRUE(kittest::sameColor(kittest::pixel(drawn, at.x(), at.y()), QColor(66, 66, 88), 40))
            << at.x();
    }

    // The screen closes the popover from the tile's click; the picker stays until the next opening.
    screen.onChosen = [&] { popover.close(); };
    QTest::mouseClick(picker->tiles()[1]->aView(), Qt::LeftButton, {}, QPoint(40, 30));
    ASSERT_EQ(screen.chosen.size(), 1);
    EXPECT_EQ(screen.chosen[0].volumeName, QStringLiteral("USB"));
    EXPECT_FALSE(popover.isVisible());
    EXPECT_EQ(popover.selectDiskVC(), picker);
    panel.window.move(0, 150);
    ASSERT_TRUE(popover.selectDiskButton(1, panel.icon, {.isOnlyShowEx = true}, &screen));
    EXPECT_TRUE(popover.selectDiskVC()->isOnlyShowEx());
    EXPECT_EQ(popover.popoverController()->arrowDirection(), QNPopoverArrowDirectionLeft);
    EXPECT_TRUE(waitFor([&] { return !popover.selectDiskVC()->isLoading(); }));
}

}  // namespace
