#include "tests/app/bootable/e2e/CloneHarness.h"

#include "app/sources/ScreenMessages.h"
#include "app/sources/SelectValueView.h"
#include "services/jobs/KVBootable.h"
#include "ui-kit/controls/ImageControl.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace bootabletest;

namespace {

using State = SelectDrivceViewController::RunState;

QString driveImage(const Harness& h) {
    return h.screen->selectToVC()->selectDiskBut()->imageName();
}

QString background(const Harness& h) {
    return h.screen->selectToVC()->bgImageView()->imageName();
}

TEST(Choice, SystemDriveIsTheFixedSource) {
    Harness h;
    SelectValueView* source = h.screen->selectFromVC();
    EXPECT_EQ(source->nameLabel()->text(), "System Drive");
    EXPECT_EQ(h.screen->usedSize(), 494384795648 - h.sim.info("/").value("APFSContainerFree").toLongLong());
    EXPECT_EQ(source->bgImageView()->imageName(), "source_sel");
    source->mouseDownAction();
    EXPECT_FALSE(h.screen->diskPicker().isVisible()) << "the source cannot be chosen";

    h.screen->selectToVC()->mouseDownAction();
    EXPECT_TRUE(waitFor([&] { return h.screen->diskPicker().isVisible(); }));
    h.screen->selectToVC()->mouseDownAction();
    EXPECT_TRUE(waitFor([&] { return !h.screen->diskPicker().isVisible(); })) << "a second click closes it";
}

TEST(Choice, TargetTooSmallThenLargeEnough) {
    Harness h;
    const QString small = h.attach(QStringLiteral("64G"));
    const QString large = h.attach(QStringLiteral("256G"));
    h.errorShot = QStringLiteral("error-insufficient-space");
    h.choose(small);
    EXPECT_EQ(h.errors, QStringList{sources::kInsufficientSpaceMessage});
    EXPECT_FALSE(h.startUsable());
    EXPECT_EQ(driveImage(h), "add");
    EXPECT_EQ(background(h), "source_sel_error");
    screenshot(h.window.get(), QStringLiteral("screen-target-too-small"));

    h.choose(large);
    EXPECT_EQ(h.errors.size(), 1);
    EXPECT_TRUE(h.startUsable());
    EXPECT_EQ(driveImage(h), "ic_disk_usb");
    EXPECT_EQ(background(h), "source_sel");
    EXPECT_EQ(h.screen->freeSize(), 256000000000);
}

// The picker lists a SATA system disk as external; the screen refuses to erase it.
TEST(Choice, BootDiskIsRefused) {
    Harness h(QStringLiteral("intel-10.14"));
    EXPECT_EQ(h.screen->systemVolume().wholeDisks, (QStringList{"disk1", "disk0"}));
    h.errorShot = QStringLiteral("error-boot-disk");
    ASSERT_TRUE(h.pick(QStringLiteral("disk0")));
    EXPECT_EQ(h.errors, QStringList{sources::kSameVolumeMessage});
    EXPECT_FALSE(h.screen->toVolume());
    EXPECT_EQ(h.panelName(), "Click to select a destination...");
    EXPECT_FALSE(h.startUsable());
}

TEST(Choice, RefusedStartReturnsToTheChoice) {
    Harness h;
    h.sim.addFault({{"Tool", "killall"}, {"Action", "hang"}});
    VolumeObj busy;  // a job of someone else's holds the engine
    busy.volumePath = h.attach(QStringLiteral("256G"), QStringLiteral("usb-exfat"), QStringLiteral("Other"));
    ASSERT_EQ(KVBootable::KVShareInstance()->KVStart(&busy), 0);
    h.choose(h.attach(QStringLiteral("256G")));
    h.cloneNow();
    EXPECT_EQ(h.errors, QStringList{SelectDrivceViewController::kStartFailedMessage});
    EXPECT_EQ(h.screen->runState(), State::Done);
    EXPECT_TRUE(h.screen->selectDiskView()->isVisible());
    EXPECT_FALSE(h.screen->progressView()->isVisible());
    EXPECT_EQ(h.tabs.flags, (QList<bool>{false, true}));
    EXPECT_TRUE(h.results.isEmpty());
}

}  // namespace
