#include "services/jobs/KVBootable.h"
#include "services/jobs/KVUSBControl.h"

#include "tests/services/jobs/e2e/JobsSupport.h"

#include <QRegularExpression>

#include <functional>
#include <utility>

using testsupport::SimMac;
using testsupport::waitUntil;

namespace {

const QString kAsr = QStringLiteral("asr");
const QString kDiskutil = QStringLiteral("diskutil");
const QByteArray kPass = "....10....20....30....40....50....60....70....80....90....100\n";

// Everything the engine tells the Clone OS screen, in order.
class CloneScreen : public KVBootableDelegate {
public:
    void KVUINotify(const KVProgressRecord& record) override {
        records.emplace_back(record.iErrCode, record.iStepCode);
        percents.push_back(record.percent);
        if (onRecord) {
            onRecord(record);
        }
    }
    void changeProLabelValue(const QString& text) override { labels << text; }
    void changeProTimeWithTag(int tag, int pass) override {
        tags.emplace_back(tag, pass);
        if (onTag) {
            onTag(tag, pass);
        }
    }

    // The job's last report: an error, or the end of the restore.
    bool ended() const {
        return !records.empty() && (records.back().first != 0 || records.back().second == 8);
    }
    std::pair<int, int> verdict() const { return records.empty() ? std::pair{1, -1} : records.back(); }
    std::vector<int> steps() const {
        std::vector<int> result;
        for (const auto& record : records) {
            result.push_back(record.second);
        }
        return result;
    }

    std::vector<std::pair<int, int>> records;  // error code, step code
    std::vector<int> percents;
    QStringList labels;
    std::vector<std::pair<int, int>> tags;  // tag, pass
    std::function<void(const KVProgressRecord&)> onRecord;
    std::function<void(int, int)> onTag;
};

std::vector<std::pair<int, int>> bothPasses() {
    std::vector<std::pair<int, int>> tags;
    for (int pass = 1; pass <= 2; ++pass) {
        for (int tag = 1; tag <= 10; ++tag) {
            tags.emplace_back(tag, pass);
        }
    }
    return tags;
}

class Clone : public ::testing::Test {
protected:
    explicit Clone(const QString& preset = QStringLiteral("apple-silicon-13")) : sim(preset) {}

    void SetUp() override {
        KVBootable::setRestoreDelayForTesting(std::chrono::milliseconds(10));
        engine->KVInit();
        engine->KVSetDelegate(&screen);
    }

    void TearDown() override {
        if (started) {
            EXPECT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
        }
        ASSERT_TRUE(settle());
        engine->KVSetDelegate(nullptr);
        engine->KVUninit();
    }

    // A USB disk large enough for the system, as the screen picks it.
    QString usbDisk() { return sim.attach("usb-exfat", {"--name", "Stick", "--size", "128G"}); }

    void start(const VolumeObj& target) {
        ASSERT_EQ(engine->KVStart(&target), 0);
        started = true;
    }

    void cloneOnto(const VolumeObj& target) {
        start(target);
        ASSERT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
    }

    QStringList logRecords() const {
        QFile log(sim.host("/tmp/KorvelBootableDataRecovery.txt"));
        return log.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts)
                   : QStringList();
    }

    SimMac sim;
    KVBootable* engine = KVBootable::KVShareInstance();
    CloneScreen screen;
    bool started = false;
};

struct PresetRow {
    const char* preset;
    const char* fileSystem;  // of the erase
    bool repartitions;       // asr makes an HFS target over into APFS
    const char* pass;        // asr's first pass
    bool completionLine;     // macOS 13 and later print "Restore completed successfully."
};

class CloneOfEachMac : public Clone, public ::testing::WithParamInterface<PresetRow> {
protected:
    CloneOfEachMac() : Clone(QLatin1String(GetParam().preset)) {}
};

