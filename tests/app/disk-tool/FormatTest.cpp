// Formatting from the selected row: the confirmation, the type menu, the two roads (APFS volumes are renamed
// and reformatted, the others erased to the chosen type), the formatting and result views, and the volume
// the user chose staying the one that is erased.
#include "tests/app/disk-tool/DiskToolHarness.h"

#include "app/disk-tool/FormatEndViewController.h"
#include "app/disk-tool/FormatTypeViewController.h"
#include "app/disk-tool/FormatingViewController.h"
#include "app/disk-tool/MakeSureFormatViewController.h"
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/RPAAttachedWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace disktooltest;

namespace {

// A file on the volume, which an erase removes.
QString putFile(const QString& mountPoint) {
    const QString path = mountPoint + QStringLiteral("/keep.txt");
    EXPECT_TRUE(platform::FileSystem::writeAtomically(path, "kept\n"));
    return path;
}

// Sets what the user types and, when `menu` is a row, chooses that type in the menu, then continues.
void confirm(MakeSureFormatViewController& dialog, const QString& name, int menu = -1) {
    if (menu >= 0) {
        clickButton(dialog.typeSelectBut());
        ASSERT_TRUE(dialog.formatTypeVC()) << "the type menu opens";
        QTest::mouseClick(dialog.formatTypeVC()->view(menu), Qt::LeftButton);
    }
    dialog.nameTextFiled()->setText(name);
    clickButton(dialog.okButton());
}

// The result view's title, once it has been dismissed with "OK".
void collectResult(Harness& h, QString& title, const QString& screenshotName = {}) {
    h.answers.when<FormatEndViewController>([&title, screenshotName](FormatEndViewController& end) {
        title = end.titleLabel()->text();
        if (!screenshotName.isEmpty()) {
            screenshot(end.window(), screenshotName);
        }
        clickButton(end.closeButton());
    });
}

struct Road {
    const char* label;
    const char* device;
    const char* listed;
    int menu;  // the type chosen in the menu, or -1
    const char* typed;
    const char* type;        // the file-system argument of the erase (none on the APFS road)
    const char* sent;        // the name the erase gets
    const char* fileSystem;  // what the list shows afterwards
};

void PrintTo(const Road& road, std::ostream* out) {
    *out << road.label;
}

class DiskToolFormatRoad : public ::testing::TestWithParam<Road> {};

}  // namespace

TEST_P(DiskToolFormatRoad, ErasesTheChosenVolumeAndTheListShowsIt) {
    const Road& road = GetParam();
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach(QLatin1String(road.device));
    h.open();
    const QString listed = QLatin1String(road.listed);
    ASSERT_TRUE(h.volume(listed));
    const VolumeObj before = *h.volume(listed);
    const QString file = putFile(before.volumeMountPoint);
    const QString bystander = putFile(QStringLiteral("/Users/Shared"));
    const QString sent = QString::fromUtf8(road.sent);

    ASSERT_TRUE(h.select(listed));
    QString shownType;
    h.answers.when<MakeSureFormatViewController>([&](MakeSureFormatViewController& dialog) {
        shownType = dialog.typeLabel()->text();
        if (road.type) {
            confirm(dialog, QString::fromUtf8(road.typed), road.menu);
        } else {
            dialog.selectFormatbyType(road.menu);  // as if it could be chosen: the type plays no part
            confirm(dialog, QString::fromUtf8(road.typed));
        }
    });
    QString result;
    collectResult(h, result);
    h.click("format");
    ASSERT_TRUE(h.waitForListWhere([&] { return !result.isEmpty() && h.names().contains(sent); }));
    EXPECT_EQ(result, "Format completed");
    EXPECT_EQ(shownType, before.diskType) << "the volume's own type unless the menu changes it";
    EXPECT_FALSE(runningDialog<FormatingViewController>());

    if (road.type) {
        EXPECT_EQ(h.diskutilCalls("eraseVolume"),
                  (Calls{{"eraseVolume", QLatin1String(road.type), sent, "/dev/" + before.volumePath}}));
        EXPECT_TRUE(h.diskutilCalls("reformat").isEmpty());
    } else {
        EXPECT_EQ(h.diskutilCalls("rename"), (Calls{{"rename", before.volumePath, sent}}));
        EXPECT_EQ(h.diskutilCalls("reformat"), (Calls{{"reformat", before.volumePath}}));
        EXPECT_TRUE(h.diskutilCalls("eraseVolume").isEmpty());
    }
    EXPECT_EQ(h.volume(sent)->diskType, QLatin1String(road.fileSystem));
    EXPECT_FALSE(platform::FileSystem::exists(h.volume(sent)->volumeMountPoint + "/keep.txt"));
    EXPECT_FALSE(platform::FileSystem::exists(file));
    EXPECT_TRUE(platform::FileSystem::exists(bystander)) << "no other volume is touched";
}

