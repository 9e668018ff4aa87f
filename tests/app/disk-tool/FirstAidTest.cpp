// First Aid from the selected row: the confirmation, verify and repair of healthy and damaged volumes with
// their output as it comes, a tool that hangs, and the volume the user chose staying the one checked.
#include "tests/app/disk-tool/DiskToolHarness.h"

#include "app/disk-tool/FristAidViewController.h"
#include "app/disk-tool/ShowAidViewControllrt.h"
#include "platform/Dispatch.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/controls/AidProgress.h"
#include "ui-kit/controls/TextImageButton.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

using namespace disktooltest;

namespace {

// What the output window showed when its run had ended.
struct Output {
    QStringList rows;
    QString header;
    float bar = 0;
    bool completeUsable = false;
    bool stopUsable = true;
    bool closed = false;
};

// Answers the confirmation with the check button (verify) or "Run" (repair), then waits in the output
// window for the end, records it and presses "Complete". `whileRunning` acts once the output window is up.
void runFirstAid(Harness& h, bool repair, Output& output, const QString& shot = {},
                 const std::function<void(ShowAidViewControllrt&)>& whileRunning = {}) {
    h.answers.when<FristAidViewController>([repair](FristAidViewController& dialog) {
        clickButton(repair ? static_cast<QAbstractButton*>(dialog.repairBut()) : dialog.checkBut());
    });
    h.answers.when<ShowAidViewControllrt>([&output, shot, whileRunning](ShowAidViewControllrt& view) {
        if (whileRunning) {
            whileRunning(view);
        }
        ASSERT_TRUE(waitFor([&] { return view.completeBut()->isUsable(); }, 60000));
        for (int row = 0; row < view.numberOfRowsInTableView(); ++row) {
            output.rows << view.objectValueForRow(row);
        }
        output.header = view.nodeLabel()->text();
        output.bar = view.progress()->filledWidth() / static_cast<float>(view.progress()->width()) * 100.0f;
        output.completeUsable = view.completeBut()->isUsable();
        output.stopUsable = view.stopBut()->isUsable();
        if (!shot.isEmpty()) {
            screenshot(view.window(), shot);
        }
        clickButton(view.completeBut());
        output.closed = !view.window()->isVisible();
    });
    h.click("fristaid");
}

// An HFS+ volume that needs repair, selected; its identifier.
QString selectDamagedVolume(Harness& h) {
    const QString node = h.sim.attach("usb-hfs") + "s2";
    h.sim.simctl({"set", node, "Damaged", "true"});
    h.open();
    EXPECT_TRUE(h.select("USB HFS"));
    return node;
}

bool hasRowContaining(const Output& output, const QString& text) {
    return std::any_of(output.rows.begin(), output.rows.end(),
                       [&](const QString& row) { return row.contains(text); });
}

}  // namespace

TEST(DiskToolFirstAid, VerifiesAHealthyVolumeByItsIdentifierAndShowsEveryPiece) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = h.sim.attach("usb-exfat") + "s2";
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.answers.when<FristAidViewController>([](FristAidViewController& dialog) {
        EXPECT_EQ(dialog.topLabel()->text(), "Run First Aid on 'USB'?");
        EXPECT_EQ(dialog.repairBut()->textField()->text(), "Run");
        EXPECT_EQ(dialog.cancelBut()->textField()->text(), "Cancel");
        screenshot(dialog.window(), "firstaid-confirm");
    });
    Output output;
    runFirstAid(h, false, output, "firstaid-verify-ok");
    EXPECT_EQ(h.diskutilCalls("verifyvolume"), (Calls{{"verifyvolume", node}}));
    EXPECT_TRUE(output.closed);
    EXPECT_TRUE(output.completeUsable);
    EXPECT_FALSE(output.stopUsable);
    EXPECT_FLOAT_EQ(output.bar, 100.0f);
    ASSERT_FALSE(output.rows.isEmpty());
    // One row a chunk of output: on a busy machine the first chunk may hold more than the first line.
    EXPECT_EQ(output.rows.first().section(u'\n', 0, 0),
              "Started file system verification on " + node + " (USB)");
    EXPECT_TRUE(hasRowContaining(output, "The volume USB appears to be OK"));
    EXPECT_TRUE(hasRowContaining(output, "Finished file system verification on " + node + " (USB)"));
    EXPECT_EQ(output.rows.last(), "First Aid found no problems.");
    EXPECT_EQ(output.header, "First Aid found no problems.") << "the header gives the verdict";
    for (const QString& row : output.rows) {
        EXPECT_FALSE(row.endsWith('\n')) << row.toStdString();
    }
}

