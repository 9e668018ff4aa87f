// The mount watcher hears the simulated Mac's event log and reposts mounts and unmounts.
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "platform/Workspace.h"
#include "services/disks/WatchMountUnmount.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

using platform::NotificationCenter;
using platform::Workspace;

namespace {

QByteArray line(int seq, const char* event, const QString& bsd, const QString& mountPoint = {},
                const QString& name = {}) {
    return QByteArray::number(seq) + '\t' + event + '\t' + bsd.toUtf8().toPercentEncoding() + '\t' +
           mountPoint.toUtf8().toPercentEncoding("/") + '\t' + name.toUtf8().toPercentEncoding() + "\t\n";
}

class SimEvents : public ::testing::Test {
protected:
    void append(const QByteArray& bytes) const {
        QDir().mkpath(sim_.host("/.sim"));
        QFile out(sim_.host("/.sim/events.log"));
        ASSERT_TRUE(out.open(QIODevice::Append));
        out.write(bytes);
    }

    testsupport::TempSimRoot sim_;
};

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
