// The list of volumes on whole simulated Macs, the buttons each row offers, and how the list follows the
// disks.
#include "tests/app/disk-tool/DiskToolHarness.h"

#include "app/disk-tool/VolumeCommands.h"
#include "app/disk-tool/VolumeRowCard.h"
#include "app/shell/MainWindowController.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "services/disks/WatchMountUnmount.h"
#include "services/utilities/KVPublicUtilities.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/NamedImage.h"
#include "ui-kit/controls/DiskSizeProgress.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/CustomTableView.h"
#include "ui-kit/tables/TROverlayScroller.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QFontMetrics>
#include <QLabel>
#include <QScrollArea>
#include <QTest>
#include <QTextDocument>

#include <utility>

using namespace disktooltest;

namespace {

// What the selected row's buttons offer: the usable ones, and the Mount button's title.
struct Offer {
    QStringList usable;
    QString mountTitle;
    QString icon;
};

const QStringList kRowButtons{"open", "mount", "fristaid", "rename", "format", "eject", "save"};

Offer offerOf(const Harness& h) {
    Offer offer;
    for (const QString& id : kRowButtons) {
        if (h.usable(id.toLatin1().constData())) {
            offer.usable << id;
        }
    }
    offer.mountTitle = h.title("mount");
    return offer;
}

void expectOffer(Harness& h, const QString& name, const QStringList& usable, const QString& mountTitle) {
    SCOPED_TRACE(name.toStdString());
    ASSERT_TRUE(h.select(name));
    const Offer offer = offerOf(h);
    EXPECT_EQ(offer.usable, usable);
    EXPECT_EQ(offer.mountTitle, mountTitle);
}

const QStringList kAll{"open", "mount", "fristaid", "rename", "format", "eject"};
const QStringList kSystem{"open", "fristaid"};
const QStringList kUnmounted{"mount", "rename", "format", "eject"};

// The screen shown and its first load started, with diskutil's list slow to come.
void startSlowFirstLoad(Harness& h, int delayMs = 1500) {
    h.sim.addFault(
        {{"Tool", "diskutil"}, {"Verb", "list"}, {"Action", "delay"}, {"DelayMs", delayMs}, {"Times", 1}});
    h.screen = std::make_unique<RepairDiskViewController>();
    h.screen->show();
    h.screen->loadData();
}

struct MacCase {
    const char* preset;
    const char* systemName;
    const char* internalVolume;  // another internal volume the Mac lists, or none
};

void PrintTo(const MacCase& mac, std::ostream* out) {
    *out << mac.preset;
}

class DiskToolOnEachMac : public ::testing::TestWithParam<MacCase> {};

}  // namespace

TEST_P(DiskToolOnEachMac, ListsTheSystemAndEveryAttachedVolumeWithTheirButtons) {
    Harness h(QLatin1String(GetParam().preset));
    h.sim.attach("usb-exfat");
    h.sim.attach("usb-fat32-mbr");
    h.sim.attach("usb-apfs");
    h.sim.attach("usb-hfs");
    h.open();
    const QString system = QLatin1String(GetParam().systemName);
    QStringList internal{system};
    if (GetParam().internalVolume) {
        internal << QLatin1String(GetParam().internalVolume);
    }
    EXPECT_EQ(h.names(), internal + QStringList({"USB", "NO NAME", "USB APFS", "USB HFS"}));
    screenshot(h.screen->window(), QStringLiteral("screen-%1").arg(QLatin1String(GetParam().preset)));

    // The running system's volumes (at "/" and outside "/Volumes") can be checked, not renamed, formatted,
    // unmounted or ejected.
    expectOffer(h, system, kSystem, "Unmount");
    if (GetParam().internalVolume) {
        const QString vm = QLatin1String(GetParam().internalVolume);
        expectOffer(h, vm, kSystem, "Unmount");
        h.screen->formatButtonAction();  // even when asked for directly
        EXPECT_EQ(h.screen->makeSureFormatVC(), nullptr);
        EXPECT_FALSE(disktool::formatVolume(*h.volume(vm), "Erased", "APFS", {}).done);
        screenshot(h.screen.get(), QStringLiteral("vm-volume-row-%1").arg(QLatin1String(GetParam().preset)));
    }
    for (const char* name : {"USB", "NO NAME", "USB APFS", "USB HFS"}) {
        expectOffer(h, name, kAll, "Unmount");
    }

    const VolumeObj* usb = h.volume("USB");
    ASSERT_TRUE(usb);
    EXPECT_EQ(usb->diskType, "ExFAT");
    EXPECT_EQ(usb->volumeMountPoint, "/Volumes/USB");
    EXPECT_TRUE(usb->bCanEject);
    EXPECT_EQ(h.volume("NO NAME")->diskType, "MS-DOS FAT32");
    EXPECT_TRUE(h.volume("NO NAME")->diskUUID.isEmpty()) << "a partition of an MBR disk";
    EXPECT_EQ(h.volume(system)->volumeMountPoint, "/");
}