TEST(DiskToolFirstAid, VerifyingADamagedVolumeShowsTheToolsErrorAndFails) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = selectDamagedVolume(h);
    Output output;
    runFirstAid(h, false, output, "firstaid-verify-damaged");
    EXPECT_TRUE(hasRowContaining(output, "The volume USB HFS was found corrupt and needs to be repaired"));
    EXPECT_TRUE(hasRowContaining(output, "Error: -69845: File system verify or repair failed"))
        << "the tool's standard error is shown too";
    EXPECT_EQ(output.rows.last(), "First Aid failed.");
    EXPECT_TRUE(output.completeUsable);
    EXPECT_TRUE(h.node(node).value("Damaged").toBool()) << "verify only looks";
}

TEST(DiskToolFirstAid, RepairsADamagedVolume) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    const QString node = selectDamagedVolume(h);
    Output output;
    runFirstAid(h, true, output, "firstaid-repair");
    EXPECT_EQ(h.diskutilCalls("repairvolume"), (Calls{{"repairvolume", node}}));
    EXPECT_TRUE(h.diskutilCalls("verifyvolume").isEmpty()) << "Run repairs";
    EXPECT_TRUE(hasRowContaining(output, "The volume USB HFS was repaired successfully"));
    EXPECT_EQ(output.rows.last(), "First Aid finished: the volume is OK.");
    EXPECT_FALSE(h.node(node).value("Damaged").toBool());
    // The repair unmounted and mounted the volume again: the list follows.
    ASSERT_TRUE(h.waitForList());
    EXPECT_EQ(h.volume("USB HFS")->volumeMountPoint, "/Volumes/USB HFS");
}

TEST(DiskToolFirstAid, RepairingAHealthyVolumeSucceeds) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    h.open();
    ASSERT_TRUE(h.select("USB"));
    Output output;
    runFirstAid(h, true, output);
    EXPECT_TRUE(hasRowContaining(output, "The volume USB was repaired successfully"));
    EXPECT_FLOAT_EQ(output.bar, 100.0f);
}

TEST(DiskToolFirstAid, CancelRunsNothing) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    h.open();
    ASSERT_TRUE(h.select("USB"));
    h.answers.when<FristAidViewController>(
        [](FristAidViewController& dialog) { clickButton(dialog.cancelBut()); });
    h.click("fristaid");
    EXPECT_EQ(h.answers.pending(), 0);
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(waitFor([] { return platform::waitForGlobalQueue(std::chrono::milliseconds::zero()); }))
        << "workers the cancel started";
    EXPECT_FALSE(runningDialog<ShowAidViewControllrt>());
    EXPECT_EQ(h.screen->showAidVC(), nullptr);
    EXPECT_TRUE(h.diskutilCalls("verifyvolume").isEmpty());
    EXPECT_TRUE(h.diskutilCalls("repairvolume").isEmpty());
}

TEST(DiskToolFirstAid, AHungToolCanBeStopped) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    h.sim.addFault(
        {{"Tool", "diskutil"}, {"Verb", "verifyvolume"}, {"Action", "hang"}, {"IgnoreSigterm", true}});
    h.open();
    ASSERT_TRUE(h.select("USB"));
    Output output;
    runFirstAid(h, false, output, "firstaid-stopped", [&](ShowAidViewControllrt& view) {
        ASSERT_TRUE(waitFor([&] { return !h.diskutilCalls("verifyvolume").isEmpty(); }));
        EXPECT_FALSE(view.completeBut()->isUsable()) << "the tool has not ended";
        EXPECT_EQ(h.screen->activityText(h.identifierOf("USB")), "Running First Aid…");
        EXPECT_TRUE(view.stopBut()->isUsable());
        screenshot(view.window(), "firstaid-running");
        clickButton(view.stopBut());
        EXPECT_FALSE(view.stopBut()->isUsable());
    });
    EXPECT_EQ(output.rows, QStringList{"First Aid was stopped."});
    EXPECT_TRUE(output.completeUsable);
    EXPECT_FLOAT_EQ(output.bar, 100.0f);
    EXPECT_TRUE(waitFor([&] { return h.screen->activityText(h.identifierOf("USB")).isEmpty(); }))
        << "the row is free again";
}

