#include "tests/app/bootable/e2e/CloneHarness.h"

#include "app/sources/SelectValueView.h"
#include "services/jobs/KVBootable.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/Spinner.h"
#include "ui-kit/controls/TextImageButton.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include <gtest/gtest.h>

using namespace bootabletest;

namespace {

using Calls = QList<QStringList>;

Calls callsOf(const testsupport::SimMac& sim, const QString& tool, const QString& verb = {}) {
    Calls calls;
    for (const QStringList& argv : testsupport::toolCalls(sim, tool)) {
        if (verb.isEmpty() || argv.value(0) == verb) {
            calls << argv;
        }
    }
    return calls;
}

QByteArray hostFile(const testsupport::SimMac& sim, const QString& macPath) {
    QFile file(sim.host(macPath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The bar from the start of the erase to the end of the restore: steps 0 to 5, both passes tag by tag, 100.
QList<float> fullRun() {
    QList<float> values{0, 5, 10, 15, 15, 20, 30};
    for (int pass = 1; pass <= 2; ++pass) {
        for (int tag = 1; tag <= 10; ++tag) {
            values << static_cast<float>(3 * tag + (pass == 1 ? 35 : 65));
        }
    }
    return values << 100;
}

const QString kCryptexFile = QStringLiteral("/Cryptexes/OS/System/Library/dyld/dyld_shared_cache_arm64e");

TEST(CloneRoad, AppleSiliconThroughThePickerWithThePrebootRepair) {
    Harness h;
    const QString disk = h.attach(QStringLiteral("256G"));
    screenshot(h.window.get(), QStringLiteral("screen-empty"));
    ASSERT_TRUE(h.pick(disk));
    EXPECT_EQ(h.panelName(), h.screen->toVolume()->volumeName);
    const QString drive =
        QStringLiteral("“%1” (%2)").arg(h.panelName(), h.screen->toVolume()->volumeTotalSize);
    EXPECT_TRUE(h.startUsable());
    screenshot(h.window.get(), QStringLiteral("screen-target-chosen"));

    bool spinsWhileCloning = false;
    h.recorder->onTag = [&](int tag, int pass) {
        if (tag == 5 && pass == 1) {
            screenshot(h.window.get(), QStringLiteral("screen-progress"));
            spinsWhileCloning = h.screen->proView()->isSpinning();
        } else if (tag == 5 && pass == 2) {
            screenshot(h.window.get(), QStringLiteral("screen-progress-later"));
        }
    };
    // During the repair "Cancel" is off and opens no question.
    bool repairCannotBeStopped = false;
    h.recorder->onReport = [&](const KVProgressRecord& record) {
        if (record.iStepCode == 8) {
            click(h.screen->cancelButton());
            repairCannotBeStopped = h.screen->runState() == SelectDrivceViewController::RunState::Repairing &&
                                    !h.screen->cancelButton()->isUsable() && h.screen->cancelWC() == nullptr;
        }
    };
    h.resultShot = QStringLiteral("result-success");
    h.cloneNow();
    ASSERT_TRUE(h.waitForEnd());

    EXPECT_EQ(h.confirmations, 1);
    EXPECT_TRUE(h.questionText.contains(drive) && drive.contains("256")) << h.questionText.toStdString();
    EXPECT_TRUE(repairCannotBeStopped);
    EXPECT_EQ(h.recorder->values, fullRun());
    EXPECT_EQ(h.recorder->statuses,
              (QStringList{" ", "", "Validating target...", "Validating source...", "Validating sizes...",
                           "Cloning...", "Restored target device is /dev/disk5s1.",
                           "Remounting target volume...", "Restore completed successfully.", "Cloning..."}));
    ASSERT_EQ(h.results.size(), 1);
    EXPECT_FALSE(h.results[0].failed);
    EXPECT_EQ(h.results[0].status, "Finishing...");
    EXPECT_TRUE(h.errors.isEmpty()) << h.errors.join('\n').toStdString();

    // The cryptexes went to the cloned disk's own Preboot volume, where diskutil mounted it; the repair then
    // unmounted what it had mounted.
    EXPECT_EQ(callsOf(h.sim, "cp"),
              (Calls{{"-av", "/System/Volumes/Preboot/Cryptexes", "/Volumes/Preboot"}}));
    EXPECT_FALSE(QFileInfo::exists(h.sim.host("/Volumes/Preboot")));
    ASSERT_EQ(h.sim.run("/usr/sbin/diskutil", {"mountDisk", disk}).exitCode, 0);
    EXPECT_EQ(h.sim.info("/Volumes/Preboot").value("ParentWholeDisk"), "disk5");
    EXPECT_EQ(hostFile(h.sim, "/Volumes/Preboot" + kCryptexFile),
              hostFile(h.sim, "/System/Volumes/Preboot" + kCryptexFile));

    // Back at the choice, with no target and the tabs free again.
    EXPECT_FALSE(h.screen->progressView()->isVisible());
    EXPECT_TRUE(spinsWhileCloning);
    EXPECT_FALSE(h.screen->proView()->isSpinning()) << "the hidden progress view's spinner stands still";
    EXPECT_TRUE(h.screen->selectDiskView()->isVisible());
    EXPECT_EQ(h.panelName(), "Click to select a destination...");
    EXPECT_FALSE(h.screen->toVolume());
    EXPECT_FALSE(h.startUsable());
    EXPECT_EQ(h.tabs.flags, (QList<bool>{false, true}));
}

TEST(CloneRoad, IntelMacOnTwelveEndsWithoutRepair) {
    Harness h(QStringLiteral("intel-12"));
    h.choose(h.attach(QStringLiteral("256G")));
    h.cloneNow();
    ASSERT_TRUE(h.waitForEnd());
    EXPECT_EQ(h.recorder->values, fullRun());
    ASSERT_EQ(h.results.size(), 1);
    EXPECT_FALSE(h.results[0].failed);
    EXPECT_EQ(h.results[0].status, "Remounting target volume...") << "the result follows the restore at once";
    EXPECT_TRUE(callsOf(h.sim, "cp").isEmpty());
    EXPECT_TRUE(callsOf(h.sim, "diskutil", "mountDisk").isEmpty());
    for (const QStringList& list : callsOf(h.sim, "diskutil", "list")) {
        EXPECT_EQ(list, (QStringList{"list", "-plist"})) << "no disk of the target is listed for a repair";
    }
}

}  // namespace
