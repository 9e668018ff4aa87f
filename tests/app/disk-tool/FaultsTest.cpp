// Every fault action of the simulated diskutil on every command the screen runs: each ends with a clear
// outcome (a failure shown as one, a stopped run shown as stopped) and a list that shows what is true.
#include "tests/app/disk-tool/DiskToolHarness.h"

#include "app/disk-tool/FormatEndViewController.h"
#include "app/disk-tool/FormatingViewController.h"
#include "app/disk-tool/FristAidViewController.h"
#include "app/disk-tool/MakeSureFormatViewController.h"
#include "app/disk-tool/ShowAidViewControllrt.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "services/disks/ExecCommand.h"
#include "services/disks/WatchMountUnmount.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/controls/TextImageButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>

using namespace disktooltest;

namespace {

// Info: the look at the volume after a rename that took.
enum class Command { List, Mount, Unmount, Eject, Rename, Info, Erase, Reformat, Verify };

const char* verbOf(Command command) {
    switch (command) {
        case Command::List:
            return "list";
        case Command::Mount:
            return "mount";
        case Command::Unmount:
            return "unmount";
        case Command::Eject:
            return "eject";
        case Command::Rename:
            return "rename";
        case Command::Info:
            return "info";
        case Command::Erase:
            return "eraseVolume";
        case Command::Reformat:
            return "reformat";
        case Command::Verify:
            return "verifyvolume";
    }
    return "";
}

QVariantMap faultRule(Command command, const QString& action) {
    QVariantMap rule{{"Tool", "diskutil"}, {"Verb", verbOf(command)}, {"Action", action}, {"Times", 1}};
    if (action == "exit") {
        rule.insert("Stderr", "Error: a simulated refusal");
    } else if (action == "delay") {
        rule.insert("DelayMs", 300);
    } else if (action == "garbage") {
        rule.insert("Kind", "text");
    }
    return rule;
}

// Whether the command's effect takes place under the action: the tool does its work only when it is
// merely slow or reports a failure after the work.
bool takesEffect(const QString& action) {
    return action == "delay" || action == "effectThenExit";
}

// Whether diskutil reports a failure under the action (a lying tool that exits 0 reports none).
bool reportsFailure(const QString& action) {
    return action == "exit" || action == "effectThenExit" || action == "hang" || action == "signal";
}

using FaultCase = std::tuple<Command, const char*>;

class DiskToolFault : public ::testing::TestWithParam<FaultCase> {
protected:
    // Only a hung tool meets a deadline, and every lookup keeps its own thirty seconds: a healthy run ends by
    // itself however busy the machine.
    void SetUp() override {
        if (hangs()) {
            setCommandDeadlineForTesting(std::chrono::seconds(30));
        }
    }

    Command command() const { return std::get<0>(GetParam()); }
    QString action() const { return QLatin1String(std::get<1>(GetParam())); }
    bool hangs() const { return action() == "hang"; }
};

// The format road up to its result view's title.
QString format(Harness& h, const QString& volume) {
    EXPECT_TRUE(h.select(volume));
    h.answers.when<MakeSureFormatViewController>([](MakeSureFormatViewController& dialog) {
        dialog.nameTextFiled()->setText("Wiped");
        clickButton(dialog.okButton());
    });
    QString result;
    h.answers.when<FormatEndViewController>([&](FormatEndViewController& end) {
        result = end.titleLabel()->text();
        clickButton(end.closeButton());
    });
    h.click("format");
    EXPECT_TRUE(h.waitForListWhere([&] { return !result.isEmpty(); }));
    return result;
}

// A verify run's rows once it has ended; a hung tool is stopped.
QStringList verify(Harness& h) {
    EXPECT_TRUE(h.select("USB"));
    QStringList rows;
    h.answers.when<FristAidViewController>(
        [](FristAidViewController& dialog) { clickButton(dialog.checkBut()); });
    h.answers.when<ShowAidViewControllrt>([&](ShowAidViewControllrt& view) {
        const bool ended = waitFor([&] { return view.completeBut()->isUsable(); }, kListLoadMs);
        if (!ended) {
            clickButton(view.stopBut());
            EXPECT_TRUE(waitFor([&] { return view.completeBut()->isUsable(); }));
        }
        for (int row = 0; row < view.numberOfRowsInTableView(); ++row) {
            rows << view.objectValueForRow(row);
        }
        clickButton(view.completeBut());
    });
    h.click("fristaid");
    return rows;
}

}  // namespace

