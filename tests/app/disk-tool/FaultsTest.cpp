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

enum class Command { List, Mount, Unmount, Eject, Rename, Erase, Reformat, Verify };

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

using FaultCase = std::tuple<Command, const char*>;

class DiskToolFault : public ::testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override { setCommandDeadlineForTesting(std::chrono::milliseconds(4000)); }
    void TearDown() override { setCommandDeadlineForTesting(std::chrono::minutes(10)); }

    Command command() const { return std::get<0>(GetParam()); }
    QString action() const { return QLatin1String(std::get<1>(GetParam())); }
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
        const bool ended = waitFor([&] { return view.completeBut()->isUsable(); }, 3000);
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
    Harness h(QStringLiteral("intel-10.12-hfs"));
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
    h.sim.addFault(faultRule(command(), action()));
    const bool effect = takesEffect(action());

    switch (command()) {
        case Command::List: {
            platform::NotificationCenter::defaultCenter().post(RZVolumeMountNotification);
            ASSERT_TRUE(h.waitForListWhere([&] { return h.enumerations() == loads + 1; }));
            // Output it cannot read leaves an empty list; the next load shows the volumes again.
            EXPECT_EQ(h.names().isEmpty(), !effect);
            EXPECT_FALSE(h.screen->loadProView()->isVisible());
            platform::NotificationCenter::defaultCenter().post(RZVolumeMountNotification);
            ASSERT_TRUE(h.waitForListWhere([&] { return h.enumerations() == loads + 2; }));
            EXPECT_EQ(h.names(), (QStringList{"Macintosh HD", "USB"}));
            break;
        }
        case Command::Mount:
        case Command::Unmount: {
            ASSERT_TRUE(h.select(volumeName));
            h.click("mount");
            ASSERT_TRUE(h.waitForListWhere([&] { return h.enumerations() > loads; }));
            const QString truth = h.node(node).value("MountPoint").toString();
            EXPECT_EQ(h.volume(volumeName)->volumeMountPoint, truth);
            const bool mountedNow = !truth.isEmpty();
            EXPECT_EQ(mountedNow, (command() == Command::Mount) == effect);
            break;
        }
        case Command::Eject: {
            ASSERT_TRUE(h.select(volumeName));
            h.click("eject");
            if (effect) {
                ASSERT_TRUE(h.waitForListWhere([&] { return !h.names().contains(volumeName); }));
            } else {
                ASSERT_TRUE(waitFor([&] { return h.diskutilCalls("eject").size() == 1; }));
                platform::waitForGlobalQueue(10000);
                ASSERT_TRUE(h.waitForList());
                EXPECT_TRUE(h.names().contains(volumeName));
            }
            const bool attached = h.sim.state().value("Detached").toList().isEmpty();
            EXPECT_EQ(attached, !effect);
            break;
        }
        case Command::Rename: {
            ASSERT_TRUE(h.select(volumeName));
            QString message;
            h.answers.whenError([&](const QString& text) { message = text; });
            h.typeNewName("Renamed");
            h.click("save");
            ASSERT_TRUE(h.waitForList());
            const bool succeeded = action() == "delay";
            EXPECT_EQ(message.isEmpty(), succeeded) << message.toStdString();
            const QString truth = h.node(node).value("VolumeName").toString();
            EXPECT_EQ(truth, effect ? "Renamed" : "USB");
            EXPECT_TRUE(h.names().contains(truth)) << "the list shows the true name";
            break;
        }
        case Command::Erase:
        case Command::Reformat: {
            const QString result = format(h, volumeName);
            EXPECT_EQ(result, action() == "delay" ? "Format completed" : "Format failed");
            EXPECT_EQ(h.node(node).value("VolumeUUID").toString() != uuidBefore, effect) << "erased";
            EXPECT_FALSE(runningDialog<FormatingViewController>());
            break;
        }
        case Command::Verify: {
            const QStringList rows = verify(h);
            const QString last = rows.isEmpty() ? QString() : rows.last();
            if (action() == "hang") {
                EXPECT_EQ(rows, QStringList{"First Aid was stopped."});
            } else if (action() == "delay") {
                EXPECT_TRUE(rows.join('\n').contains("appears to be OK"));
            } else if (action() == "garbage") {
                EXPECT_EQ(rows, QStringList{"Could not find disk: x"});
            } else if (action() == "empty") {
                EXPECT_TRUE(rows.isEmpty());
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
                                                              Command::Eject, Command::Rename, Command::Erase,
                                                              Command::Reformat, Command::Verify),
                                            ::testing::Values("exit", "effectThenExit", "hang", "delay",
                                                              "garbage", "empty", "signal")),
                         [](const auto& param) {
                             return std::string(verbOf(std::get<0>(param.param))) + "_" +
                                    std::get<1>(param.param);
                         });
