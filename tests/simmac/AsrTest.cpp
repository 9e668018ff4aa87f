#include "tests/support/SimMac.h"

#include "tests/simmac/StreamedRun.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>

using testsupport::SimMac;
using testsupport::ToolRun;

namespace {

const QString kAsr = QStringLiteral("/usr/sbin/asr");
const QString kDiskutil = QStringLiteral("/usr/sbin/diskutil");

// A USB disk erased the way the clone engine does it, with its new volume at /Volumes/TavrunSystem.
QString erasedTarget(const SimMac& mac, const char* fileSystem = "APFS",
                     const QString& size = QStringLiteral("64G")) {
    const QString disk = mac.attach("usb-exfat", {"--size", size});
    EXPECT_EQ(mac.run(kDiskutil, {"eraseDisk", QLatin1String(fileSystem), "TavrunSystem", disk}).exitCode, 0);
    return disk;
}

QStringList restoreArgs(bool prompt = true) {
    QStringList args{"restore", "--source", "/", "--target", "/Volumes/TavrunSystem", "--erase"};
    if (!prompt) {
        args.append("--noprompt");
    }
    return args;
}

TEST(AsrRestore, AnsweredYesReplicatesTheRootOntoTheTarget) {
    SimMac mac;
    const QString disk = erasedTarget(mac);
    const QString target = mac.info("/Volumes/TavrunSystem").value("DeviceIdentifier").toString();
    const ToolRun result = mac.run(kAsr, restoreArgs(), "y");
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QByteArray progress = "....10....20....30....40....50....60....70....80....90....100\n";
    EXPECT_EQ(result.out,
              "\tValidating target...done\n\tValidating source...done\n\tErase contents of /dev/" +
                  target.toUtf8() + " (/Volumes/TavrunSystem)? [ny]: \n\tValidating sizes...done\n" +
                  "\tReplicating  " + progress + "\tVerifying  " + progress +
                  "\tRestored target device is /dev/" + target.toUtf8() +
                  ".\n\tRemounting target volume...done\nRestore completed successfully.\n");
    const QVariantMap info = mac.info(target);
    EXPECT_EQ(info.value("VolumeName"), "Macintosh HD");
    EXPECT_EQ(info.value("MountPoint"), "/Volumes/Macintosh HD 1") << "\"Macintosh HD\" is the link to /";
    EXPECT_TRUE(QFileInfo::exists(
        mac.host("/Volumes/Macintosh HD 1/System/Library/CoreServices/SystemVersion.plist")));
    EXPECT_TRUE(QFileInfo(mac.host("/Volumes/Macintosh HD 1/System/Volumes")).isDir());
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Volumes/Macintosh HD 1/System/Volumes/Data")));
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Volumes/Macintosh HD 1/Volumes")));
    EXPECT_FALSE(QFileInfo::exists(mac.host("/Volumes/Macintosh HD 1/.sim")));
    EXPECT_EQ(info.value("BooterDeviceIdentifier").toString(),
              mac.info(target).value("ParentWholeDisk").toString() + "s2")
        << "the target container gets a Preboot volume";
    EXPECT_EQ(mac.info(target).value("RecoveryDeviceIdentifier").toString(),
              info.value("ParentWholeDisk").toString() + "s3");
    EXPECT_EQ(mac.info(info.value("BooterDeviceIdentifier").toString()).value("MountPoint"), "");
    // The Preboot repair that follows a clone: mount the container, copy the cryptexes.
    ASSERT_EQ(
        mac.run(kDiskutil, {"mountDisk", "/dev/" + info.value("BooterDeviceIdentifier").toString()}).exitCode,
        0);
    const ToolRun cp = mac.run("/bin/cp", {"-av", "/System/Volumes/Preboot/Cryptexes", "/Volumes/Preboot"});
    EXPECT_EQ(cp.exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(mac.host("/Volumes/Preboot/Cryptexes/OS")));
    (void)disk;
}

TEST(AsrRestore, EachProgressNumberIsAChunkOfItsOwn) {
    SimMac mac;
    erasedTarget(mac);
    mac.setConfig("AsrStepDelayMs", 70);
    const StreamedRun run = StreamedRun::run(mac, kAsr, restoreArgs(false));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.chunks.count("100"), 2) << "the clone engine counts two lone \"100\" chunks";
    EXPECT_TRUE(run.chunks.contains("10"));
    EXPECT_TRUE(run.chunks.contains("\tValidating target..."));
    EXPECT_FALSE(run.out().contains("[ny]")) << "--noprompt asks nothing";
}