INSTANTIATE_TEST_SUITE_P(Presets, DiskToolOnEachMac,
                         ::testing::Values(MacCase{"apple-silicon-13", "Macintosh HD", nullptr},
                                           MacCase{"intel-12", "Macintosh HD", nullptr},
                                           MacCase{"intel-10.14", "Macintosh HD", "VM"},
                                           MacCase{"intel-10.12-hfs", "Macintosh HD", nullptr}),
                         [](const auto& param) {
                             QString name = QLatin1String(param.param.preset);
                             return name.replace(u'-', u'_').replace(u'.', u'_').toStdString();
                         });

TEST(DiskToolList, RowsShowIconTypeSizeAndTheSelectedRowAloneIsTallWithButtons) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    const QString longName = "Photos" + QString(80, u'W') + "2023";
    h.sim.attach("usb-hfs", {"--name", longName});
    h.open();
    ASSERT_EQ(h.names(), (QStringList{"Macintosh HD", "USB", longName}));
    const QLabel* elided = h.cell(2)->nameLabel();
    EXPECT_TRUE(elided->text().startsWith("Photos") && elided->text().contains(u'…') &&
                elided->text().endsWith("2023"))
        << elided->text().toStdString();
    EXPECT_LE(QFontMetrics(elided->font()).horizontalAdvance(elided->text()), elided->width());
    EXPECT_EQ(elided->toolTip(), Qt::convertFromPlainText(longName, Qt::WhiteSpaceNoWrap));
    CustomTableView* table = h.screen->parTableView();
    EXPECT_EQ(table->rectOfRow(0).height(), 88 + CustomTableView::kIntercellHeight);
    EXPECT_EQ(table->rectOfRow(1).height(), 48 + CustomTableView::kIntercellHeight);
    EXPECT_EQ(table->rowNum(), 0) << "the first row is highlighted after a load";

    disktool::VolumeRowCard* usbCell = h.cell(1);
    EXPECT_EQ(usbCell->typeLabel()->text(), "ExFAT");
    EXPECT_EQ(usbCell->nameLabel()->toolTip(), Qt::convertFromPlainText("USB", Qt::WhiteSpaceNoWrap));
    EXPECT_TRUE(usbCell->sizeLabel()->text().endsWith("/31.79 GB"));
    EXPECT_FLOAT_EQ(h.cell(0)->capacityBar()->filledWidth(),
                    DiskSizeProgress::filledWidthFor(220, disktool::usedPercent(*h.volume("Macintosh HD"))));
    for (int button = 0; button < disktool::VolumeRowCard::kButtonCount; ++button) {
        EXPECT_FALSE(usbCell->button(static_cast<disktool::VolumeRowCard::Button>(button))->isVisible())
            << button << " on an unselected row";
    }
    EXPECT_FALSE(h.cell(0)->button(disktool::VolumeRowCard::Save)->isVisible())
        << "Save belongs to rename mode";

    ASSERT_TRUE(h.select("USB"));
    EXPECT_EQ(table->rectOfRow(0).height(), 48 + CustomTableView::kIntercellHeight);
    EXPECT_EQ(table->rectOfRow(1).height(), 88 + CustomTableView::kIntercellHeight);
    EXPECT_EQ(table->rowNum(), 1);
    EXPECT_EQ(h.screen->selectedVolume()->volumeName, "USB");
    QTest::keyClick(h.screen->parTableView(), Qt::Key_Up);
    EXPECT_EQ(h.screen->selectedVolume()->volumeName, "Macintosh HD") << "the arrow keys select";
    QTest::keyClick(h.screen->parTableView(), Qt::Key_Down);
    const QPixmap usbIcon = h.cell(1)->iconView()->pixmap();
    const QPixmap systemIcon = h.cell(0)->iconView()->pixmap();
    EXPECT_EQ(usbIcon.toImage(), kit::NamedImage::imageNamed("ic_repair_usb").pixmap().toImage());
    EXPECT_EQ(systemIcon.toImage(), kit::NamedImage::imageNamed("ic_repair_os").pixmap().toImage());
}

