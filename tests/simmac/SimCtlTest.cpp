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

ToolRun simctl(const QStringList& args) {
    QProcess process;
    process.start(testsupport::buildDir() + "/simmac/simctl", args);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

TEST(SimCtl, PrintsTheStateTheEventsAndTheCalls) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat", {"--name", "Tab\tName"});
    const QVariantMap state =
        platform::PropertyList::dictionaryFromBytes(mac.simctl({"state"}).toUtf8()).value_or(QVariantMap());
    EXPECT_EQ(state.value("SchemaVersion"), 1);
    EXPECT_EQ(state.value("RootVolume"), "disk3s1s1");
    EXPECT_EQ(state.value("NextDiskNumber"), 5);
    const QStringList events = mac.simctl({"events"}).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(events.last(), "4\tdidMount\t" + disk + "s2\t/Volumes/Tab\tName\tTab\tName\t")
        << "printed decoded; the log itself keeps the tab encoded";
    EXPECT_TRUE(mac.events().last().contains("Tab%09Name"));
    mac.run("/usr/sbin/diskutil", {"list", "-plist"});
    const QStringList calls = mac.simctl({"calls"}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(calls.size(), 2);
    EXPECT_TRUE(calls.first().contains("\"argv\":[\"list\",\"-plist\"]"));
}

TEST(SimCtl, InitMakesEachPresetAndRefusesAFolderInUse) {
    QTemporaryDir dir;
    for (const QString& preset : {QStringLiteral("apple-silicon-13"), QStringLiteral("intel-12"),
                                  QStringLiteral("intel-10.14"), QStringLiteral("intel-10.12-hfs")}) {
        EXPECT_EQ(simctl({"init", dir.path() + "/mac", "--preset", preset}).exitCode, 0)
            << "made again over itself";
        EXPECT_TRUE(QFileInfo(dir.path() + "/mac/System/Library/CoreServices/SystemVersion.plist").isFile());
        EXPECT_TRUE(QFileInfo(dir.path() + "/mac/.sim/machine.plist").isFile());
        EXPECT_EQ(QFileInfo(dir.path() + "/mac/Volumes/Macintosh HD").symLinkTarget(),
                  QFileInfo(dir.path() + "/mac").absoluteFilePath());
    }
    QFile other(dir.path() + "/other/file");
    QDir().mkpath(dir.path() + "/other");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    const ToolRun refused = simctl({"init", dir.path() + "/other", "--preset", "intel-12"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/other/file"));
    EXPECT_EQ(simctl({"init", dir.path() + "/x", "--preset", "pentium"}).exitCode, 1);
}

TEST(SimCtl, MachinePresetsCarryTheirSystemFacts) {
    struct Case {
        const char* preset;
        const char* version;
        const char* cpu;
        const char* bus;
    };
    for (const Case& c :
         {Case{"apple-silicon-13", "13.4", "Apple M1", "Apple Fabric"},
          Case{"intel-12", "12.6", "Intel", "PCI-Express"}, Case{"intel-10.14", "10.14.6", "Intel", "SATA"},
          Case{"intel-10.12-hfs", "10.12.6", "Intel", "SATA"}}) {
        SimMac mac(QString::fromLatin1(c.preset));
        const auto version =
            platform::PropertyList::dictionaryFromFile("/System/Library/CoreServices/SystemVersion.plist");
        EXPECT_EQ(version.value_or(QVariantMap()).value("ProductVersion"), c.version);
        const auto machine = platform::PropertyList::dictionaryFromFile("/.sim/machine.plist");
        EXPECT_TRUE(
            machine.value_or(QVariantMap()).value("machdep.cpu.brand_string").toString().startsWith(c.cpu));
        EXPECT_EQ(mac.info("/").value("BusProtocol"), c.bus);
        EXPECT_EQ(mac.info("/").value("MountPoint"), "/");
    }
}

TEST(SimCtl, AttachOptionsAndDevicePresetFacts) {
    SimMac mac;
    const QString sd = mac.attach("sd-card");
    EXPECT_EQ(mac.info(sd).value("BusProtocol"), "Secure Digital");
    EXPECT_EQ(mac.info(sd).value("Internal"), true);
    EXPECT_EQ(mac.info(sd).value("Ejectable"), true);
    EXPECT_EQ(mac.info(mac.attach("usb-raid")).value("RAIDMaster"), true);
    EXPECT_EQ(mac.info(mac.attach("usb-cs-encrypted")).value("CoreStorageEncrypted"), true);
    const QString hfsx = mac.attach("usb-hfsx");
    EXPECT_EQ(mac.info(hfsx).value("Content"), "Apple_HFSX");
    EXPECT_EQ(mac.info(hfsx).value("MountPoint"), "/Volumes/HFSX Disk") << "a file system on the whole disk";
    EXPECT_EQ(mac.info(mac.attach("sata-internal")).value("Ejectable"), false);
    EXPECT_LT(mac.info("/Volumes/TINY").value("TotalSize").toLongLong(), 30000000);
    const QString custom = mac.attach("usb-exfat", {"--name", "MyUSB", "--size", "16G", "--fs", "apfs"});
    EXPECT_EQ(mac.info(custom).value("Size").toLongLong(), 16000000000);
    EXPECT_EQ(mac.info("/Volumes/MyUSB").value("FilesystemName"), "APFS");
    EXPECT_EQ(simctl({"attach", "usb-blank", "--fs", "apfs"}).exitCode, 1);
    EXPECT_EQ(simctl({"attach", "floppy"}).exitCode, 1);
    EXPECT_EQ(simctl({"attach", "usb-exfat", "--size", "lots"}).exitCode, 1);
}

TEST(SimCtl, SetChangesKnownKeysAndPutsOthersInExtra) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    mac.simctl({"set", disk, "Ejectable", "false"});
    mac.simctl({"set", disk + "s2", "UsedBytes", "1000000000"});
    mac.simctl({"set", disk + "s2", "SMARTDeviceSpecificKeysMayVaryNotGuaranteed",
                "<dict><key>TEMPERATURE</key><integer>299</integer></dict>"});
    EXPECT_EQ(mac.info(disk).value("Ejectable"), false);
    EXPECT_GT(mac.info(disk + "s2").value("TotalSize").toLongLong() -
                  mac.info(disk + "s2").value("FreeSpace").toLongLong(),
              1000000000);
    EXPECT_EQ(mac.info(disk + "s2")
                  .value("SMARTDeviceSpecificKeysMayVaryNotGuaranteed")
                  .toMap()
                  .value("TEMPERATURE"),
              299);
    EXPECT_EQ(simctl({"set", disk + "s2", "MountPoint", "/etc"}).exitCode, 1)
        << "structural keys are not set by hand";
    EXPECT_EQ(simctl({"set", "disk99", "Busy", "true"}).exitCode, 1);
}

TEST(SimCtl, FaultAddTakesAPlistFragment) {
    SimMac mac;
    mac.simctl(
        {"fault", "add",
         "<dict><key>Tool</key><string>diskutil</string><key>Action</key><string>empty</string></dict>"});
    EXPECT_TRUE(mac.run("/usr/sbin/diskutil", {"list", "-plist"}).out.isEmpty());
    EXPECT_EQ(simctl({"fault", "add", "<array/>"}).exitCode, 1);
}

TEST(SimCtl, DetachUnplugsOrEjectsAndTheRootDiskStays) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    mac.simctl({"set", disk + "s2", "Busy", "true"});
    EXPECT_EQ(simctl({"detach", disk, "--eject"}).exitCode, 1) << "an eject asks the volumes";
    mac.detach(disk);
    EXPECT_EQ(mac.state().value("Detached").toList().size(), 1) << "an unplug does not";
    EXPECT_EQ(simctl({"detach", "disk0"}).exitCode, 1);
    EXPECT_EQ(simctl({"detach", "disk3s5"}).exitCode, 1);
    EXPECT_TRUE(mac.list().value("WholeDisks").toStringList().contains("disk0"));
}

}  // namespace
