#include "platform/PropertyList.h"
#include "platform/ToolOutputFile.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;
using platform::ToolCommand;

namespace {

using Runner = std::optional<QVariantMap> (*)(const ToolCommand&);

ToolCommand probe(QStringList args) {
    return {QStringLiteral(TOOLPROBE_PATH), std::move(args)};
}
ToolCommand cat(const QString& file) {
    return {QStringLiteral("/bin/cat"), {file}};
}

class Runners : public ::testing::Test {
protected:
    QString file(const QString& name, const QByteArray& content) const {
        const QString path = dir_.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
        return path;
    }
    QString plist(const QString& name, const QVariant& value) const {
        return file(name, platform::PropertyList::toXml(value));
    }

    QTemporaryDir dir_;
};

TEST_F(Runners, EachRunnerReadsBackWhatItsToolPrinted) {
    const QVariantMap info{{"DeviceIdentifier", "disk4s2"}, {"VolumeName", "USB"}, {"Size", 16000000000LL}};
    const QString path = plist("info.plist", info);
    for (Runner runner : {KVExecCommand, ExecCommand, GetExecCommand, execCommand, AexecCommand,
                          eraserDiskCommand, eraserExecCommand, aepairExecCommand, changeNameExecCommand}) {
        EXPECT_EQ(runner(cat(path)), info);
    }
    EXPECT_EQ(ZZDoCommand(cat(path), "OrvDataTemp.plist"), info);
}

TEST_F(Runners, NothingRunsWithoutACommandOrAFileName) {
    const QString marker = dir_.filePath("ran");
    EXPECT_FALSE(ExecCommand({}));
    EXPECT_FALSE(ZZDoCommand({}, "OrvDataTemp.plist"));
    EXPECT_FALSE(ZZDoCommand(probe({"args", marker}), ""));
    EXPECT_FALSE(ZZDoCommand(probe({"args", marker}), "../escape.plist")) << "a name, not a path";
    EXPECT_FALSE(QFileInfo::exists(marker));
}

TEST_F(Runners, OutputWithoutInformationIsNothing) {
    const QVariantMap errorDocument{
        {"Error", true}, {"ErrorMessage", "Could not find disk: disk9"}, {"ExitCode", 1}};
    EXPECT_FALSE(ExecCommand(cat(plist("error.plist", errorDocument))));
    EXPECT_FALSE(ExecCommand(cat(plist("array.plist", QVariantList{"disk0"}))));
    EXPECT_FALSE(ExecCommand(cat(file("text", "Could not find disk: disk9\n"))));
    EXPECT_FALSE(
        ExecCommand(cat(file("cut.plist", platform::PropertyList::toXml(QVariantMap{{"a", 1}}).left(60)))));
    EXPECT_FALSE(ExecCommand(cat(file("empty", ""))));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(ExecCommand({"/no/such/diskutil", {"list", "-plist"}}));
    EXPECT_LT(clock.elapsed(), 2000) << "a tool that cannot start counts as one that printed nothing";
}

TEST_F(Runners, AnEarlierRunsOutputNeverSurvives) {
    const QVariantMap info{{"VolumeName", "Old"}};
    ASSERT_EQ(ExecCommand(cat(plist("info.plist", info))), info);
    EXPECT_FALSE(ExecCommand({"/bin/true", {}})) << "a tool that prints nothing reads as nothing";
    EXPECT_TRUE(QDir(platform::privateTempFolder().value()).entryList(QDir::Files).isEmpty());
}

TEST_F(Runners, HostileNamesReachTheToolAsOneArgument) {
    const QString marker = dir_.filePath("pwned");
    const QString hostile =
        "$(touch " + marker + ")\"; touch " + marker + "; echo \"`id` > /dev/null & " + QString(3000, u'n');
    const QString seen = dir_.filePath("args");
    aepairExecCommand(probe({"args", seen, "rename", "disk4s2", hostile}));
    QFile in(seen);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), "rename" + QByteArray(1, '\0') + "disk4s2" + QByteArray(1, '\0') +
                                hostile.toUtf8() + QByteArray(1, '\0'));
    EXPECT_FALSE(QFileInfo::exists(marker));
}

TEST_F(Runners, TwoThreadsUsingOneRunnerEachReadTheirOwnOutput) {
    const QVariantMap first{{"DeviceIdentifier", "disk2s1"}};
    const QVariantMap second{{"DeviceIdentifier", "disk3s1"}};
    const QString firstPath = plist("first.plist", first);
    const QString secondPath = plist("second.plist", second);
    std::atomic<int> wrong{0};
    constexpr int kRounds = 40;
    // ExecCommand and GetExecCommand share one file name, not one file.
    std::thread a([&] {
        for (int i = 0; i < kRounds; ++i) {
            wrong += ExecCommand(cat(firstPath)) != first;
        }
    });
    std::thread b([&] {
        for (int i = 0; i < kRounds; ++i) {
            wrong += GetExecCommand(cat(secondPath)) != second;
        }
    });
    a.join();
    b.join();
    EXPECT_EQ(wrong.load(), 0);
}

// A tool that hangs in one run holds no other run of its runner, or of one with the same file name: the
// Disk Tool's lookup of one disk never waits for another disk's hung lookup.
struct HungRow {
    const char* name;
    Runner hung;
    Runner next;
};

void PrintTo(const HungRow& row, std::ostream* out) {
    *out << row.name;
}

class HungRunner : public Runners, public ::testing::WithParamInterface<HungRow> {};