TEST(DiskToolList, ALongListScrollsUnderItsOverlayScrollerAndAReloadKeepsItsRowsAndPlace) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    for (int disk = 1; disk <= 8; ++disk) {
        h.sim.attach("usb-hfs", {"--name", QStringLiteral("Disk %1").arg(disk)});
    }
    h.open();
    ASSERT_EQ(h.names().size(), 9);
    const CustomTableView* table = h.screen->parTableView();
    auto* scroller = qobject_cast<TROverlayScroller*>(table->scrollView()->verticalScrollBar());
    ASSERT_TRUE(scroller);
    EXPECT_EQ(table->documentView()->width(), 712) << "the rows keep the full width under the scroller";
    for (int row = 0; row < 9; ++row) {
        EXPECT_LT(h.cell(row)->sizeLabel()->geometry().right(), scroller->geometry().left()) << row;
    }
    screenshot(h.screen.get(), "long-list");

    scroller->setValue(scroller->maximum());
    ASSERT_TRUE(h.select("Disk 8"));
    h.click("rename");
    const int place = scroller->value();
    ASSERT_GT(place, 0);
    h.sim.addFault(
        {{"Tool", "diskutil"}, {"Verb", "list"}, {"Action", "delay"}, {"DelayMs", 1500}, {"Times", 1}});
    platform::NotificationCenter::defaultCenter().post(RZVolumeMountNotification);
    ASSERT_TRUE(waitFor([&] { return h.screen->isScanning(); }));
    EXPECT_EQ(table->numberOfRows(), 9) << "the rows stay while the list is read";
    EXPECT_FALSE(h.screen->loadProView()->isVisible());
    ASSERT_TRUE(h.waitForList());
    EXPECT_EQ(scroller->value(), place) << "the list keeps its place";
    EXPECT_EQ(h.screen->selectedVolume()->volumeName, "Disk 8");
    EXPECT_TRUE(h.screen->isRenameEdit()) << "an unchanged list changes nothing";
}

TEST(DiskToolList, UnmountedVolumesOfferMountAndAnyFreeSpaceOutsideApfsCountsAsMounted) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString exfat = h.sim.attach("usb-exfat");
    h.sim.attach("usb-apfs");
    const QString hfs = h.sim.attach("usb-hfs", {"--name", "Spare"});
    for (const QString& node : {exfat + "s2", hfs + "s2"}) {
        ASSERT_EQ(h.sim.run("/usr/sbin/diskutil", {"unmount", node}).exitCode, 0);
    }
    ASSERT_EQ(h.sim.run("/usr/sbin/diskutil", {"unmount", h.identifierOf("USB APFS")}).exitCode, 0);
    // diskutil may report free space for a volume that is not mounted; outside APFS that counts as mounted.
    h.sim.simctl({"set", hfs + "s2", "FreeSpace", "5000000"});
    h.open();
    ASSERT_EQ(h.names(), (QStringList{"Macintosh HD", "USB", "USB APFS", "Spare"}));
    EXPECT_GT(h.volume("USB APFS")->volumeFreeSizeNum, 0) << "the container's free space";

    expectOffer(h, "USB", kUnmounted, "Mount");
    expectOffer(h, "USB APFS", kUnmounted, "Mount");
    expectOffer(h, "Spare", kAll, "Unmount");
    // Not full: its capacity with an empty bar.
    for (const char* name : {"USB", "USB APFS"}) {
        EXPECT_EQ(h.cell(h.rowOf(name))->sizeLabel()->text(),
                  "Not mounted, " + h.volume(name)->volumeTotalSize);
        EXPECT_EQ(h.cell(h.rowOf(name))->capacityBar()->filledWidth(), 0.0f) << name;
    }
    EXPECT_GT(h.cell(h.rowOf("Spare"))->capacityBar()->filledWidth(), 0.0f);
}

