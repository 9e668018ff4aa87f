#include "tests/support/SimMac.h"

#include "simmac/state/FileLock.h"
#include "simmac/state/SimPaths.h"
#include "simmac/state/StateTransaction.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using testsupport::SimMac;
using testsupport::ToolRun;

namespace {

const QString kDiskutil = QStringLiteral("/usr/sbin/diskutil");
const QString kHdiutil = QStringLiteral("/usr/bin/hdiutil");

// Starts all the commands at once and waits for them all.
QList<QByteArray> runTogether(const QList<QPair<QString, QStringList>>& commands) {
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const auto& [program, args] : commands) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->start(program, args);
    }
    QList<QByteArray> outputs;
    for (const auto& process : processes) {
        process->waitForFinished(60000);
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
        outputs.append(process->readAllStandardOutput());
    }
    return outputs;
}

TEST(Concurrency, ToolsRunningTogetherLoseNoUpdate) {
    SimMac mac;
    const QString simctl = testsupport::buildDir() + "/simmac/simctl";
    QList<QPair<QString, QStringList>> attaches;
    for (int i = 0; i < 6; ++i) {
        attaches.append({simctl, {"attach", "usb-exfat", "--name", QStringLiteral("U%1").arg(i)}});
    }
    QSet<QByteArray> disks;
    for (const QByteArray& out : runTogether(attaches)) {
        disks.insert(out.trimmed());
    }
    EXPECT_EQ(disks.size(), 6) << "every attach got its own disk";
    EXPECT_EQ(mac.list().value("WholeDisks").toStringList().size(), 10);

    QList<QPair<QString, QStringList>> renames;
    for (int i = 0; i < 6; ++i) {
        renames.append({mac.toolRoot() + "/usr/sbin/diskutil",
                        {"rename", QStringLiteral("/Volumes/U%1").arg(i), QStringLiteral("R%1").arg(i)}});
    }
    runTogether(renames);
    const QStringList mounted = mac.list().value("VolumesFromDisks").toStringList();
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(mounted.contains(QStringLiteral("R%1").arg(i))) << i;
    }
    QSet<qint64> seqs;
    qsizetype starts = 0;
    for (const QJsonObject& call : mac.calls()) {
        if (call.value("phase").toString() == "start") {
            seqs.insert(call.value("seq").toInteger());
            ++starts;
        }
    }
    EXPECT_EQ(starts, 8) << "six renames and two listings";
    EXPECT_EQ(seqs.size(), starts) << "call numbers are unique";
    const auto events = mac.eventRecords();
    for (qsizetype i = 1; i < events.size(); ++i) {
        EXPECT_EQ(events.at(i).seq, events.at(i - 1).seq + 1) << "event numbers have no gaps or repeats";
    }
}

// A streaming verb holds the lock only around its changes, so other tools go on while it writes.
TEST(Concurrency, StreamingVerbDoesNotBlockOtherTools) {
    SimMac mac;
    const QString disk = mac.attach("usb-exfat");
    mac.attach("usb-hfs");
    mac.setConfig("LineDelayMs", 200);
    mac.setConfig("VerifyExtraLines", 1000000);  // writes until the test ends it, however slow the others
    QProcess verify;
    verify.start(mac.toolRoot() + "/usr/sbin/diskutil", {"verifyvolume", disk + "s2"});
    ASSERT_TRUE(verify.waitForReadyRead(60000)) << "the verify printed nothing";
    EXPECT_EQ(mac.info(disk + "s2").value("VolumeName"), "USB");
    EXPECT_EQ(mac.run("/usr/sbin/diskutil", {"unmount", "/Volumes/USB HFS"}).exitCode, 0);
    EXPECT_EQ(verify.state(), QProcess::Running) << "the others did not wait for the verify to end";
    verify.kill();
    verify.waitForFinished();
}

// The lock a committed change leaves behind, taken without waiting; false while someone holds it.
bool lockIsFree() {
    const int fd = ::open(QFile::encodeName(simmac::SimPaths::host(simmac::SimPaths::lock())).constData(),
                          O_RDWR | O_CLOEXEC);
    const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return free;
}

TEST(Concurrency, ACommittedChangeHoldsTheLockNoLonger) {
    SimMac mac;
    simmac::StateTransaction tx;
    EXPECT_FALSE(lockIsFree());
    tx.commit();
    EXPECT_TRUE(lockIsFree()) << "what a tool prints after its change must not run under the lock";
}