class Answers : public ::testing::TestWithParam<QByteArray> {};

TEST_P(Answers, AnythingButYesCancels) {
    SimMac mac;
    erasedTarget(mac);
    const QString uuid = mac.info("/Volumes/TavrunSystem").value("VolumeUUID").toString();
    const ToolRun result = mac.run(kAsr, restoreArgs(), GetParam());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "\nCould not restore - Operation canceled\n");
    EXPECT_FALSE(result.out.contains("Validating sizes"));
    EXPECT_EQ(mac.info("/Volumes/TavrunSystem").value("VolumeUUID"), uuid) << "the target is untouched";
}

INSTANTIATE_TEST_SUITE_P(NoAnswers, Answers,
                         ::testing::Values(QByteArray("n"), QByteArray(), QByteArray("x"),
                                           QByteArray("\ny")));

TEST(AsrRestore, ReplicatesOntoJournaledHfsByRepartitioning) {
    SimMac mac(QStringLiteral("intel-12"));
    erasedTarget(mac, "JHFS+");
    const ToolRun result = mac.run(kAsr, restoreArgs(false));
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(
        result.out.contains("\tValidating sizes...done\n\tRepartitioning target device...\n\tReplicating  "));
    EXPECT_FALSE(result.out.contains("Restore completed successfully.")) << "only recent systems print it";
    const QVariantMap info = mac.info("/Volumes/Macintosh HD 1");
    EXPECT_EQ(info.value("FilesystemName"), "APFS");
    EXPECT_TRUE(result.out.contains("Restored target device is /dev/" +
                                    info.value("DeviceIdentifier").toString().toUtf8()));
}

TEST(AsrRestore, RestoresHfsWithoutReplicating) {
    SimMac mac(QStringLiteral("intel-10.12-hfs"));
    erasedTarget(mac, "JHFS+", "128G");
    const ToolRun result = mac.run(kAsr, restoreArgs(false));
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("\tRestoring  ....10"));
    EXPECT_FALSE(result.out.contains("Repartitioning"));
}

TEST(AsrRestore, Failures) {
    SimMac mac;
    const ToolRun noTarget = mac.run(kAsr, restoreArgs(false));
    EXPECT_EQ(noTarget.exitCode, 1);
    EXPECT_EQ(noTarget.out, "\tValidating target...");
    EXPECT_EQ(noTarget.err, "Could not validate target - No such file or directory\n");
    for (const QStringList& args :
         {QStringList{"restore", "--source", "/", "--target", "/Volumes/X"},
          QStringList{"imagescan", "--source", "/x.dmg"}, QStringList{},
          QStringList{"restore", "--source", "/", "--target", "/V", "--erase", "--bogus"}}) {
        const ToolRun usage = mac.run(kAsr, args);
        EXPECT_EQ(usage.exitCode, 1);
        EXPECT_TRUE(usage.err.startsWith("Usage: asr restore")) << args.join(' ').toStdString();
    }
    const QString small = mac.attach("usb-hfs", {"--name", "Small", "--size", "5G"});
    const ToolRun tooSmall =
        mac.run(kAsr, {"restore", "--source", "/", "--target", "/Volumes/Small", "--erase", "--noprompt"});
    EXPECT_EQ(tooSmall.exitCode, 1);
    EXPECT_TRUE(tooSmall.out.endsWith("\tValidating sizes..."));
    EXPECT_EQ(tooSmall.err, "Could not restore - Target is too small\n");
    EXPECT_EQ(mac.info(small + "s2").value("VolumeName"), "Small");
    EXPECT_EQ(mac.run(kAsr, {"restore", "--source", "/", "--target", "/", "--erase", "--noprompt"}).err,
              "Could not validate target - Resource busy\n");
}