TEST(DiskToolList, ShowsTheLoadingViewAndNoRowsWhileItEnumerates) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    startSlowFirstLoad(h);
    EXPECT_TRUE(h.screen->isScanning());
    EXPECT_TRUE(h.screen->loadProView()->isVisible());
    EXPECT_EQ(h.screen->parTableView()->numberOfRows(), 0);
    EXPECT_EQ(h.screen->selectedVolume(), nullptr);
    ASSERT_TRUE(waitFor([&] { return h.screen->listStatus()->isVisible(); }))
        << "a slow list says it is still being read";
    screenshot(h.screen.get(), "screen-loading");
    ASSERT_TRUE(h.waitForList());
    EXPECT_FALSE(h.screen->loadProView()->isVisible());
    EXPECT_FALSE(h.screen->listStatus()->isVisible());
    EXPECT_EQ(h.names(), QStringList{"Macintosh HD"});
    EXPECT_EQ(h.screen->selectedVolume()->volumeName, "Macintosh HD");
    h.screen->loadData();
    EXPECT_FALSE(h.screen->isScanning()) << "loadData loads only an empty list";
}

TEST(DiskToolList, NotificationsWithinTheGateStartNoEnumerationButOneFollows) {
    RepairDiskViewController::Delays delays = fastDelays();
    delays.reloadGate = std::chrono::seconds(20);  // far longer than a first list takes on a busy machine
    Harness h(QStringLiteral("intel-10.12-hfs"), delays);
    h.open();
    const int first = h.enumerations();
    ASSERT_EQ(first, 1);

    auto& center = platform::NotificationCenter::defaultCenter();
    for (int i = 0; i < 3; ++i) {
        center.post(RZVolumeMountNotification);
        center.post(RZVolumeUnmountNotification);
    }
    // A disk plugged within the gate: its own notification is dropped too, yet the list must show it.
    h.sim.attach("usb-exfat");
    EXPECT_FALSE(h.screen->isScanning());
    EXPECT_EQ(h.enumerations(), first) << "nothing starts inside the gate";
    EXPECT_TRUE(h.screen->isReloadPending());

    ASSERT_TRUE(h.waitForListWhere([&] { return h.names().contains("USB"); }));
    EXPECT_EQ(h.enumerations(), first + 1) << "one reload for every request dropped";
}

TEST(DiskToolList, NotificationsDuringAnEnumerationAreFollowedByOneMore) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    startSlowFirstLoad(h, 6000);
    // The plug comes once diskutil is reading the list, however busy the machine is.
    ASSERT_TRUE(waitFor([&] { return h.enumerations() == 1; }, 10000));
    h.sim.attach("usb-fat32-mbr");
    ASSERT_TRUE(waitFor([&] { return h.screen->isReloadPending(); }, 10000))
        << "the plug's notification arrives while the list is read";
    EXPECT_TRUE(h.screen->isScanning());
    ASSERT_TRUE(h.waitForListWhere([&] { return h.names().contains("NO NAME"); }));
    EXPECT_EQ(h.enumerations(), 2);
}

TEST(DiskToolList, ADiskUnpluggedWhileTheScreenIsOpenLeavesTheList) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString usb = h.sim.attach("usb-exfat");
    h.sim.attach("usb-fat32-mbr");
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.sim.detach(usb);
    ASSERT_TRUE(h.waitForListWhere([&] { return !h.names().contains("USB"); }));
    EXPECT_EQ(h.names(), (QStringList{"Macintosh HD", "NO NAME"}));
    EXPECT_EQ(h.screen->selectedIndex(), 0);
    EXPECT_EQ(h.screen->selectedVolume()->volumeName, "Macintosh HD");
    EXPECT_TRUE(h.usable("open"));
}

