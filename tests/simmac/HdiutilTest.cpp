#include "tests/support/SimMac.h"

#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using testsupport::SimMac;
using testsupport::ToolRun;

namespace {

const QString kHdiutil = QStringLiteral("/usr/bin/hdiutil");

void writeFile(const QString& hostPath, const QByteArray& content) {
    QDir().mkpath(QFileInfo(hostPath).path());
    QFile file(hostPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& hostPath) {
    QFile file(hostPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ToolRun create(const SimMac& mac, const QString& image,
               const QString& source = QStringLiteral("/tmp/com.Belmora.clone")) {
    return mac.run(kHdiutil, {"create", image, "-volname", "TavrunDmg", "-size", "150000000", "-fs", "HFS+",
                              "-format", "UDRW", "-srcfolder", source});
}

// The road of the image worker: create from a work folder, mount, copy in, detach, and mount again.
TEST(Hdiutil, CreateMountCopyDetachRoundTripKeepsTheFilesInTheImageAlone) {
    SimMac mac;
    writeFile(mac.host("/tmp/com.Belmora.clone/seed.txt"), "seed");
    QDir().mkpath(mac.host("/Tavrun_dmg"));
    const ToolRun created = create(mac, "/Tavrun_dmg/Tavrun(x).dmg");
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
    EXPECT_EQ(created.out, "created: /Tavrun_dmg/Tavrun(x).dmg\n");
    QProcess tar;
    tar.start("/bin/tar", {"tf", mac.host("/Tavrun_dmg/Tavrun(x).dmg")});
    tar.waitForFinished();
    EXPECT_EQ(tar.readAllStandardOutput().split('\n').first(), ".simmac-image.plist")
        << "an image is a tar archive";

    const ToolRun mounted = mac.run(kHdiutil, {"mount", "/Tavrun_dmg/Tavrun(x).dmg"});
    ASSERT_EQ(mounted.exitCode, 0);
    const QList<QByteArray> lines = mounted.out.split('\n');
    ASSERT_GE(lines.size(), 2);
    const QString disk = QString::fromUtf8(lines.at(0).left(20).trimmed()).mid(5);
    EXPECT_EQ(lines.at(0), "/dev/" + disk.toUtf8().leftJustified(15) + "\t" +
                               QByteArray("GUID_partition_scheme").leftJustified(31) + "\t");
    EXPECT_EQ(lines.at(1), "/dev/" + (disk + "s1").toUtf8().leftJustified(15) + "\t" +
                               QByteArray("Apple_HFS").leftJustified(31) + "\t/Volumes/TavrunDmg");
    const QVariantMap info = mac.info("/Volumes/TavrunDmg");
    EXPECT_EQ(info.value("BusProtocol"), "Disk Image");
    EXPECT_EQ(info.value("FilesystemName"), "HFS+");
    EXPECT_EQ(mac.info(disk).value("MediaName"), "Apple UDIF read-write Media");
    EXPECT_EQ(mac.info(disk).value("VirtualOrPhysical"), "Virtual");
    EXPECT_EQ(readFile(mac.host("/Volumes/TavrunDmg/seed.txt")), "seed");
    writeFile(mac.host("/Volumes/TavrunDmg/Photos/a.jpg"), QByteArray(5000, 'j'));

    const qsizetype before = mac.events().size();
    const ToolRun detached = mac.run(kHdiutil, {"detach", "/Volumes/TavrunDmg"});
    EXPECT_EQ(detached.exitCode, 0);
    EXPECT_EQ(detached.out, "\"" + disk.toUtf8() + "\" ejected.\n");
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Volumes/TavrunDmg")));
    EXPECT_FALSE(mac.list().value("WholeDisks").toStringList().contains(disk));
    EXPECT_EQ(mac.state().value("Detached").toList().size(), 0) << "an image is not kept as a detached disk";
    const auto events = mac.eventRecords(before);
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events.at(0).name, "didUnmount");
    EXPECT_EQ(events.at(2).bsd, disk);

    QFile::copy(mac.host("/Tavrun_dmg/Tavrun(x).dmg"), mac.host("/Users/copy.dmg"));
    QFile::remove(mac.host("/Tavrun_dmg/Tavrun(x).dmg"));
    ASSERT_EQ(mac.run(kHdiutil, {"attach", "/Users/copy.dmg"}).exitCode, 0);
    EXPECT_EQ(readFile(mac.host("/Volumes/TavrunDmg/Photos/a.jpg")).size(), 5000)
        << "the copied image keeps its files";
    EXPECT_EQ(readFile(mac.host("/Volumes/TavrunDmg/seed.txt")), "seed");
}

TEST(Hdiutil, AttachingAnAttachedImageGivesTheSameDisk) {
    SimMac mac;
    QDir().mkpath(mac.host("/tmp/src"));
    ASSERT_EQ(create(mac, "/Users/a.dmg", "/tmp/src").exitCode, 0);
    const ToolRun first = mac.run(kHdiutil, {"attach", "/Users/a.dmg"});
    const ToolRun second = mac.run(kHdiutil, {"mount", "/Users//a.dmg"});
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(mac.list().value("WholeDisks").toStringList().size(), 5);
}

TEST(Hdiutil, CreateFailures) {
    SimMac mac;
    QDir().mkpath(mac.host("/tmp/src"));
    EXPECT_EQ(create(mac, "/Users/x.dmg", "/tmp/missing").err,
              "hdiutil: create failed - No such file or directory\n");
    EXPECT_EQ(create(mac, "/NoFolder/x.dmg", "/tmp/src").err,
              "hdiutil: create failed - No such file or directory\n");
    ASSERT_EQ(create(mac, "/Users/x.dmg", "/tmp/src").exitCode, 0);
    EXPECT_EQ(create(mac, "/Users/x.dmg", "/tmp/src").err, "hdiutil: create failed - File exists\n");
    const ToolRun badFs =
        mac.run(kHdiutil, {"create", "/Users/y.dmg", "-fs", "ZFS", "-srcfolder", "/tmp/src"});
    EXPECT_EQ(badFs.exitCode, 1);
    EXPECT_EQ(badFs.err, "hdiutil: create: unknown filesystem \"ZFS\"\n");
    const QString disk = mac.attach("usb-tiny");
    const ToolRun full = create(mac, "/Volumes/TINY/x.dmg", "/tmp/src");
    EXPECT_EQ(full.err, "hdiutil: create failed - No space left on device\n");
    mac.simctl({"set", disk + "s1", "ReadOnly", "true"});
    EXPECT_EQ(
        mac.run(kHdiutil, {"create", "/Volumes/TINY/y.dmg", "-size", "1m", "-srcfolder", "/tmp/src"}).err,
        "hdiutil: create failed - Permission denied\n");
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Volumes/TINY/x.dmg")));
}

TEST(Hdiutil, AttachAndDetachFailures) {
    SimMac mac;
    EXPECT_EQ(mac.run(kHdiutil, {"mount", "/Users/none.dmg"}).err,
              "hdiutil: mount failed - No such file or directory\n");
    writeFile(mac.host("/Users/fake.dmg"), "not an image");
    EXPECT_EQ(mac.run(kHdiutil, {"attach", "/Users/fake.dmg"}).err,
              "hdiutil: attach failed - image not recognized\n");
    const ToolRun missing = mac.run(kHdiutil, {"detach", "/Volumes/TavrunDmg"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "hdiutil: detach failed - No such file or directory\n");
    QDir().mkpath(mac.host("/tmp/src"));
    create(mac, "/Users/b.dmg", "/tmp/src");
    mac.run(kHdiutil, {"attach", "/Users/b.dmg"});
    mac.simctl({"set", "/Volumes/TavrunDmg", "Busy", "true"});
    const ToolRun busy = mac.run(kHdiutil, {"detach", "/Volumes/TavrunDmg"});
    EXPECT_EQ(busy.exitCode, 16);
    EXPECT_TRUE(busy.err.startsWith("hdiutil: couldn't unmount \"disk"));
    EXPECT_TRUE(busy.err.endsWith("\" - Resource busy\n"));
}

TEST(Hdiutil, SizesTakeBinaryUnitsAndSectors) {
    SimMac mac;
    QDir().mkpath(mac.host("/tmp/src"));
    for (const auto& [text, bytes] : {std::pair{"1m", 1048576LL}, std::pair{"2048b", 1048576LL},
                                      std::pair{"3000000", 3000000LL}, std::pair{"1g", 1073741824LL}}) {
        const QString image = QStringLiteral("/Users/%1.dmg").arg(QLatin1String(text));
        ASSERT_EQ(mac.run(kHdiutil, {"create", image, "-size", text, "-srcfolder", "/tmp/src"}).exitCode, 0);
        QProcess tar;
        tar.start("/bin/tar", {"-xOf", mac.host(image), ".simmac-image.plist"});
        tar.waitForFinished();
        const QVariantMap meta =
            platform::PropertyList::dictionaryFromBytes(tar.readAllStandardOutput()).value_or(QVariantMap());
        EXPECT_EQ(meta.value("Size").toLongLong(), bytes) << text;
    }
}

// A hostile image cannot write outside the folder it is unpacked into.
TEST(Hdiutil, HostileImageMembersStayInside) {
    SimMac mac;
    QDir().mkpath(mac.host("/tmp/src"));
    ASSERT_EQ(create(mac, "/Users/good.dmg", "/tmp/src").exitCode, 0);
    QProcess meta;
    meta.start("/bin/tar",
               {"-xf", mac.host("/Users/good.dmg"), "-C", mac.host("/tmp"), ".simmac-image.plist"});
    meta.waitForFinished();
    writeFile(mac.host("/tmp/evil/payload"), "x");
    QProcess tar;
    tar.setWorkingDirectory(mac.host("/tmp"));
    tar.start("/bin/tar", {"-cf", mac.host("/Users/evil.dmg"), ".simmac-image.plist", "-P", "--transform",
                           "s,^evil/payload,../../escaped,", "evil/payload"});
    tar.waitForFinished();
    ASSERT_EQ(tar.exitCode(), 0);
    mac.run(kHdiutil, {"attach", "/Users/evil.dmg"});
    EXPECT_FALSE(QFileInfo::exists(mac.root() + "/../escaped"));
    EXPECT_FALSE(QFileInfo::exists(mac.root() + "/escaped"));
}

}  // namespace
