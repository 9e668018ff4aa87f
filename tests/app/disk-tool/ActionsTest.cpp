// Open, help, mount, unmount, eject and rename from the selected row, checked in the simulated Mac.
#include "tests/app/disk-tool/DiskToolHarness.h"

#include "app/ErrorWindowController.h"
#include "app/disk-tool/VolumeRowCard.h"
#include "platform/Bundle.h"
#include "platform/Dispatch.h"
#include "platform/Workspace.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/CustomTableView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextDocument>

using namespace disktooltest;

TEST(DiskToolActions, TwoClicksAtOnePointOfALowerRowSelectItAndRunNothing) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    h.sim.attach("usb-hfs");
    h.open();
    // Below the selected system row, on the type line under where the row's Eject button will show.
    const int row = h.rowOf("USB HFS");
    disktool::VolumeRowCard* card = h.cell(row);
    const QPoint point =
        card->mapToGlobal(QPoint(card->button(disktool::VolumeRowCard::Eject)->geometry().center().x(), 30));
    QWidget* window = h.screen->window();
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, window->mapFromGlobal(point));
    EXPECT_EQ(h.screen->selectedVolume()->volumeName, "USB HFS");
    const CustomTableView* table = h.screen->parTableView();
    EXPECT_EQ(table->rowAtPoint(table->documentView()->mapFromGlobal(point)), row)
        << "the row stays under the pointer";
    EXPECT_FALSE(h.screen->isBusy(h.identifierOf("USB HFS")));
    ASSERT_TRUE(platform::waitForGlobalQueue(std::chrono::seconds(10)));
    for (const char* verb : {"eject", "unmount", "mount", "verifyvolume"}) {
        EXPECT_TRUE(h.diskutilCalls(verb).isEmpty()) << verb;
    }
}

TEST(DiskToolActions, OpenShowsTheMountPointInTheFileBrowserAndHelpOpensTheSupportPage) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    QTemporaryDir bin;
    const QString record = bin.filePath("opened");
    QFile script(bin.filePath("xdg-open"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + QFile::encodeName(record) + "'\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const testsupport::ScopedEnv path("PATH", bin.path() + ':' + qEnvironmentVariable("PATH"));
    QList<QUrl> addresses;
    platform::Workspace::setOpenURLForTesting([&](const QUrl& url) {
        addresses << url;
        return true;
    });
    platform::Bundle::setResourcesFolderForTesting(QStringLiteral(TAVRUN_APP_RESOURCES));
    h.open();

    ASSERT_TRUE(h.select("USB"));
    h.click("open");
    ASSERT_TRUE(waitFor([&] { return QFile::exists(record); }));
    QFile opened(record);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(opened.readAll()).trimmed(), h.sim.host("/Volumes/USB"));

    clickButton(h.screen->helpButton());
    EXPECT_EQ(addresses, (QList<QUrl>{QUrl("https://tavrun.example/support/contact/")}));
    platform::Workspace::setOpenURLForTesting({});
    platform::Bundle::setResourcesFolderForTesting({});
}

TEST(DiskToolActions, UnmountThenMountTheSelectedVolumeByItsIdentifier) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = h.sim.attach("usb-exfat") + "s2";
    h.sim.addFault({{"Tool", "diskutil"}, {"Verb", "unmount"}, {"Action", "delay"}, {"DelayMs", 1500}});
    h.open();
    ASSERT_TRUE(h.select("USB"));
    ASSERT_EQ(h.title("mount"), "Unmount");
    h.click("mount");
    // While it runs the row offers nothing, and a second click sends no command of its own.
    EXPECT_TRUE(h.screen->isBusy(node));
    for (const char* id : {"open", "mount", "fristaid", "rename", "format", "eject"}) {
        EXPECT_FALSE(h.usable(id)) << id << " while the command runs";
    }
    h.screen->mountButtonAction();
    h.sim.addFault(
        {{"Tool", "diskutil"}, {"Verb", "list"}, {"Action", "delay"}, {"DelayMs", 1500}, {"Times", 1}});
    ASSERT_TRUE(waitFor([&] { return h.usable("mount"); }, kListLoadMs));
    EXPECT_EQ(h.title("mount"), "Mount") << "nothing is offered before the list shows the new state";
    ASSERT_TRUE(h.waitForListWhere([&] {
        return !h.screen->isBusy(node) && h.volume("USB") && h.volume("USB")->volumeMountPoint.isEmpty();
    }));
    EXPECT_EQ(h.node(node).value("MountPoint"), "");
    EXPECT_EQ(h.diskutilCalls("unmount"), (Calls{{"unmount", node}}));
    EXPECT_TRUE(h.diskutilCalls("mount").isEmpty());
    EXPECT_EQ(h.screen->selectedVolume()->volumeName, "USB") << "the volume acted on stays selected";

    ASSERT_TRUE(h.select("USB"));
    ASSERT_EQ(h.title("mount"), "Mount");
    EXPECT_FALSE(h.usable("open"));
    EXPECT_FALSE(h.usable("fristaid"));
    h.click("mount");
    ASSERT_TRUE(
        h.waitForListWhere([&] { return h.volume("USB") && !h.volume("USB")->volumeMountPoint.isEmpty(); }));
    EXPECT_EQ(h.node(node).value("MountPoint"), "/Volumes/USB");
    EXPECT_EQ(h.diskutilCalls("mount"), (Calls{{"mount", node}}));
}

