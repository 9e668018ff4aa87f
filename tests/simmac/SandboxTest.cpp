#include "tests/support/SimMac.h"

#include "simmac/state/Mounter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testsupport::SimMac;
using testsupport::ToolRun;

namespace {

QStringList entriesAround(const SimMac& mac) {
    return QDir(mac.root() + "/..").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Volume names that look like paths never leave "/Volumes", whatever the verb that names or mounts them.
TEST(Sandbox, HostileVolumeNamesStayInsideVolumes) {
    SimMac mac;
    const QStringList before = entriesAround(mac);
    const QString disk = mac.attach("usb-hfs", {"--name", "../../x"});
    EXPECT_EQ(mac.info(disk + "s2").value("MountPoint"), "/Volumes/..:..:x");
    EXPECT_EQ(mac.run("/usr/sbin/diskutil", {"rename", disk + "s2", "a/b"}).exitCode, 0);
    EXPECT_EQ(mac.info(disk + "s2").value("MountPoint"), "/Volumes/a:b");
    EXPECT_EQ(mac.run("/usr/sbin/diskutil", {"rename", disk + "s2", ".."}).exitCode, 0);
    EXPECT_EQ(mac.info(disk + "s2").value("MountPoint"), "/Volumes/Untitled");
    EXPECT_EQ(mac.run("/usr/sbin/diskutil", {"eraseVolume", "JHFS+", "../../../etc", disk + "s2"}).exitCode,
              0);
    EXPECT_EQ(mac.info(disk + "s2").value("MountPoint"), "/Volumes/..:..:..:etc");
    EXPECT_EQ(entriesAround(mac), before) << "nothing appeared beside the sim root";
    EXPECT_FALSE(QFileInfo::exists(mac.root() + "/x"));
}

TEST(Sandbox, FolderNamesAreSafeAndFitAFileName) {
    using simmac::Mounter;
    EXPECT_EQ(Mounter::folderName(""), "Untitled");
    EXPECT_EQ(Mounter::folderName("."), "Untitled");
    EXPECT_EQ(Mounter::folderName("/"), ":");
    EXPECT_EQ(Mounter::folderName("a/../b"), "a:..:b");
    const QString longName = QString(200, QChar(0x4E2D));  // 600 bytes of UTF-8
    EXPECT_LE(Mounter::folderName(longName).toUtf8().size(), 255);
    EXPECT_LE(Mounter::folderName(longName, 2).toUtf8().size(), 253);
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80").repeated(70);  // surrogate pairs
    EXPECT_FALSE(Mounter::folderName(emoji).back().isHighSurrogate()) << "never cut inside a pair";
}

TEST(Sandbox, PathsEscapingTheRootAreRefusedByTheTools) {
    SimMac mac;
    const QStringList before = entriesAround(mac);
    QDir().mkpath(mac.host("/tmp/src"));
    EXPECT_EQ(mac.run("/usr/bin/hdiutil", {"create", "/../../escape.dmg", "-srcfolder", "/tmp/src"}).exitCode,
              1);
    EXPECT_EQ(mac.run("/usr/bin/hdiutil", {"create", "/Users/in.dmg", "-srcfolder", "/../.."}).exitCode, 1);
    EXPECT_EQ(mac.run("/usr/sbin/diskutil", {"info", "-plist", "/../../"}).exitCode, 1);
    EXPECT_EQ(mac.run("/usr/bin/zip", {"-r", "/../out.zip", "/Users"}).exitCode, 1);
    EXPECT_EQ(entriesAround(mac), before);
}

TEST(Sandbox, LinksInsideTheRootDoNotLeadToolsOut) {
    SimMac mac;
    QTemporaryDir outside;
    ASSERT_TRUE(QFile::link(outside.path(), mac.host("/Users/out")));
    QDir().mkpath(mac.host("/tmp/src"));
    const ToolRun into =
        mac.run("/usr/bin/hdiutil", {"create", "/Users/out/x.dmg", "-srcfolder", "/tmp/src"});
    EXPECT_EQ(into.err, "hdiutil: create failed - No such file or directory\n");
    EXPECT_EQ(mac.run("/usr/bin/hdiutil", {"create", "/Users/in.dmg", "-srcfolder", "/Users/out"}).exitCode,
              1)
        << "nothing of the host is packed into an image";
    EXPECT_EQ(mac.run("/bin/cp", {"/Users/Shared", "/Users/out/planted"}).exitCode, 1);
    EXPECT_TRUE(QDir(outside.path()).isEmpty());
}

}  // namespace