INSTANTIATE_TEST_SUITE_P(
    Roads, DiskToolFormatRoad,
    ::testing::Values(
        Road{"ExFatKeepsItsType", "usb-exfat", "USB", -1, "Backup", "ExFAT", "Backup", "ExFAT"},
        Road{"ExFatToFat32", "usb-exfat", "USB", 1, "my stick", "MS-DOS FAT32", "MY STICK", "MS-DOS FAT32"},
        Road{"Fat32ToJournaledHfs", "usb-fat32-mbr", "NO NAME", 2, "Mac Files", "Journaled HFS+", "Mac Files",
             "Journaled HFS+"},
        Road{"Fat32ToApfsWithoutAName", "usb-fat32-mbr", "NO NAME", 3, "", "APFS", "NEW", "APFS"},
        Road{"HfsToExFat", "usb-hfs", "USB HFS", 0, "Shared", "ExFAT", "Shared", "ExFAT"},
        Road{"ApfsWithExFatChosen", "usb-apfs", "USB APFS", 0, "Time Machine", nullptr, "Time Machine",
             "APFS"},
        Road{"ApfsWithFat32Chosen", "usb-apfs", "USB APFS", 1, "Time Machine", nullptr, "Time Machine",
             "APFS"},
        Road{"ApfsWithHfsChosen", "usb-apfs", "USB APFS", 2, "Time Machine", nullptr, "Time Machine", "APFS"},
        Road{"ApfsWithApfsChosen", "usb-apfs", "USB APFS", 3, "$(x) \"q\"", nullptr, "$(x) \"q\"", "APFS"}),
    [](const auto& param) { return std::string(param.param.label); });

TEST(DiskToolFormat, TheConfirmationShowsTheVolumeAndCancelChangesNothing) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    h.sim.attach("usb-apfs");
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.answers.when<MakeSureFormatViewController>([&h](MakeSureFormatViewController& dialog) {
        EXPECT_EQ(dialog.nameLabel()->text(), "Format 'USB'?");
        EXPECT_EQ(dialog.nodeLabel()->text(),
                  "All data on 'USB' will be deleted after format, do you want to format it?");
        EXPECT_EQ(dialog.nameTextFiled()->text(), "USB");
        EXPECT_FALSE(dialog.nameTextFiled()->isReadOnly()) << "editable once the dialog is up";
        EXPECT_EQ(dialog.typeLabel()->text(), "ExFAT");
        EXPECT_TRUE(dialog.openImageV()->isVisible());
        EXPECT_TRUE(dialog.typeSelectBut()->isEnabled());
        screenshot(dialog.window(), "format-confirm");
        screenshotOver(h.screen.get(), dialog.window(), "format-confirm-over-list");
        clickButton(dialog.typeSelectBut());
        ASSERT_TRUE(dialog.sortAttachedWindow());
        screenshot(dialog.sortAttachedWindow(), "format-type-menu");
        // The menu as it lies over the confirmation, a window of its own.
        QWidget* menu = dialog.sortAttachedWindow();
        const QRect area = dialog.window()->frameGeometry().united(menu->frameGeometry());
        QImage both(area.size(), QImage::Format_ARGB32_Premultiplied);
        both.fill(Qt::transparent);
        QPainter painter(&both);
        painter.drawImage(dialog.window()->pos() - area.topLeft(), dialog.window()->grab().toImage());
        painter.drawImage(menu->pos() - area.topLeft(), menu->grab().toImage());
        painter.end();
        QLabel picture;
        picture.setPixmap(QPixmap::fromImage(both));
        picture.resize(both.size());
        screenshot(&picture, "format-confirm-menu-open");
        clickButton(dialog.noButton());
    });
    h.click("format");
    ASSERT_TRUE(h.select("USB APFS"));
    h.answers.when<MakeSureFormatViewController>([](MakeSureFormatViewController& dialog) {
        EXPECT_EQ(dialog.typeLabel()->text(), "APFS");
        EXPECT_FALSE(dialog.openImageV()->isVisible());
        EXPECT_FALSE(dialog.typeSelectBut()->isEnabled()) << "an APFS volume keeps its type";
        EXPECT_EQ(dialog.typeLabel()->palette().color(QPalette::WindowText), QColor::fromRgbF(0, 0, 0, 0.6f));
        screenshot(dialog.window(), "format-confirm-apfs");
        clickButton(dialog.noButton());
    });
    h.click("format");
    EXPECT_EQ(h.answers.pending(), 0);
    // Twice the wait for the formatting view, started after any such wait: a view would be up by its end.
    QCoreApplication::sendPostedEvents();
    QTimer passed;
    passed.setSingleShot(true);
    passed.start(fastDelays().formatingView * 2);
    ASSERT_TRUE(waitFor([&] { return !passed.isActive(); }, 10000)) << "the wait for the formatting view";
    EXPECT_FALSE(runningDialog<FormatingViewController>());
    EXPECT_FALSE(runningDialog<FormatEndViewController>());
    for (const char* verb : {"eraseVolume", "reformat", "rename"}) {
        EXPECT_TRUE(h.diskutilCalls(verb).isEmpty()) << verb;
    }
}