TEST(DiskToolLookups, SizeTextsStepByThousandsAtTheirBoundaries) {
    const std::pair<quint64, const char*> cases[] = {
        {0, "0 byte"},
        {999, "999 byte"},
        {1000, "1.00 KB"},
        {999'999, "1000.00 KB"},
        {1'000'000, "1.00 MB"},
        {1'500'000'000, "1.50 GB"},
        {999'999'999'999, "1000.00 GB"},
        {1'000'000'000'000, "1.00 TB"},
        {18'446'744'073'709'551'615ULL, "18446744.00 TB"},  // single precision rounds the quotient
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(RepairDiskViewController::byteToSizeWithByte(bytes), text) << bytes;
    }
}

TEST(DiskToolLookups, AVolumeIsAppendedOnceByItsDeviceAndTheSelectionStaysOnItsRecord) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString usb = h.sim.attach("usb-exfat");
    h.open();
    ASSERT_TRUE(h.select("USB"));
    const auto all = RepairDiskViewController::getAllDiskAndVolumes();
    ASSERT_TRUE(all.has_value());
    EXPECT_TRUE(all->contains("AllDisksAndPartitions"));
    EXPECT_FALSE(RepairDiskViewController::getDisjInfo({}).has_value());

    h.screen->getVolumeAllObjWithVolumeName(usb + "s2");
    ASSERT_EQ(h.screen->allVolumes().size(), 3u);
    const VolumeObj& added = h.screen->allVolumes().back();
    EXPECT_EQ(added.volumeName, "USB");
    EXPECT_EQ(added.volumePath, "/dev/" + usb + "s2");
    EXPECT_EQ(added.volRootDir, added.volumePath);
    EXPECT_EQ(added.diskType, "ExFAT");
    EXPECT_EQ(added.volumeTotalSize,
              RepairDiskViewController::byteToSizeWithByte(static_cast<quint64>(added.volumeTotalSizeNum)));
    EXPECT_EQ(h.screen->selectedVolume()->volumeName, "USB") << "the selection follows its record";

    h.screen->getVolumeAllObjWithVolumeName(usb + "s2");  // the same device again
    h.screen->getVolumeAllObjWithVolumeName(usb + "s1");  // its EFI partition
    h.screen->getVolumeAllObjWithVolumeName("disk99");
    h.screen->getVolumeAllObjWithVolumeName("USB");  // a listed name
    EXPECT_EQ(h.screen->allVolumes().size(), 3u);
}

TEST(DiskToolInMainWindow, TheDiskToolTabShowsTheScreenWithItsListLoadedAtStart) {
    testsupport::SimMac sim;
    sim.attach("usb-exfat", {"--name", "MyUSB"});
    sim.attach("usb-apfs");
    StatusAttachedWindow::setSystemVersionFunction(&KVPublicUtilities::getSystemVersion);
    RepairDiskViewController::setDelaysForTesting(fastDelays());
    {
        MainWindowController controller;
        TCImageWindow* window = controller.window();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        RepairDiskViewController* screen = controller.repairDiskVC();
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->parentWidget(), controller.diskTool());
        ASSERT_TRUE(waitFor(
            [&] {
                return !screen->isScanning() && !screen->isReloadPending() && !screen->allVolumes().empty();
            },
            kListLoadMs))
            << "the list loads at start, before the tab is shown";
        controller.TopDiskToolButtonAction();
        EXPECT_TRUE(screen->isVisible());
        const QSize size = window->size();
        clickButton(window->standardWindowButton(2));
        EXPECT_FALSE(window->isMaximized()) << "a fixed layout keeps its size";
        EXPECT_EQ(window->size(), size);
        screenshot(window, "main-window-disk-tool");
    }
    EXPECT_TRUE(platform::waitForGlobalQueue(std::chrono::minutes(1)));
    RepairDiskViewController::setDelaysForTesting({});
}