TEST(DiskToolFirstAid, ALongRunStaysStoppableAfterItsHundredAndFirstPiece) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    QStringList lines;
    for (int line = 1; line <= 240; ++line) {
        lines << QStringLiteral("Checking part %1\n").arg(line);
    }
    h.sim.addFault({{"Tool", "diskutil"},
                    {"Verb", "verifyvolume"},
                    {"Action", "output"},
                    {"LineDelayMs", 12},
                    {"Lines", lines}});
    h.open();
    ASSERT_TRUE(h.select("USB"));
    Output output;
    runFirstAid(h, false, output, {}, [&](ShowAidViewControllrt& view) {
        ASSERT_TRUE(waitFor([&] { return view.numberOfRowsInTableView() >= 102; }, 60000));
        EXPECT_FALSE(view.completeBut()->isUsable()) << "the tool is still writing";
        EXPECT_EQ(view.progress()->filledWidth(), 0.0f) << "a run of unknown length shows no percentage";
        EXPECT_TRUE(view.stopBut()->isUsable());
        clickButton(view.stopBut());
    });
    EXPECT_EQ(output.rows.last(), "First Aid was stopped.");
}

TEST(DiskToolFirstAid, AReloadDuringTheWaitBeforeTheStartKeepsTheVolumeTheUserChose) {
    RepairDiskViewController::Delays delays = fastDelays();
    delays.firstAid = std::chrono::seconds(60);  // the run starts once the test has reloaded the list
    Harness h(QStringLiteral("intel-10.12-hfs"), delays);
    const QString node = h.sim.attach("usb-exfat") + "s2";
    h.open();
    ASSERT_TRUE(h.select("USB"));
    Output output;
    runFirstAid(h, false, output, {}, [&](ShowAidViewControllrt& view) {
        h.sim.attach("usb-hfs");
        ASSERT_TRUE(h.waitForListWhere([&] { return h.names().contains("USB HFS"); }));
        ASSERT_EQ(h.screen->selectedVolume()->volumeName, "USB") << "the reload keeps the selection";
        EXPECT_TRUE(h.diskutilCalls("verifyvolume").isEmpty()) << "still waiting";
        clickButton(view.stopBut());  // ends the wait: the stopped run never starts the tool
    });
    EXPECT_EQ(output.rows, QStringList{"First Aid was stopped."});
    EXPECT_TRUE(h.diskutilCalls("verifyvolume").isEmpty());

    // The same with a wait that ends by itself.
    RepairDiskViewController::Delays shortWait = fastDelays();
    shortWait.firstAid = std::chrono::milliseconds(1500);
    RepairDiskViewController::setDelaysForTesting(shortWait);
    ASSERT_TRUE(h.select("USB"));
    Output second;
    runFirstAid(h, false, second, {}, [&](ShowAidViewControllrt&) {
        h.sim.detach(h.sim.attach("usb-fat32-mbr"));
        ASSERT_TRUE(h.waitForList());
    });
    EXPECT_EQ(h.diskutilCalls("verifyvolume"), (Calls{{"verifyvolume", node}}));
    EXPECT_TRUE(hasRowContaining(second, "The volume USB appears to be OK"));
}

TEST(DiskToolFirstAid, ADiskUnpluggedDuringTheRunEndsItWithTheToolsError) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    h.sim.addFault(
        {{"Tool", "diskutil"}, {"Verb", "verifyvolume"}, {"Action", "detachDisk"}, {"AfterLines", 3}});
    h.open();
    ASSERT_TRUE(h.select("USB"));
    Output output;
    runFirstAid(h, false, output);
    EXPECT_TRUE(hasRowContaining(output, "Error: -69808: The disk disappeared"));
    EXPECT_EQ(output.rows.last(), "First Aid failed.");
    ASSERT_TRUE(h.waitForListWhere([&] { return !h.names().contains("USB"); }));
}

TEST(DiskToolFirstAid, OnePieceOfOutputIsOneRowAndBytesThatAreNotUtf8AddNone) {
    Harness h(QStringLiteral("intel-10.12-hfs"));
    h.sim.attach("usb-exfat");
    h.sim.addFault({{"Tool", "diskutil"},
                    {"Verb", "verifyvolume"},
                    {"Action", "output"},
                    {"LineDelayMs", 150},
                    {"Lines", QStringList{"Checking one\n", "two\nthree\nfour\n", "Überprüfung\n"}},
                    {"Times", 1}});
    h.sim.addFault(
        {{"Tool", "diskutil"}, {"Verb", "verifyvolume"}, {"Action", "garbage"}, {"Kind", "binary"}});
    h.open();
    ASSERT_TRUE(h.select("USB"));
    Output output;
    runFirstAid(h, false, output);
    EXPECT_EQ(output.rows, (QStringList{"Checking one", "two\nthree\nfour", "Überprüfung",
                                        "First Aid found no problems."}));

    ASSERT_TRUE(h.select("USB"));
    Output garbage;
    runFirstAid(h, false, garbage);
    EXPECT_EQ(garbage.rows, QStringList{"First Aid's output could not be read."});
    EXPECT_FLOAT_EQ(garbage.bar, 100.0f);
}
