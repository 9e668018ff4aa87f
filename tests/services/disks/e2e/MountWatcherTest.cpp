// The workspace's mount and unmount notifications, reposted by the mount watcher, and Disk Arbitration's
// appeared and disappeared callbacks, as a simulated Mac's disks come and go.
#include "tests/services/disks/e2e/VolumeEnumeration.h"

#include "platform/DiskArbitration.h"
#include "platform/NotificationCenter.h"
#include "platform/Workspace.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"
#include "services/disks/WatchMountUnmount.h"

#include <QUrl>

using platform::NotificationCenter;
using platform::Workspace;
using testsupport::SimMac;

namespace {

class Watcher : public ::testing::Test {
protected:
    Watcher() {
        mountToken_ = NotificationCenter::defaultCenter().addObserver(
            RZVolumeMountNotification, [this](const QVariantMap& info) {
                heard_ << "mount " + info.value(Workspace::DevicePathKey).toString();
                last_ = info;
            });
        unmountToken_ = NotificationCenter::defaultCenter().addObserver(
            RZVolumeUnmountNotification, [this](const QVariantMap& info) {
                heard_ << "unmount " + info.value(Workspace::DevicePathKey).toString();
                last_ = info;
            });
    }
    // Waits until `count` notifications came, and a little longer for any that should not come.
    QStringList heard(qsizetype count) {
        EXPECT_TRUE(testsupport::waitUntil([&] { return heard_.size() >= count; }, 10000))
            << heard_.join(", ").toStdString();
        testsupport::waitUntil([] { return false; }, 400);
        return std::exchange(heard_, {});
    }

    SimMac sim_{"apple-silicon-13"};
    WatchMountUnmount watcher_;
    QStringList heard_;
    QVariantMap last_;
    NotificationCenter::Token mountToken_;
    NotificationCenter::Token unmountToken_;
};

TEST_F(Watcher, PlugMountUnmountAndUnplug) {
    const QString disk = sim_.attach("usb-exfat", {"--name", "My USB"});
    EXPECT_EQ(heard(1), QStringList{"mount /Volumes/My USB"});
    EXPECT_EQ(last_, (QVariantMap{{Workspace::DevicePathKey, "/Volumes/My USB"},
                                  {Workspace::VolumeLocalizedNameKey, "My USB"},
                                  {Workspace::VolumeURLKey, QUrl("file:///Volumes/My%20USB/")}}));

    aepairExecCommand(disk::DiskUtilCommands::unmount(disk + "s2"));
    EXPECT_EQ(heard(1), QStringList{"unmount /Volumes/My USB"});
    eraserExecCommand(disk::DiskUtilCommands::mount(disk + "s2"));
    EXPECT_EQ(heard(1), QStringList{"mount /Volumes/My USB"});

    sim_.detach(disk, true);
    EXPECT_EQ(heard(1), QStringList{"unmount /Volumes/My USB"});
}

TEST_F(Watcher, EjectingByDiskUuidUnmountsEveryVolumeOnce) {
    const QString disk = sim_.attach("usb-fat32-mbr", {"--name", "CAMERA"});
    const QString second = sim_.attach("usb-hfs");
    EXPECT_EQ(heard(2), (QStringList{"mount /Volumes/CAMERA", "mount /Volumes/USB HFS"}));
    const QString uuid = sim_.info(second + "s2").value("DiskUUID").toString();
    ASSERT_FALSE(uuid.isEmpty());
    aepairExecCommand(disk::DiskUtilCommands::eject(uuid));
    EXPECT_EQ(heard(1), QStringList{"unmount /Volumes/USB HFS"});
    sim_.detach(disk, false);
    EXPECT_EQ(heard(1), QStringList{"unmount /Volumes/CAMERA"});
}

TEST_F(Watcher, AVolumeMountedTwiceUnderOneNameGetsItsOwnPath) {
    sim_.attach("usb-exfat");
    sim_.attach("usb-exfat");
    EXPECT_EQ(heard(2), (QStringList{"mount /Volumes/USB", "mount /Volumes/USB 1"}));
}

TEST_F(Watcher, AttachingAndDetachingADiskImage) {
    const QString image = attachImage(sim_, "TavrunDmg");
    EXPECT_EQ(heard(1), QStringList{"mount /Volumes/TavrunDmg"});
    EXPECT_EQ(sim_.run("/usr/bin/hdiutil", {"detach", image}).exitCode, 0);
    EXPECT_EQ(heard(1), QStringList{"unmount /Volumes/TavrunDmg"});
}

TEST(DiskArbitrationSession, ReportsEachDiskAndNodeAsItAppearsAndDisappears) {
    SimMac sim("intel-12");
    QStringList seen;
    platform::DiskArbitration::Session session;
    session.registerDiskAppearedCallback([&](const QString& bsd) { seen << "+" + bsd; });
    session.registerDiskDisappearedCallback([&](const QString& bsd) { seen << "-" + bsd; });
    const QString disk = sim.attach("usb-exfat");
    ASSERT_TRUE(testsupport::waitUntil([&] { return seen.size() == 3; }, 10000));
    EXPECT_EQ(seen, (QStringList{"+" + disk, "+" + disk + "s1", "+" + disk + "s2"}));
    seen.clear();
    sim.detach(disk, true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return seen.size() == 3; }, 10000));
    EXPECT_EQ(seen.last(), "-" + disk) << "the nodes first, then the disk";
}

}  // namespace