TEST_P(HungRunner, HoldsNoOtherCallerAndEndsAtTheDeadline) {
    setCommandDeadlineForTesting(5s);
    const QVariantMap info{{"VolumeName", "After"}};
    const QString path = plist("info.plist", info);
    const QString running = dir_.filePath("running");
    QElapsedTimer clock;
    clock.start();
    std::atomic<bool> hungEnded{false};
    std::thread hung([&] {
        EXPECT_FALSE(GetParam().hung(probe({"sleep", "30000", running})));
        hungEnded = true;
    });
    EXPECT_TRUE(testsupport::waitForLines(running, 1)) << "the hanging tool did not start";
    setCommandDeadlineForTesting(10min);  // the hung run keeps its 5 s; the healthy one never meets it
    EXPECT_EQ(GetParam().next(cat(path)), info);
    EXPECT_FALSE(hungEnded) << "the next caller waited for the hung tool";
    hung.join();
    EXPECT_GE(clock.elapsed(), 5000) << "the hung tool is stopped at its deadline";
    EXPECT_LT(clock.elapsed(), 25000) << "not at the tool's own end";
}

INSTANTIATE_TEST_SUITE_P(Runners, HungRunner,
                         ::testing::Values(HungRow{"sameRunner", eraserExecCommand, eraserExecCommand},
                                           HungRow{"sameFileName", ExecCommand, GetExecCommand}),
                         [](const ::testing::TestParamInfo<HungRow>& row) {
                             return std::string(row.param.name);
                         });

// A lookup only reads: it gets the short deadline, anything else the long one, whichever runner runs it
// (the Disk Tool looks up through aepairExecCommand and GetExecCommand).
struct DeadlineRow {
    const char* name;
    Runner runner;
    QStringList arguments;
    bool lookup;
};

void PrintTo(const DeadlineRow& row, std::ostream* out) {
    *out << row.name;
}

class DeadlineOfAVerb : public Runners, public ::testing::WithParamInterface<DeadlineRow> {};

TEST_P(DeadlineOfAVerb, LookupsEndFirst) {
    const QString tools = dir_.filePath("tools");
    QDir().mkpath(tools + "/usr/sbin");
    QFile diskutil(tools + "/usr/sbin/diskutil");
    ASSERT_TRUE(diskutil.open(QIODevice::WriteOnly));
    diskutil.write("#!/bin/sh\nexec sleep 30\n");
    diskutil.close();
    diskutil.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    testsupport::ScopedEnv toolRoot("TAVRUN_TOOL_ROOT", tools);
    setCommandDeadlineForTesting(2500ms);
    disk::setLookupDeadlineForTesting(300ms);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(GetParam().runner({disk::DiskUtilCommands::kDiskUtil, GetParam().arguments}));
    EXPECT_EQ(clock.elapsed() < 2000, GetParam().lookup) << clock.elapsed() << " ms";
}

INSTANTIATE_TEST_SUITE_P(
    Runners, DeadlineOfAVerb,
    ::testing::Values(DeadlineRow{"info", ExecCommand, {"info", "-plist", "/dev/disk2s1"}, true},
                      DeadlineRow{"diskToolInfo", GetExecCommand, {"info", "-plist", "disk2s1"}, true},
                      DeadlineRow{"list", ExecCommand, {"list", "-plist"}, true},
                      DeadlineRow{"diskToolList", aepairExecCommand, {"list", "-plist"}, true},
                      DeadlineRow{"rename", ExecCommand, {"rename", "disk2s1", "New"}, false},
                      DeadlineRow{"unmountDisk", eraserExecCommand, {"unmountDisk", "/dev/disk2"}, false}),
    [](const ::testing::TestParamInfo<DeadlineRow>& row) { return std::string(row.param.name); });

TEST_F(Runners, DoCommandParsesStandardOutputOfAnyType) {
    EXPECT_EQ(DoCommand(cat(plist("array.plist", QVariantList{"disk0", "disk1"}))),
              QVariant(QVariantList{"disk0", "disk1"}));
    EXPECT_EQ(DoCommand(cat(plist("dict.plist", QVariantMap{{"a", 1}}))), QVariant(QVariantMap{{"a", 1}}));
    EXPECT_FALSE(DoCommand(cat(plist("error.plist", QVariantMap{{"Error", true}}))));
    EXPECT_FALSE(DoCommand(cat(file("text", "not a plist"))));
    EXPECT_FALSE(DoCommand({}));
}

TEST(KVCheckFolderExist, OnlyFoldersCount) {
    testsupport::TempSimRoot sim;
    sim.writeFile("/Volumes/TavrunSystem/file", "x");
    EXPECT_EQ(KVCheckFolderExist("/Volumes/TavrunSystem"), 1);
    EXPECT_EQ(KVCheckFolderExist("/Volumes/TavrunSystem/file"), 0);
    EXPECT_EQ(KVCheckFolderExist("/Volumes/Missing"), 0);
    EXPECT_EQ(KVCheckFolderExist(QString()), 0);
    EXPECT_EQ(KVCheckFolderExist("/../.."), 0) << "outside the Mac";
}

TEST(DiskUtilCommands, SizesEndInBAndErrorDocumentsAreRecognised) {
    const auto resize = disk::DiskUtilCommands::resizeVolume("disk4s2", 13500000000ULL, "JHFS+",
                                                             "TavrunSystem", 2500000000ULL);
    EXPECT_EQ(resize.program, "/usr/sbin/diskutil");
    EXPECT_EQ(resize.arguments, (QStringList{"resizeVolume", "disk4s2", "13500000000B", "JHFS+",
                                             "TavrunSystem", "2500000000B"}));
    EXPECT_TRUE(disk::DiskUtilCommands::isErrorDocument({{"Error", true}, {"ExitCode", 1}}));
    EXPECT_FALSE(disk::DiskUtilCommands::isErrorDocument({{"Error", false}}));
    EXPECT_FALSE(disk::DiskUtilCommands::isErrorDocument({{"VolumeName", "Error"}}));
}

}  // namespace