TEST(DiskToolFormat, TheVolumeIsCheckedAgainJustBeforeTheErase) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = h.sim.attach("usb-exfat") + "s2";
    h.open();
    const QString file = putFile("/Volumes/USB");
    ASSERT_TRUE(h.select("USB"));
    // While the user reads the confirmation, the identifier comes to name another volume.
    h.answers.when<MakeSureFormatViewController>([&](MakeSureFormatViewController& dialog) {
        h.sim.simctl({"set", node, "DiskUUID", "11111111-2222-3333-4444-555555555555"});
        confirm(dialog, "Wiped");
    });
    QString result;
    collectResult(h, result, "format-failed");
    h.click("format");
    ASSERT_TRUE(h.waitForListWhere([&] { return !result.isEmpty(); }));
    EXPECT_EQ(result, "Format failed");
    EXPECT_TRUE(h.diskutilCalls("eraseVolume").isEmpty());
    EXPECT_TRUE(platform::FileSystem::exists(file));
}

TEST(DiskToolFormat, AListReloadDuringTheConfirmationKeepsTheVolumeTheUserChose) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = h.sim.attach("usb-exfat") + "s2";
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.answers.when<MakeSureFormatViewController>([&](MakeSureFormatViewController& dialog) {
        h.sim.attach("usb-hfs");
        ASSERT_TRUE(h.waitForListWhere([&] { return h.names().contains("USB HFS"); }));
        ASSERT_EQ(h.screen->selectedVolume()->volumeName, "USB") << "the reload keeps the selection";
        ASSERT_TRUE(h.select("Macintosh HD"));
        confirm(dialog, "Wiped");
    });
    QString result;
    collectResult(h, result);
    h.click("format");
    ASSERT_TRUE(h.waitForListWhere([&] { return !result.isEmpty() && h.names().contains("Wiped"); }));
    EXPECT_EQ(result, "Format completed");
    EXPECT_EQ(h.diskutilCalls("eraseVolume"), (Calls{{"eraseVolume", "ExFAT", "Wiped", "/dev/" + node}}));
    EXPECT_EQ(h.names(), (QStringList{"Macintosh HD", "Wiped", "USB HFS"}));
}

TEST(DiskToolFormat, ADiskUnpluggedDuringTheConfirmationIsNotErased) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString disk = h.sim.attach("usb-exfat");
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.answers.when<MakeSureFormatViewController>([&](MakeSureFormatViewController& dialog) {
        h.sim.detach(disk);
        confirm(dialog, "Wiped");
    });
    QString result;
    collectResult(h, result);
    h.click("format");
    ASSERT_TRUE(h.waitForListWhere([&] { return !result.isEmpty() && !h.names().contains("USB"); }));
    EXPECT_EQ(result, "Format failed");
    EXPECT_TRUE(h.diskutilCalls("eraseVolume").isEmpty());
}

