#include "platform/DiskArbitration.h"
#include "platform/Dispatch.h"
#include "platform/FileManager.h"
#include "platform/PropertyList.h"
#include "platform/SimEventLog.h"
#include "platform/Workspace.h"

#include "tests/support/SimEventsTest.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

using platform::DiskArbitration;
using platform::NotificationCenter;
using platform::SimEventLog;
using platform::Workspace;

namespace {

using SimEvents = testsupport::SimEventsTest;

TEST(SimEventLine, FieldsArePercentDecoded) {
    const auto event =
        SimEventLog::parseLine("17\tdidMount\tdisk4s2\t/Volumes/A%09B%20%E2%9C%93\tA%09B%20%E2%9C%93\t");
    ASSERT_TRUE(event);
    EXPECT_EQ(event->seq, 17);
    EXPECT_EQ(event->name, "didMount");
    EXPECT_EQ(event->bsdName, "disk4s2");
    EXPECT_EQ(event->mountPoint, QString::fromUtf8("/Volumes/A\tB \u2713"));
    EXPECT_EQ(event->volumeName, QString::fromUtf8("A\tB \u2713"));
    EXPECT_TRUE(event->oldMountPoint.isEmpty());
    EXPECT_FALSE(SimEventLog::parseLine("17\tdidMount\tdisk4s2"));
    EXPECT_FALSE(SimEventLog::parseLine("x\tdidMount\tdisk4s2\t\t\t"));
    EXPECT_FALSE(SimEventLog::parseLine("17\t\tdisk4s2\t\t\t"));
    EXPECT_FALSE(SimEventLog::parseLine(""));
}

TEST_F(SimEvents, DiskArbitrationReportsAppearedAndDisappearedNodesWhileItsSessionLives) {
    QStringList seen;
    auto session = std::make_unique<DiskArbitration::Session>();
    session->registerDiskAppearedCallback([&](const QString& bsd) { seen << "+" + bsd; });
    session->registerDiskDisappearedCallback([&](const QString& bsd) { seen << "-" + bsd; });
    // The log appears only now: all of it is new.
    append(line(1, "diskAppeared", "disk4") + line(2, "diskAppeared", "disk4s1") +
           line(3, "didUnmount", "disk4s1", "/Volumes/USB", "USB") + line(4, "diskDisappeared", "disk4s1") +
           line(5, "diskDisappeared", "disk4"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return seen.size() == 4; }, 5000));
    EXPECT_EQ(seen, (QStringList{"+disk4", "+disk4s1", "-disk4s1", "-disk4"}));

    session.reset();
    append(line(6, "diskAppeared", "disk5"));
    testsupport::waitUntil([] { return false; }, 600);
    EXPECT_EQ(seen.size(), 4);
}

TEST_F(SimEvents, FollowingANewSimulatedMacStartsAtItsEnd) {
    append(line(1, "didMount", "disk4s2", "/Volumes/USB", "USB"));
    QStringList mounted;
    auto token = Workspace::notificationCenter().addObserver(
        Workspace::DidMountNotification,
        [&](const QVariantMap& info) { mounted << info.value(Workspace::DevicePathKey).toString(); });
    testsupport::waitUntil([] { return false; }, 600);
    EXPECT_TRUE(mounted.isEmpty());
    {
        testsupport::TempSimRoot other;
        QDir().mkpath(other.host("/.sim"));
        QFile log(other.host("/.sim/events.log"));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write(line(1, "didMount", "disk9s1", "/Volumes/Earlier", "Earlier"));
        log.flush();
        Workspace::notificationCenter();  // follows the new root from its present end
        log.write(line(2, "didMount", "disk9s1", "/Volumes/Later", "Later"));
        log.flush();
        ASSERT_TRUE(testsupport::waitUntil([&] { return !mounted.isEmpty(); }, 5000));
        EXPECT_EQ(mounted, QStringList{"/Volumes/Later"});
    }
}

class Inventory : public ::testing::Test {
protected:
    void SetUp() override {
        const auto volume = [](const char* id, const char* mountPoint) {
            return QVariantMap{{"DeviceIdentifier", id}, {"MountPoint", mountPoint}};
        };
        const QVariantMap state{
            {"SchemaVersion", 1},
            {"Disks",
             QVariantList{
                 QVariantMap{{"DeviceIdentifier", "disk0"},
                             {"Partitions", QVariantList{volume("disk0s1", ""), volume("disk0s2", "")}}},
                 QVariantMap{
                     {"DeviceIdentifier", "disk4"},
                     {"Partitions", QVariantList{volume("disk4s1", ""), volume("disk4s2", "/Volumes/USB")}}},
                 QVariantMap{{"DeviceIdentifier", "disk3"},
                             {"APFSVolumes", QVariantList{volume("disk3s5", "/System/Volumes/Data"),
                                                          volume("disk3s1", "/")}}},
             }}};
        sim_.writeFile("/.sim/state.plist", platform::PropertyList::toXml(state));
        for (const char* folder : {"/Volumes/USB/sub/folder", "/System/Volumes/Data/Users", "/Users"}) {
            QDir().mkpath(sim_.host(folder));
        }
        QFile::link("..", sim_.host("/Volumes/Macintosh HD"));
    }

    testsupport::TempSimRoot sim_;
};

TEST_F(Inventory, BsdNameOfTheVolumeHoldingAPath) {
    EXPECT_EQ(DiskArbitration::bsdNameForVolumePath("/"), QStringLiteral("disk3s1"));
    EXPECT_EQ(DiskArbitration::bsdNameForVolumePath("/Volumes/USB"), QStringLiteral("disk4s2"));
    EXPECT_EQ(DiskArbitration::bsdNameForVolumePath("/Volumes/USB/"), QStringLiteral("disk4s2"));
    EXPECT_EQ(DiskArbitration::bsdNameForVolumePath("/Volumes/USB/sub/folder"), QStringLiteral("disk4s2"));
    EXPECT_EQ(DiskArbitration::bsdNameForVolumePath("/System/Volumes/Data/Users"), QStringLiteral("disk3s5"));
    EXPECT_EQ(DiskArbitration::bsdNameForVolumePath("/Volumes/Macintosh HD"), QStringLiteral("disk3s1"));
    EXPECT_EQ(DiskArbitration::bsdNameForVolumePath("/Users"), QStringLiteral("disk3s1"));
    EXPECT_FALSE(DiskArbitration::bsdNameForVolumePath("/Volumes/Gone"));
    EXPECT_FALSE(DiskArbitration::bsdNameForVolumePath("/../etc"));
    QFile::remove(sim_.host("/.sim/state.plist"));
    EXPECT_FALSE(DiskArbitration::bsdNameForVolumePath("/Volumes/USB"));
}

TEST_F(Inventory, FileManagerVolumesByIndex) {
    EXPECT_FALSE(platform::FileManager::volumeRootForIndex(0));
    EXPECT_FALSE(platform::FileManager::volumeRootForIndex(-1));
    EXPECT_EQ(platform::FileManager::volumeRootForIndex(1), QStringLiteral("/"));
    EXPECT_EQ(platform::FileManager::volumeRootForIndex(2), QStringLiteral("/Volumes/USB"));
    EXPECT_EQ(platform::FileManager::volumeRootForIndex(3), QStringLiteral("/System/Volumes/Data"));
    EXPECT_FALSE(platform::FileManager::volumeRootForIndex(4));
}

}  // namespace