// A "detachDisk" rule unplugs the disk from the line hook, which changes the state: a verb that printed
// while it held the lock would wait for itself forever.
struct LineCase {
    const char* verb;
    QStringList args;  // the USB disk is disk4
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.verb;
}

class LinesOutsideTheLock : public ::testing::TestWithParam<LineCase> {};

TEST_P(LinesOutsideTheLock, AnUnplugAfterTheFirstLineEndsTheVerb) {
    SimMac mac;
    ASSERT_EQ(mac.attach("usb-hfs"), "disk4");
    mac.addFault({{"Tool", "diskutil"},
                  {"Verb", GetParam().verb},
                  {"Action", "detachDisk"},
                  {"AfterLines", 1},
                  {"Disk", "disk4"}});
    QProcess tool;
    tool.start(mac.toolRoot() + kDiskutil, QStringList{GetParam().verb} + GetParam().args);
    const bool finished = tool.waitForFinished(20000);
    if (!finished) {
        tool.kill();
        tool.waitForFinished();
    }
    ASSERT_TRUE(finished) << "the verb hung";
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_EQ(tool.readAllStandardOutput().count('\n'), 1);
    EXPECT_EQ(tool.readAllStandardError(), "Error: -69808: The disk disappeared\n");
    EXPECT_FALSE(mac.list().value("WholeDisks").toStringList().contains("disk4"));
}

INSTANTIATE_TEST_SUITE_P(Verbs, LinesOutsideTheLock,
                         ::testing::Values(LineCase{"mount", {"disk4s2"}}, LineCase{"unmount", {"disk4s2"}},
                                           LineCase{"mountDisk", {"disk4"}},
                                           LineCase{"rename", {"disk4s2", "Renamed"}},
                                           LineCase{"eraseVolume", {"JHFS+", "Erased", "disk4s2"}},
                                           LineCase{"resizeVolume", {"disk4s2", "10000000000B"}}),
                         [](const auto& test) { return std::string(test.param.verb); });

qsizetype startsLogged(const SimMac& mac) {
    const QList<QJsonObject> calls = mac.calls();
    return std::count_if(calls.begin(), calls.end(),
                         [](const QJsonObject& c) { return c.value("phase").toString() == "start"; });
}

// Whether the process waits for the exclusive lock: /proc/locks lists a blocked flock as
// "<n>: -> FLOCK  ADVISORY  WRITE <pid> …".
bool waitsToWrite(qint64 pid) {
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray holder = " WRITE " + QByteArray::number(pid) + ' ';
    const QList<QByteArray> lines = locks.readAll().split('\n');
    return std::any_of(lines.begin(), lines.end(), [&](const QByteArray& line) {
        return line.contains("->") && line.contains("FLOCK") && line.contains(holder);
    });
}

// Runs the tools with their work held at a gate (a "delay" rule for `match` that a file ends) and holds the
// lock shared from their start until each of them has looked at the state and waits to change it;
// `meanwhile` then changes the state, and the tools go on with what they saw out of date.
QList<ToolRun> runPastAChange(const SimMac& mac, QVariantMap match, const QList<QStringList>& commands,
                              const std::function<void(simmac::SimState&)>& meanwhile) {
    const QString gate = QStringLiteral("/tmp/gate");
    match.insert({{"Action", "delay"}, {"DelayMs", 120000}, {"UntilFile", gate}});
    mac.addFault(match);
    const qsizetype before = startsLogged(mac);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const QStringList& command : commands) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->start(mac.toolRoot() + command.first(), command.mid(1));
    }
    EXPECT_TRUE(testsupport::waitUntil([&] { return startsLogged(mac) == before + commands.size(); }, 60000))
        << "the tools did not start";
    {
        const simmac::FileLock readers(simmac::FileLock::Mode::Shared);
        QDir().mkpath(mac.host(gate));
        EXPECT_TRUE(testsupport::waitUntil(
            [&] {
                return std::all_of(processes.begin(), processes.end(),
                                   [](const auto& p) { return waitsToWrite(p->processId()); });
            },
            60000))
            << "the tools did not come to wait for the lock";
        if (meanwhile) {
            auto state = simmac::StateTransaction::read();
            meanwhile(*state);
            EXPECT_TRUE(simmac::StateTransaction::write(*state));  // no writer runs while readers hold on
        }
    }
    QList<ToolRun> runs;
    for (const auto& process : processes) {
        process->waitForFinished(60000);
        runs.append({process->exitCode(), process->readAllStandardOutput(), process->readAllStandardError()});
    }
    return runs;
}