TEST(DiskToolActions, ABusyVolumeThatCannotBeUnmountedSaysWhy) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = h.sim.attach("usb-exfat") + "s2";
    h.sim.simctl({"set", node, "Busy", "true"});
    h.open();
    ASSERT_TRUE(h.select("USB"));
    QString message;
    h.answers.whenError([&](const QString& text) { message = text; }, h.screen.get(), "unmount-failed");
    h.click("mount");
    ASSERT_TRUE(waitFor([&] { return !message.isEmpty(); }));
    EXPECT_EQ(message, "'USB' could not be unmounted.\nVolume USB on " + node +
                           " failed to unmount: dissented by PID 4242 (simbusy)");
    ASSERT_TRUE(h.waitForList());
    EXPECT_EQ(h.volume("USB")->volumeMountPoint, "/Volumes/USB");
    EXPECT_TRUE(h.usable("mount")) << "usable again once the command has ended";
}

TEST(DiskToolActions, EjectsADiskWhosePartitionHasNoDiskUuid) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString disk = h.sim.attach("usb-fat32-mbr");
    h.open();
    ASSERT_TRUE(h.select("NO NAME"));
    ASSERT_TRUE(h.screen->selectedVolume()->diskUUID.isEmpty());
    h.click("eject");
    ASSERT_TRUE(h.waitForListWhere([&] { return !h.names().contains("NO NAME"); }));
    EXPECT_EQ(h.diskutilCalls("eject"), (Calls{{"eject", disk + "s1"}}));
    const QVariantList detached = h.sim.state().value("Detached").toList();
    ASSERT_EQ(detached.size(), 1);
    EXPECT_EQ(detached.first().toMap().value("Disk").toMap().value("DeviceIdentifier"), disk);
}

TEST(DiskToolRename, RenameModeThenSaveRenamesTheVolumeAndTheListFollowsItsMountPoint) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = h.sim.attach("usb-exfat") + "s2";
    h.sim.attach("usb-hfs");
    h.sim.addFault({{"Tool", "diskutil"}, {"Verb", "rename"}, {"Action", "delay"}, {"DelayMs", 3000}});
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.typeNewName("Photos");
    EXPECT_EQ(h.screen->focusWidget(), h.renameField()) << "rename mode takes the keyboard";
    EXPECT_FALSE(h.cell(h.screen->selectedIndex())->nameLabel()->isVisible())
        << "the field stands in for the name";
    EXPECT_TRUE(h.usable("save"));
    for (const char* id : {"open", "mount", "fristaid", "rename", "format", "eject"}) {
        EXPECT_FALSE(h.usable(id)) << id << " in rename mode";
    }
    screenshot(h.screen.get(), "screen-renaming");

    QElapsedTimer clock;
    clock.start();
    h.click("save");
    EXPECT_LT(clock.elapsed(), 2000) << "diskutil runs in the background";
    EXPECT_FALSE(h.screen->isRenameEdit());
    EXPECT_TRUE(h.screen->isBusy(node));
    EXPECT_FALSE(h.usable("rename"));
    ASSERT_TRUE(h.waitForListWhere([&] { return h.names().contains("Photos"); }));
    EXPECT_EQ(h.screen->selectedVolume()->volumeName, "Photos") << "the renamed volume stays selected";
    EXPECT_EQ(h.diskutilCalls("rename"), (Calls{{"rename", node, "Photos"}}));
    EXPECT_EQ(h.node(node).value("VolumeName"), "Photos");
    EXPECT_EQ(h.volume("Photos")->volumeMountPoint, "/Volumes/Photos")
        << "the list shows the new mount point";
}

