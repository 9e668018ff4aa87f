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

// The disk that holds the running system is not offered, whatever its bus; chosen anyway, it is refused.
struct SystemDiskRow {
    const char* name;
    const char* preset;
    QStringList wholeDisks;  // the container (APFS) and the physical disk that hold "/"
};

void PrintTo(const SystemDiskRow& row, std::ostream* out) {
    *out << row.name;
}

class SystemDisk : public ::testing::TestWithParam<SystemDiskRow> {};

TEST_P(SystemDisk, IsNotOfferedAndIsRefused) {
    Harness h(QLatin1String(GetParam().preset));
    EXPECT_EQ(h.screen->systemVolume().wholeDisks, GetParam().wholeDisks);
    EXPECT_TRUE(h.pick(h.attach(QStringLiteral("256G"))));
    EXPECT_FALSE(h.pick(QStringLiteral("disk0")));

    h.errorShot = QStringLiteral("error-boot-disk");
    VolumeObj systemDisk;  // the picker's record, had it offered the disk
    systemDisk.volumePath = QStringLiteral("disk0");
    h.screen->doSelectDiskWithVolume(systemDisk);
    EXPECT_EQ(h.errors, QStringList{sources::kSameVolumeMessage});
    EXPECT_FALSE(h.screen->toVolume());
    EXPECT_EQ(h.panelName(), "Click to select a destination...");
    EXPECT_FALSE(h.startUsable());
}

INSTANTIATE_TEST_SUITE_P(
    Clone, SystemDisk,
    ::testing::Values(SystemDiskRow{"AppleSilicon13", "apple-silicon-13", {"disk3", "disk0"}},
                      SystemDiskRow{"Intel12", "intel-12", {"disk1", "disk0"}},
                      SystemDiskRow{"Intel10_14", "intel-10.14", {"disk1", "disk0"}},
                      SystemDiskRow{"Intel10_12Hfs", "intel-10.12-hfs", {"disk0"}}),
    [](const auto& row) { return std::string(row.param.name); });

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