TEST_P(DiskToolFault, GivesAClearOutcomeAndTheTrueList) {
    RepairDiskViewController::Delays delays = fastDelays();
    delays.firstAidDeadline = hangs() ? std::chrono::seconds(10) : std::chrono::minutes(1);
    delays.actionDeadline = hangs() ? std::chrono::seconds(8) : std::chrono::minutes(1);
    Harness h(QStringLiteral("intel-10.12-hfs"), delays);
    const bool apfs = command() == Command::Reformat;
    h.sim.attach(apfs ? "usb-apfs" : "usb-exfat");
    const QString volumeName = apfs ? "USB APFS" : "USB";
    const QString node = h.identifierOf(volumeName);
    if (command() == Command::Mount) {
        ASSERT_EQ(h.sim.run("/usr/sbin/diskutil", {"unmount", node}).exitCode, 0);
    }
    h.open();
    const int loads = h.enumerations();
    const QString uuidBefore = h.node(node).value("VolumeUUID").toString();
    if (command() != Command::Info) {
        h.sim.addFault(faultRule(command(), action()));  // the look after a rename meets it only then
    }
    const bool effect = takesEffect(action());
    // What the row says while the command runs on its volume, and after it failed.
    const auto expectRow = [&](const char* running, const char* failed, bool fails) {
        EXPECT_EQ(h.screen->activityText(node), running);
        // The row is freed by the first list that starts after the command ended.
        ASSERT_TRUE(waitFor([&] { return !h.screen->isBusy(node); }, kListLoadMs));
        EXPECT_EQ(h.screen->activityText(node), fails ? failed : "");
    };
    // The message the command's failure or the look after it shows, with the tool's reason.
    QString message;
    h.answers.whenError([&](const QString& text) { message = text; });
    const auto expectMessage = [&](bool shown, const QString& about) {
        if (shown) {
            ASSERT_TRUE(waitFor([&] { return !message.isEmpty(); }));
            EXPECT_TRUE(message.startsWith(about)) << message.toStdString();
            EXPECT_EQ(message.contains("Error: a simulated refusal"), action() == "exit")
                << message.toStdString();
        } else {
            EXPECT_TRUE(message.isEmpty()) << message.toStdString();
        }
    };

    switch (command()) {
        case Command::List: {
            platform::NotificationCenter::defaultCenter().post(RZVolumeMountNotification);
            ASSERT_TRUE(h.waitForListWhere([&] { return h.enumerations() == loads + 1; }));
            // A list it cannot read says so and offers to try again, which shows the volumes again.
            EXPECT_EQ(h.names().isEmpty(), !effect);
            EXPECT_FALSE(h.screen->loadProView()->isVisible());
            EXPECT_EQ(h.screen->unreadableView()->isVisible(), !effect);
            if (action() == "exit") {
                screenshot(h.screen.get(), "list-unreadable");
            }
            if (effect) {
                platform::NotificationCenter::defaultCenter().post(RZVolumeMountNotification);
            } else {
                clickButton(h.screen->tryAgainButton());
            }
            ASSERT_TRUE(h.waitForListWhere([&] { return h.enumerations() == loads + 2; }));
            EXPECT_EQ(h.names(), (QStringList{"Macintosh HD", "USB"}));
            EXPECT_FALSE(h.screen->unreadableView()->isVisible());
            break;
        }
        case Command::Mount:
        case Command::Unmount: {
            ASSERT_TRUE(h.select(volumeName));
            h.click("mount");
            const bool mount = command() == Command::Mount;
            expectRow(mount ? "Mounting…" : "Unmounting…", mount ? "Mount failed" : "Unmount failed",
                      reportsFailure(action()));
            ASSERT_TRUE(h.waitForListWhere([&] { return h.enumerations() > loads; }));
            const QString truth = h.node(node).value("MountPoint").toString();
            EXPECT_EQ(h.volume(volumeName)->volumeMountPoint, truth);
            const bool mountedNow = !truth.isEmpty();
            EXPECT_EQ(mountedNow, (command() == Command::Mount) == effect);
            expectMessage(reportsFailure(action()), command() == Command::Mount
                                                        ? "'USB' could not be mounted.\n"
                                                        : "'USB' could not be unmounted.\n");
            break;
        }
        case Command::Eject: {
            ASSERT_TRUE(h.select(volumeName));
            h.click("eject");
            expectRow("Ejecting…", "Eject failed", reportsFailure(action()));
            if (effect) {
                ASSERT_TRUE(h.waitForListWhere([&] { return !h.names().contains(volumeName); }));
            } else {
                ASSERT_TRUE(waitFor([&] { return h.diskutilCalls("eject").size() == 1; }));
                platform::waitForGlobalQueue(std::chrono::seconds(10));
                ASSERT_TRUE(h.waitForList());
                EXPECT_TRUE(h.names().contains(volumeName));
            }
            const bool attached = h.sim.state().value("Detached").toList().isEmpty();
            EXPECT_EQ(attached, !effect);
            expectMessage(reportsFailure(action()), "'USB' could not be ejected.\n");
            break;
        }
        case Command::Rename: {
            ASSERT_TRUE(h.select(volumeName));
            h.typeNewName("Renamed");
            h.click("save");
            // A tool that exits 0 without renaming is caught by the look afterwards.
            expectRow("Renaming…", "Rename failed", action() != "delay");
            ASSERT_TRUE(h.waitForListWhere([&] { return !h.screen->isBusy(node); }));
            expectMessage(action() != "delay", "'USB' could not be renamed to 'Renamed'.\n");
            const QString truth = h.node(node).value("VolumeName").toString();
            EXPECT_EQ(truth, effect ? "Renamed" : "USB");
            EXPECT_TRUE(h.waitForListWhere([&] { return h.names().contains(truth); }))
                << "the list shows the truth";
            break;
        }
        case Command::Info: {
            // The rename took: only the look at it fails, and says so as its own message.
            ASSERT_TRUE(h.select(volumeName));
            h.typeNewName("Renamed");
            h.sim.addFault(faultRule(command(), action()));
            h.click("save");
            ASSERT_TRUE(h.waitForListWhere([&] { return !h.screen->isBusy(node); }));
            const bool readable = action() == "delay" || action() == "effectThenExit";
            if (!readable) {
                ASSERT_TRUE(waitFor([&] { return !message.isEmpty(); }));
            }
            EXPECT_EQ(message, readable ? QString()
                                        : "'USB' was renamed to 'Renamed'.\nThe volume could not be read "
                                          "afterwards to confirm it.");
            EXPECT_EQ(h.node(node).value("VolumeName"), "Renamed");
            ASSERT_TRUE(h.waitForListWhere([&] { return h.names().contains("Renamed"); }));
            EXPECT_EQ(h.screen->selectedVolume()->volumeName, "Renamed")
                << "the renamed volume stays selected";
            break;
        }
        case Command::Erase:
        case Command::Reformat: {
            const QString result = format(h, volumeName);
            EXPECT_EQ(result, action() == "delay" ? "Format completed" : "Format failed");
            EXPECT_EQ(h.node(node).value("VolumeUUID").toString() != uuidBefore, effect) << "erased";
            EXPECT_EQ(h.node(node).value("VolumeName"), effect ? "Wiped" : volumeName)
                << "a volume that was not erased keeps its name";
            EXPECT_FALSE(runningDialog<FormatingViewController>());
            break;
        }
        case Command::Verify: {
            const QStringList rows = verify(h);
            const QString last = rows.isEmpty() ? QString() : rows.last();
            if (hangs()) {
                EXPECT_EQ(rows, QStringList{"First Aid did not finish in time and was stopped."});
            } else if (action() == "delay") {
                EXPECT_TRUE(rows.join('\n').contains("appears to be OK"));
                EXPECT_EQ(last, "First Aid found no problems.");
            } else if (action() == "garbage") {
                EXPECT_EQ(rows, (QStringList{"Could not find disk: x", "First Aid found no problems."}));
            } else if (action() == "empty") {
                EXPECT_EQ(rows, QStringList{"First Aid's output could not be read."});
            } else {
                EXPECT_EQ(last, "First Aid failed.");
            }
            if (action() == "exit") {
                EXPECT_TRUE(rows.contains("Error: a simulated refusal"));
            }
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Actions, DiskToolFault,
                         ::testing::Combine(::testing::Values(Command::List, Command::Mount, Command::Unmount,
                                                              Command::Eject, Command::Rename, Command::Info,
                                                              Command::Erase, Command::Reformat,
                                                              Command::Verify),
                                            ::testing::Values("exit", "effectThenExit", "hang", "delay",
                                                              "garbage", "empty", "signal")),
                         [](const auto& param) {
                             return std::string(verbOf(std::get<0>(param.param))) + "_" +
                                    std::get<1>(param.param);
                         });