// A restore stopped with SIGTERM leaves the target damaged and partly written, as the real tool does.
TEST(AsrRestore, TerminatedMidwayLeavesTheTargetDamaged) {
    SimMac mac;
    erasedTarget(mac);
    const QString target = mac.info("/Volumes/TavrunSystem").value("DeviceIdentifier").toString();
    mac.setConfig("AsrStepDelayMs", 60);
    const StreamedRun run =
        StreamedRun::run(mac, kAsr, restoreArgs(false), [](QProcess& asr, const QByteArray& chunk) {
            if (chunk == "30") {
                asr.terminate();
            }
        });
    EXPECT_TRUE(run.crashed);
    const QVariantMap info = mac.info(target);
    EXPECT_EQ(info.value("MountPoint"), "");
    EXPECT_EQ(mac.run(kDiskutil, {"verifyvolume", target}).err,
              "Error: -69845: File system verify or repair failed\n");
    EXPECT_EQ(mac.run(kDiskutil, {"mount", target}).exitCode, 1);
}

// A disk pulled while asr waits at its prompt ends the restore as a disk pulled mid-copy does.
class PulledAtThePrompt : public ::testing::TestWithParam<bool> {};

TEST_P(PulledAtThePrompt, EndsWithAnInputOutputError) {
    SimMac mac;
    const QString source = mac.attach("usb-exfat", {"--name", "Src"});
    const QString target = erasedTarget(mac);
    const QString pulled = GetParam() ? target : source;
    const StreamedRun run = StreamedRun::run(
        mac, kAsr, {"restore", "--source", "/Volumes/Src", "--target", "/Volumes/TavrunSystem", "--erase"},
        [&](QProcess& asr, const QByteArray& chunk) {
            if (chunk.endsWith("[ny]: ")) {
                mac.detach(pulled);
                asr.write("y");
            }
        });
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Could not restore - Input/output error\n");
    EXPECT_FALSE(run.out().contains("Replicating"));
}

INSTANTIATE_TEST_SUITE_P(SourceOrTarget, PulledAtThePrompt, ::testing::Values(false, true),
                         [](const auto& test) { return test.param ? "Target" : "Source"; });

// asr writes its lines in fragments; a rule counts them all the same, and pulls the target it watches from
// the first line on when the rule names no disk.
struct AfterLinesCase {
    const char* name;
    const char* preset;
    const char* fileSystem;
    int afterLines;
    QByteArray out;
};

void PrintTo(const AfterLinesCase& c, std::ostream* os) {
    *os << c.name;
}

class AsrAfterLines : public ::testing::TestWithParam<AfterLinesCase> {};

TEST_P(AsrAfterLines, PullsTheTargetAfterThatLine) {
    const AfterLinesCase& c = GetParam();
    SimMac mac{QLatin1String(c.preset)};
    const QString disk = erasedTarget(mac, c.fileSystem);
    mac.addFault({{"Tool", "asr"}, {"Action", "detachDisk"}, {"AfterLines", c.afterLines}});
    QProcess asr;
    asr.start(mac.toolRoot() + kAsr, restoreArgs(false));
    const bool finished = asr.waitForFinished(20000);
    if (!finished) {
        asr.kill();
        asr.waitForFinished();
    }
    ASSERT_TRUE(finished) << "asr hung";
    EXPECT_EQ(asr.exitCode(), 1);
    EXPECT_EQ(asr.readAllStandardOutput(), c.out);
    EXPECT_EQ(asr.readAllStandardError(), "Could not restore - Input/output error\n");
    EXPECT_FALSE(mac.list().value("WholeDisks").toStringList().contains(disk));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AsrAfterLines,
    ::testing::Values(AfterLinesCase{"AfterValidatingTheTarget", "apple-silicon-13", "APFS", 1,
                                     "\tValidating target...done\n"},
                      AfterLinesCase{"AfterRepartitioning", "intel-12", "JHFS+", 4,
                                     "\tValidating target...done\n\tValidating source...done\n\tValidating "
                                     "sizes...done\n\tRepartitioning target device...\n"}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
