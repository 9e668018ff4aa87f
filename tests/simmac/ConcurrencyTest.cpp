#include "tests/support/SimMac.h"

#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using testsupport::SimMac;
using testsupport::ToolRun;

namespace {

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
    mac.setConfig("VerifyExtraLines", 100);
    QProcess verify;
    verify.start(mac.toolRoot() + "/usr/sbin/diskutil", {"verifyvolume", disk + "s2"});
    ASSERT_TRUE(verify.waitForReadyRead(10000));
    EXPECT_EQ(mac.info(disk + "s2").value("VolumeName"), "USB");
    EXPECT_EQ(mac.run("/usr/sbin/diskutil", {"unmount", "/Volumes/USB HFS"}).exitCode, 0);
    EXPECT_EQ(verify.state(), QProcess::Running) << "the others did not wait for the verify to end";
    verify.kill();
    verify.waitForFinished();
}

}  // namespace