TEST_P(CloneOfEachMac, MakesTheUsbDiskABootableCopy) {
    const QString disk = usbDisk();
    cloneOnto(targetDisk(sim, disk));
    EXPECT_EQ(screen.verdict(), std::pair(0, 8));
    EXPECT_EQ(screen.steps(), (std::vector<int>{0, 1, 2, 3, 3, 4, 5, 8}));
    EXPECT_EQ(screen.percents, (std::vector<int>{0, 12, 25, 37, 37, 50, 62, 100}));
    EXPECT_EQ(screen.tags, bothPasses());

    EXPECT_EQ(toolCalls(sim, "killall"), QList<QStringList>{{"mds_stores"}});
    EXPECT_EQ(verbCalls(sim, kDiskutil, "eraseDisk"),
              (QList<QStringList>{{"eraseDisk", GetParam().fileSystem, "TavrunSystem", disk}}));
    EXPECT_EQ(
        toolCalls(sim, kAsr),
        (QList<QStringList>{{"restore", "--source", "/", "--target", "/Volumes/TavrunSystem", "--erase"}}));
    const QVariantMap restored = sim.info("/Volumes/Macintosh HD 1");
    EXPECT_EQ(restored.value("ParentWholeDisk").toString().left(4), "disk");
    EXPECT_TRUE(QFileInfo::exists(
        sim.host("/Volumes/Macintosh HD 1/System/Library/CoreServices/SystemVersion.plist")));

    QStringList labels{"", "Validating target...", "Validating source...", "Validating sizes..."};
    if (GetParam().repartitions) {
        labels << "Repartitioning target device...";
    }
    labels << "Cloning..."
           << "Cloning..."
           << "Restored target device is /dev/" + restored.value("DeviceIdentifier").toString() + "."
           << "Remounting target volume...";
    if (GetParam().completionLine) {
        labels << "Restore completed successfully.";
    }
    EXPECT_EQ(screen.labels, labels);

    const QStringList log = logRecords();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  task terminated$")
                    .match(log.last())
                    .hasMatch())
        << log.last().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Clone, CloneOfEachMac,
    ::testing::Values(PresetRow{"apple-silicon-13", "APFS", false, "Replicating", true},
                      PresetRow{"intel-12", "JHFS+", true, "Replicating", false},
                      PresetRow{"intel-10.14", "APFS", false, "Replicating", false},
                      PresetRow{"intel-10.12-hfs", "HFS+", false, "Restoring", false}),
    [](const ::testing::TestParamInfo<PresetRow>& row) {
        return QString::fromLatin1(row.param.preset).remove('-').remove('.').toStdString();
    });

TEST_F(Clone, RefusesNoTargetAndASecondStart) {
    EXPECT_EQ(engine->KVStart(nullptr), KVBootable::kErrNoTarget);
    KVBootable::setRestoreDelayForTesting(std::chrono::seconds(30));
    const VolumeObj target = targetDisk(sim, usbDisk());
    start(target);
    ASSERT_TRUE(waitUntil([&] { return screen.records.size() >= 4; }, kJobTimeoutMs)) << "waiting to restore";
    EXPECT_EQ(engine->KVStart(&target), KVBootable::kErrBusy);
    EXPECT_EQ(engine->KVStart(nullptr), KVBootable::kErrBusy);
    EXPECT_FALSE(screen.ended()) << "the refused start took nothing back";
    engine->KVStop();
    ASSERT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
    EXPECT_EQ(screen.verdict(), std::pair(KVBootable::kErrCancel, 3));
    EXPECT_TRUE(toolCalls(sim, kAsr).isEmpty()) << "a cancel during the wait starts nothing";
}

// The drive is looked up again just before it is erased and after the erase: gone, or another drive under
// its name, ends the job; so does a volume of another drive at the new volume's mount point.
struct DriveRow {
    const char* name;
    std::function<VolumeObj(const SimMac&, const QString& usbDisk)> target;
    int error = KVBootable::kErrUnplugged;
    int step = 2;
    int erases = 0;
    int remounts = 0;  // unmountDisk and mountDisk calls
    std::function<void(const SimMac&)> duringErase = {};
};

class ChangedDrive : public Clone, public ::testing::WithParamInterface<DriveRow> {};