bool createImage(const SimMac& mac) {
    QDir().mkpath(mac.host("/tmp/src"));
    return mac.run(kHdiutil, {"create", "/Users/a.dmg", "-volname", "TavrunDmg", "-size", "100m", "-fs",
                              "HFS+", "-format", "UDRW", "-srcfolder", "/tmp/src"})
               .exitCode == 0;
}

TEST(Concurrency, TwoAttachesOfOneImageMakeOneDisk) {
    SimMac mac;
    ASSERT_TRUE(createImage(mac));
    const QStringList attach{kHdiutil, "attach", "/Users/a.dmg"};
    const QList<ToolRun> runs =
        runPastAChange(mac, {{"Tool", "hdiutil"}, {"Verb", "attach"}}, {attach, attach}, {});
    EXPECT_EQ(runs.at(0).exitCode, 0) << runs.at(0).err.toStdString();
    EXPECT_EQ(runs.at(1).exitCode, 0) << runs.at(1).err.toStdString();
    EXPECT_EQ(runs.at(0).out, runs.at(1).out) << "the later one answers with the same disk";
    EXPECT_EQ(mac.list().value("WholeDisks").toStringList().size(), 5);
    EXPECT_EQ(QDir(mac.host(simmac::SimPaths::staging())).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList())
        << "the unused unpacked files are gone";
}

// Eject and detach look at the disk before they start and again when they remove it.
struct EjectCase {
    const char* name;
    bool image;
    QStringList command;  // "<disk>" stands for the disk
    std::function<void(simmac::SimState&, const QString& disk)> meanwhile;
    int exitCode;
    QByteArray err;
};

void PrintTo(const EjectCase& c, std::ostream* os) {
    *os << c.name;
}

class EjectRechecks : public ::testing::TestWithParam<EjectCase> {};

TEST_P(EjectRechecks, UnderTheLock) {
    const EjectCase& c = GetParam();
    SimMac mac;
    QString disk;
    if (c.image) {
        ASSERT_TRUE(createImage(mac));
        disk = QString::fromUtf8(mac.run(kHdiutil, {"attach", "/Users/a.dmg"}).out).section(' ', 0, 0).mid(5);
    } else {
        disk = mac.attach("usb-exfat");
    }
    ASSERT_FALSE(disk.isEmpty());
    QStringList command = c.command;
    command.replaceInStrings("<disk>", disk);
    const QList<ToolRun> runs = runPastAChange(mac, {{"Verb", command.at(1)}}, {command},
                                               [&](simmac::SimState& state) { c.meanwhile(state, disk); });
    EXPECT_EQ(runs.at(0).exitCode, c.exitCode);
    EXPECT_EQ(runs.at(0).err, QString::fromUtf8(c.err).replace("<disk>", disk).toUtf8());
    EXPECT_TRUE(mac.list().value("WholeDisks").toStringList().contains(disk)) << "the disk stays";
}

void makeBusy(simmac::SimState& state, const QString& disk) {
    state.node(disk + "s1").volume->busy = true;
}

const EjectCase kEjectCases[] = {
    {"diskutilImageBusy",
     true,
     {kDiskutil, "eject", "<disk>"},
     makeBusy,
     1,
     "Unmount of <disk> failed: at least one volume could not be unmounted\nUnmount was dissented by PID "
     "4242 (simbusy)\n"},
    {"hdiutilImageBusy",
     true,
     {kHdiutil, "detach", "<disk>"},
     makeBusy,
     16,
     "hdiutil: couldn't unmount \"<disk>\" - Resource busy\n"},
    {"diskutilNoLongerEjectable",
     false,
     {kDiskutil, "eject", "<disk>"},
     [](simmac::SimState& state, const QString& disk) { state.disk(disk)->ejectable = false; },
     1,
     "Disk <disk> failed to eject: the disk is not ejectable\n"},
};

INSTANTIATE_TEST_SUITE_P(Changes, EjectRechecks, ::testing::ValuesIn(kEjectCases),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