TEST(DiskToolFormat, TheFormattingViewShowsWhileTheEraseRunsAndClosesWhenItEnds) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    h.sim.addFault({{"Tool", "diskutil"}, {"Verb", "eraseVolume"}, {"Action", "delay"}, {"DelayMs", 2000}});
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.answers.when<MakeSureFormatViewController>(
        [](MakeSureFormatViewController& dialog) { confirm(dialog, "Slow"); });
    bool seen = false;
    h.answers.when<FormatingViewController>([&](FormatingViewController& view) {
        seen = true;
        screenshot(view.window(), "format-formatting");
    });
    QString result;
    collectResult(h, result, "format-completed");
    h.click("format");
    ASSERT_TRUE(h.waitForListWhere([&] { return !result.isEmpty() && h.names().contains("Slow"); }));
    EXPECT_TRUE(seen);
    EXPECT_EQ(result, "Format completed");
    EXPECT_FALSE(runningDialog<FormatingViewController>());
}

namespace {

// A step of a format that hangs, on a volume of that device.
struct HungStep {
    const char* device;
    const char* listed;
    const char* verb;
};

void PrintTo(const HungStep& step, std::ostream* out) {
    *out << step.device << " " << step.verb;
}

class DiskToolFormatStop : public ::testing::TestWithParam<HungStep> {};

}  // namespace

TEST_P(DiskToolFormatStop, AHungStepCanBeStoppedAndTheFormatSaysSo) {
    const HungStep& step = GetParam();
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach(QLatin1String(step.device));
    const QString listed = QLatin1String(step.listed);
    const QString node = h.identifierOf(listed);
    h.sim.addFault({{"Tool", "diskutil"}, {"Verb", step.verb}, {"Action", "hang"}, {"IgnoreSigterm", true}});
    h.open();
    ASSERT_TRUE(h.select(listed));
    h.answers.when<MakeSureFormatViewController>(
        [](MakeSureFormatViewController& dialog) { confirm(dialog, "Wiped"); });
    h.answers.when<FormatingViewController>([&](FormatingViewController& view) {
        ASSERT_TRUE(waitFor([&] { return !h.diskutilCalls(QLatin1String(step.verb)).isEmpty(); }));
        EXPECT_TRUE(view.stopBut()->isUsable());
        EXPECT_EQ(h.screen->activityText(node), "Formatting…");
        screenshot(view.window(), "format-hung");
        clickButton(view.stopBut());
        EXPECT_FALSE(view.stopBut()->isUsable());
    });
    QString result;
    collectResult(h, result, "format-stopped");
    h.click("format");
    ASSERT_TRUE(h.waitForListWhere([&] { return !result.isEmpty(); }));
    EXPECT_EQ(result, "Format stopped");
    EXPECT_EQ(h.screen->activityText(node), "Format stopped");
    EXPECT_EQ(h.node(node).value("VolumeName"), listed) << "the volume keeps its name";
    EXPECT_TRUE(h.usable("format")) << "the volume stays selected and usable again";
}

INSTANTIATE_TEST_SUITE_P(Steps, DiskToolFormatStop,
                         ::testing::Values(HungStep{"usb-exfat", "USB", "eraseVolume"},
                                           HungStep{"usb-apfs", "USB APFS", "rename"},
                                           HungStep{"usb-apfs", "USB APFS", "reformat"}),
                         [](const auto& param) { return std::string(param.param.verb); });

TEST(DiskToolFormat, TheFormattingViewNeverOpensForAnEraseThatEndedBeforeIt) {
    RepairDiskViewController::Delays delays = fastDelays();
    delays.formatingView = std::chrono::milliseconds(0);
    Harness h(QStringLiteral("intel-10.12-hfs"), delays);
    h.sim.attach("usb-exfat");
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.answers.when<MakeSureFormatViewController>([&](MakeSureFormatViewController& dialog) {
        confirm(dialog, "Quick");
        // The gate: the main thread serves nothing until the erase has ended and queued its end, so the
        // end is handled before the view's delayed start.
        ASSERT_TRUE(platform::waitForGlobalQueue(std::chrono::minutes(1))) << "waited for the erase to end";
        ASSERT_EQ(h.diskutilCalls("eraseVolume").size(), 1) << "the erase ran behind the gate";
    });
    bool formattingRan = false;
    h.answers.when<FormatingViewController>([&](FormatingViewController& view) {
        formattingRan = true;
        view.closeWindow();
    });
    QString result;
    collectResult(h, result);
    h.click("format");
    ASSERT_TRUE(h.waitForListWhere([&] { return !result.isEmpty() && h.names().contains("Quick"); }))
        << "waited for the result and the erased volume in the list";
    EXPECT_EQ(result, "Format completed");
    EXPECT_FALSE(formattingRan);
}