TEST_P(ChangedDrive, IsNeverRestoredOnto) {
    start(GetParam().target(sim, usbDisk()));
    if (GetParam().duringErase) {
        ASSERT_TRUE(
            waitUntil([&] { return !verbCalls(sim, kDiskutil, "eraseDisk").isEmpty(); }, kJobTimeoutMs));
        GetParam().duringErase(sim);
    }
    ASSERT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
    EXPECT_EQ(screen.verdict(), std::pair(GetParam().error, GetParam().step));
    EXPECT_EQ(verbCalls(sim, kDiskutil, "eraseDisk").size(), GetParam().erases);
    EXPECT_EQ(verbCalls(sim, kDiskutil, "unmountDisk").size(), GetParam().remounts);
    EXPECT_EQ(verbCalls(sim, kDiskutil, "mountDisk").size(), GetParam().remounts);
    EXPECT_TRUE(toolCalls(sim, kAsr).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Clone, ChangedDrive,
                         ::testing::Values(DriveRow{"unplugged",
                                                    [](const SimMac& sim, const QString& disk) {
                                                        const VolumeObj target = targetDisk(sim, disk);
                                                        sim.detach(disk);
                                                        return target;
                                                    }},
                                           DriveRow{"anotherSize",
                                                    [](const SimMac& sim, const QString& disk) {
                                                        VolumeObj target = targetDisk(sim, disk);
                                                        target.volumeTotalSizeNum += 512;
                                                        return target;
                                                    }},
                                           DriveRow{"internal",
                                                    [](const SimMac& sim, const QString&) {
                                                        return targetDisk(sim, sim.attach("sata-internal"));
                                                    }},
                                           DriveRow{"unpluggedDuringTheErase",
                                                    [](const SimMac& sim, const QString& disk) {
                                                        sim.addFault({{"Tool", "diskutil"},
                                                                      {"Verb", "eraseDisk"},
                                                                      {"Action", "detachDisk"},
                                                                      {"AfterLines", 1},
                                                                      {"Disk", disk}});
                                                        return targetDisk(sim, disk);
                                                    },
                                                    KVBootable::kErrUnplugged, 3, 1},
                                           // Mounted while the target is erased, it takes the chosen name;
                                           // the target's new volume mounts beside it.
                                           DriveRow{"anotherDriveTakesTheName",
                                                    [](const SimMac& sim, const QString& disk) {
                                                        sim.addFault({{"Tool", "diskutil"},
                                                                      {"Verb", "eraseDisk"},
                                                                      {"Action", "delay"},
                                                                      {"DelayMs", 3000}});
                                                        return targetDisk(sim, disk);
                                                    },
                                                    KVBootable::kErrErase, 3, 1, 1,
                                                    [](const SimMac& sim) {
                                                        sim.attach("usb-exfat", {"--name", "TavrunSystem"});
                                                    }}),
                         [](const ::testing::TestParamInfo<DriveRow>& row) { return row.param.name; });

TEST_F(Clone, EraseThatMakesNoVolumeEndsBeforeTheRestore) {
    const QString disk = usbDisk();
    sim.addFault({{"Tool", "diskutil"}, {"Verb", "eraseDisk"}, {"Action", "exit"}, {"ExitStatus", 0}});
    cloneOnto(targetDisk(sim, disk));
    EXPECT_EQ(screen.verdict(), std::pair(KVBootable::kErrErase, 3));
    EXPECT_EQ(verbCalls(sim, kDiskutil, "unmountDisk"),
              (QList<QStringList>{{"unmountDisk", "/dev/" + disk}}));
    EXPECT_EQ(verbCalls(sim, kDiskutil, "mountDisk"), (QList<QStringList>{{"mountDisk", "/dev/" + disk}}));
    EXPECT_TRUE(toolCalls(sim, kAsr).isEmpty());
}

TEST_F(Clone, TargetUnpluggedDuringTheRestore) {
    const QString disk = usbDisk();
    sim.addFault({{"Tool", "asr"}, {"Action", "detachDisk"}, {"AtPercent", 50}, {"Disk", disk}});
    cloneOnto(targetDisk(sim, disk));
    EXPECT_EQ(screen.verdict(), std::pair(KVBootable::kErrUnplugged, 8));
    EXPECT_EQ(screen.tags.back(), std::pair(5, 1));
}

// What asr printed and how it ended decide, whatever way its output reached the engine.
struct AsrRow {
    const char* name;
    QVariantMap fault;
    int error;
    std::vector<std::pair<int, int>> tags;
    QString reason;  // kept for the screen with a failed restore
};

QVariantMap asrPrints(const QByteArray& out, int status) {
    return {{"Tool", "asr"}, {"Action", "exit"}, {"Stdout", QString::fromUtf8(out)}, {"ExitStatus", status}};
}

// With the prompt: the engine answers a tool that may have ended already.
const QByteArray kValidated =
    "\tValidating target...done\n\tValidating source...done\n"
    "\tErase contents of /dev/disk9s1 (/Volumes/TavrunSystem)? [ny]: \n\tValidating sizes...done\n";

class AsrVerdict : public Clone, public ::testing::WithParamInterface<AsrRow> {};

TEST_P(AsrVerdict, IsReportedAtTheEnd) {
    const QString disk = usbDisk();
    sim.addFault(GetParam().fault);
    cloneOnto(targetDisk(sim, disk));
    EXPECT_EQ(screen.verdict(), std::pair(GetParam().error, 8));
    EXPECT_EQ(screen.tags, GetParam().tags);
    EXPECT_EQ(engine->restoreReason(), GetParam().reason);
}

std::vector<std::pair<int, int>> firstPass() {
    std::vector<std::pair<int, int>> tags = bothPasses();
    tags.resize(10);
    return tags;
}

INSTANTIATE_TEST_SUITE_P(
    Clone, AsrVerdict,
    ::testing::Values(
        AsrRow{"bothPassesInOneChunk",
               asrPrints(kValidated + "\tReplicating  " + kPass + "\tVerifying  " + kPass, 0), 0,
               bothPasses(), ""},
        AsrRow{"failureAfterOnePass",
               asrPrints(kValidated + "\tReplicating  " + kPass + "\tVerifying  ....10....20", 1),
               KVBootable::kErrRestore,
               [] {
                   auto tags = firstPass();
                   tags.insert(tags.end(), {{1, 2}, {2, 2}});
                   return tags;
               }(),
               "asr ended with status 1"},
        AsrRow{"bothPassesButAFailureStatus",
               asrPrints(kValidated + "\tReplicating  " + kPass + "\tVerifying  " + kPass, 1),
               KVBootable::kErrRestore, bothPasses(), "asr ended with status 1"},
        AsrRow{"successStatusAfterOnePass", asrPrints(kValidated + "\tReplicating  " + kPass, 0),
               KVBootable::kErrRestore, firstPass(), "asr ended before the restore was complete"},
        AsrRow{"killed",
               {{"Tool", "asr"}, {"Action", "signal"}, {"Signal", 9}},
               KVBootable::kErrRestore,
               {},
               "asr crashed"}),
    [](const ::testing::TestParamInfo<AsrRow>& row) { return row.param.name; });

// The simulated asr replaces its output with these writes; the restore itself fails at once (the system does
// not fit on the drive), so the exit status is 1 whatever was printed.
TEST_F(Clone, OutputSplitAnywhereGivesTheSameReports) {
    const QString disk = sim.attach("usb-exfat", {"--name", "Stick", "--size", "8G"});
    sim.addFault(
        {{"Tool", "asr"},
         {"Action", "output"},
         {"LineDelayMs", 5},
         {"Lines",
          QStringList{"\tValidating tar", "get...", "done\n\tValidating source...done\n\tErase ",
                      "contents of /dev/disk9s1 (/Volumes/TavrunSystem)? [n", "y]: \n",
                      "\tReplicating  ....10....2", "0....30....40....50....60....70....80....90....1",
                      "00\n\tVerifying  ", "....10....20....30....40....50....60....70....80....90.", "...10",
                      "0\n\tRestored target device is /dev/disk9s1.\n"}}});
    start(targetDisk(sim, disk));
    ASSERT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
    EXPECT_EQ(screen.steps(), (std::vector<int>{0, 1, 2, 3, 3, 4, 5, 8}));
    EXPECT_EQ(screen.tags, bothPasses());
    EXPECT_EQ(screen.labels, (QStringList{"", "Validating target...", "Validating source...", "Cloning...",
                                          "Cloning...", "Restored target device is /dev/disk9s1.",
                                          "Could not restore - Target is too small"}));
    EXPECT_EQ(screen.verdict(), std::pair(KVBootable::kErrRestore, 8)) << "asr exited with status 1";
    EXPECT_EQ(engine->restoreReason(), "Could not restore - Target is too small");
}

// The same split writes in front of a restore that succeeds: the prompt, split inside "[ny]", is answered
// once and the real restore, whose own output is withheld, completes.
TEST_F(Clone, SplitOutputOfASuccessfulRestore) {
    sim.addFault(
        {{"Tool", "asr"},
         {"Action", "output"},
         {"LineDelayMs", 5},
         {"Lines",
          QStringList{
              "\tValidating tar", "get...", "done\n\tValidating source...done\n\tErase ",
              "contents of /dev/disk9s1 (/Volumes/TavrunSystem)? [n", "y]: ", "\n\tReplicating  ....1",
              "0....20....30....40....50....60....70....80....90....1", "00\n\tVerifying  ....10....20.",
              "...30....40....50....60....70....80....90....100\n", "\tRestored target device is /dev/",
              "disk9s1.\n\tRemounting target volume...done\n"}}});
    cloneOnto(targetDisk(sim, usbDisk()));
    EXPECT_EQ(screen.verdict(), std::pair(0, 8));
    EXPECT_EQ(screen.tags, bothPasses());
    EXPECT_TRUE(QFileInfo::exists(
        sim.host("/Volumes/Macintosh HD 1/System/Library/CoreServices/SystemVersion.plist")));
}

// Each state of a job can be stopped; the job then ends with the cancel code at the step it had reached.
TEST_F(Clone, CancelRightAfterTheStartErasesNothing) {
    sim.addFault({{"Tool", "killall"}, {"Action", "hang"}});
    start(targetDisk(sim, usbDisk()));
    engine->KVStop();
    ASSERT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
    EXPECT_EQ(screen.verdict().first, KVBootable::kErrCancel);
    EXPECT_LE(screen.verdict().second, 2);
    EXPECT_TRUE(verbCalls(sim, kDiskutil, "eraseDisk").isEmpty());
}

TEST_F(Clone, CancelDuringTheErase) {
    sim.addFault({{"Tool", "diskutil"}, {"Verb", "eraseDisk"}, {"Action", "hang"}});
    start(targetDisk(sim, usbDisk()));
    ASSERT_TRUE(waitUntil([&] { return !verbCalls(sim, kDiskutil, "eraseDisk").isEmpty(); }, kJobTimeoutMs));
    engine->KVStop();
    ASSERT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
    EXPECT_EQ(screen.verdict(), std::pair(KVBootable::kErrCancel, 2));
    EXPECT_TRUE(toolCalls(sim, kAsr).isEmpty());
}

TEST_F(Clone, CancelDuringTheRestore) {
    sim.attach("usb-exfat", {"--name", "TavrunSystem"});  // another drive holds the first name
    screen.onTag = [&](int, int) { engine->KVStop(); };
    cloneOnto(targetDisk(sim, usbDisk()));
    EXPECT_EQ(screen.verdict(), std::pair(KVBootable::kErrCancel, 8));
    EXPECT_EQ(
        toolCalls(sim, kAsr),
        (QList<QStringList>{{"restore", "--source", "/", "--target", "/Volumes/TavrunSystem1", "--erase"}}));
    const QStringList log = logRecords();
    ASSERT_GE(log.size(), 2);
    EXPECT_TRUE(log.at(log.size() - 2).endsWith("  task terminated"));
    EXPECT_TRUE(log.last().endsWith("  User cancel"));
}

}  // namespace