TEST(DiskToolRename, AHostileNameReachesDiskutilAsOneUnchangedArgument) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = h.sim.attach("usb-hfs") + "s2";
    h.open();
    const QString hostile = QStringLiteral("$(touch pwned) `id` \"a\" 'b' \\ ; | & > <b>x</b>");
    ASSERT_TRUE(h.select("USB HFS"));
    h.typeNewName(hostile);
    QTest::keyClick(h.renameField(), Qt::Key_Return);  // Return saves
    ASSERT_TRUE(h.waitForListWhere([&] { return h.names().contains(hostile); }));
    EXPECT_EQ(h.diskutilCalls("rename"), (Calls{{"rename", node, hostile}}));
    EXPECT_EQ(h.node(node).value("VolumeName"), hostile);
    EXPECT_FALSE(QFile::exists("pwned"));
    // Shown as it is, never as markup.
    const QLabel* label = h.cell(h.rowOf(hostile))->nameLabel();
    EXPECT_EQ(label->text(), hostile);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->toolTip(), Qt::convertFromPlainText(hostile, Qt::WhiteSpaceNoWrap));
}

namespace {

struct FatName {
    const char* typed;
    const char* sent;
};

void PrintTo(const FatName& name, std::ostream* out) {
    *out << name.typed;
}

class DiskToolFat32Rename : public ::testing::TestWithParam<FatName> {};

}  // namespace

TEST_P(DiskToolFat32Rename, UpperCasedCutToElevenOrNewForChinese) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = h.sim.attach("usb-fat32-mbr") + "s1";
    h.open();
    ASSERT_TRUE(h.select("NO NAME"));
    h.typeNewName(QString::fromUtf8(GetParam().typed));
    const QString sent = QString::fromUtf8(GetParam().sent);
    EXPECT_EQ(h.renameField()->text(), sent) << "the field shows the name the volume will get";
    h.click("save");
    ASSERT_TRUE(h.waitForListWhere([&] { return h.names().contains(sent); }));
    EXPECT_EQ(h.diskutilCalls("rename"), (Calls{{"rename", node, sent}}));
    EXPECT_EQ(h.node(node).value("VolumeName"), sent);
}

INSTANTIATE_TEST_SUITE_P(Names, DiskToolFat32Rename,
                         ::testing::Values(FatName{"my disk", "MY DISK"},
                                           FatName{"abcdefghijklmno", "ABCDEFGHIJK"},
                                           FatName{"备份中", "NEW"}));

TEST(DiskToolRename, ARefusedNameIsShownAsFailedAndTheListKeepsTheTrueName) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = h.sim.attach("usb-exfat") + "s2";
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.typeNewName("much-too-long-for-exfat");
    QString message;
    h.answers.whenError([&](const QString& text) { message = text; });
    h.click("save");
    ASSERT_TRUE(waitFor([&] { return !message.isEmpty(); }));
    EXPECT_EQ(message,
              "'USB' could not be renamed to 'much-too-long-for-exfat'.\n"
              "Failed to rename volume: the name is not valid for this file system");
    ASSERT_TRUE(h.waitForList());
    EXPECT_EQ(h.names(), (QStringList{"Macintosh HD", "USB"}));
    EXPECT_EQ(h.node(node).value("VolumeName"), "USB");
}

TEST(DiskToolRename, AnEmptyOrBlankNameRunsNothingAndLeavesRenameMode) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.click("rename");
    h.click("save");  // never edited
    EXPECT_FALSE(h.screen->isRenameEdit());
    h.typeNewName(" ");
    h.click("save");
    EXPECT_FALSE(h.screen->isRenameEdit());
    EXPECT_TRUE(h.diskutilCalls("rename").isEmpty());
    EXPECT_EQ(h.names(), (QStringList{"Macintosh HD", "USB"}));
}

TEST(DiskToolRename, SelectingAnotherRowDropsTheTypedName) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.typeNewName("Dropped");
    ASSERT_TRUE(h.select("Macintosh HD"));
    EXPECT_FALSE(h.screen->isRenameEdit());
    EXPECT_FALSE(h.button("save")->isVisible());
    ASSERT_TRUE(h.select("USB"));
    EXPECT_EQ(h.renameField()->text(), "USB") << "the field shows the name again";
    h.click("rename");
    h.click("save");
    EXPECT_TRUE(h.diskutilCalls("rename").isEmpty()) << "the typed name was dropped with rename mode";
}
