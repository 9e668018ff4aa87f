// The mount watcher hears the simulated Mac's event log and reposts mounts and unmounts.
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "platform/Workspace.h"
#include "services/disks/WatchMountUnmount.h"

#include "tests/support/SimEventsTest.h"
#include "tests/support/TestEnv.h"

#include <QUrl>

#include <gtest/gtest.h>

using platform::NotificationCenter;
using platform::Workspace;

namespace {

using SimEvents = testsupport::SimEventsTest;

TEST_F(SimEvents, WatcherHearsMountAndUnmountAreRepostedWithTheWorkspacesUserInfo) {
    append(line(1, "didMount", "disk2s1", "/Volumes/Old", "Old"));  // before the watcher: nobody hears it
    WatchMountUnmount watcher;
    QList<QVariantMap> mounts;
    QList<QVariantMap> unmounts;
    bool onMain = true;
    auto mountToken = NotificationCenter::defaultCenter().addObserver(
        RZVolumeMountNotification, [&](const QVariantMap& info) {
            mounts.append(info);
            onMain = onMain && platform::isMainThread();
        });
    auto unmountToken = NotificationCenter::defaultCenter().addObserver(
        RZVolumeUnmountNotification, [&](const QVariantMap& info) { unmounts.append(info); });

    append(line(2, "diskAppeared", "disk4") + line(3, "diskAppeared", "disk4s2") +
           line(4, "didMount", "disk4s2", "/Volumes/My USB", "My USB") + QByteArray("5\tdidUnmount\tdisk4"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !mounts.isEmpty(); }, 5000));
    EXPECT_EQ(mounts.size(), 1);
    EXPECT_TRUE(onMain);
    EXPECT_EQ(mounts[0], (QVariantMap{{Workspace::DevicePathKey, "/Volumes/My USB"},
                                      {Workspace::VolumeLocalizedNameKey, "My USB"},
                                      {Workspace::VolumeURLKey, QUrl("file:///Volumes/My%20USB/")}}));
    EXPECT_TRUE(unmounts.isEmpty()) << "a line is delivered only once it is complete";

    append(QByteArray("s2\t/Volumes/My%20USB\tMy%20USB\t\n") +
           line(6, "didRename", "disk4s2", "/Volumes/New", "New"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !unmounts.isEmpty(); }, 5000));
    EXPECT_EQ(unmounts[0].value(Workspace::DevicePathKey), "/Volumes/My USB");
    EXPECT_EQ(mounts.size(), 1) << "a rename is delivered to nobody";
}

}  // namespace
