#include "services/utilities/KVLog.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <future>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

class LogFile : public ::testing::Test {
protected:
    void SetUp() override { KVUninitLog(); }
    void TearDown() override { KVUninitLog(); }

    QString path() const { return sim_.host("/tmp/KorvelBootableDataRecovery.txt"); }
    QList<QByteArray> lines() const {
        QFile in(path());
        if (!in.open(QIODevice::ReadOnly)) {
            return {};
        }
        QList<QByteArray> all = in.readAll().split('\n');
        EXPECT_TRUE(all.last().isEmpty()) << "every record ends with a line feed";
        all.removeLast();
        return all;
    }

    testsupport::TempSimRoot sim_;
};

const QRegularExpression kRecord(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d  (.*)$)"));

QString messageOf(const QByteArray& line) {
    const auto match = kRecord.match(QString::fromUtf8(line));
    return match.hasMatch() ? match.captured(1)
                            : QStringLiteral("<malformed: %1>").arg(QString::fromUtf8(line));
}

TEST_F(LogFile, EachRecordIsTimeTwoBlanksMessage) {
    EXPECT_EQ(KVLog("task %s after %d s", "terminated", 42), 0);
    EXPECT_EQ(KVLog("User cancel"), 0);
    const auto records = lines();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(messageOf(records[0]), "task terminated after 42 s");
    EXPECT_EQ(messageOf(records[1]), "User cancel");
}

TEST_F(LogFile, RecordsOfEveryRunAccumulate) {
    ASSERT_EQ(KVInitLog(), 0);
    EXPECT_EQ(KVInitLog(), 0) << "already open";
    KVLog("first run");
    EXPECT_EQ(KVUninitLog(), 0);
    EXPECT_EQ(KVUninitLog(), 0) << "closing twice is harmless";
    KVLog("second run");
    const auto records = lines();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(messageOf(records[1]), "second run");
}

TEST_F(LogFile, NullFormatAndLongMessages) {
    EXPECT_EQ(KVLog(nullptr), -1);
    const std::string longText(200000, 'x');
    EXPECT_EQ(KVLog("%s|", longText.c_str()), 0);
    const auto records = lines();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(messageOf(records[0]).size(), 200001) << "never cut at a buffer size";
}

TEST_F(LogFile, ConcurrentWritersNeverInterleaveRecords) {
    constexpr int kThreads = 8;
    constexpr int kRecords = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < kRecords; ++i) {
                KVLog("writer %d record %d %s", t, i, "...........................................");
                if (i == kRecords / 2 && t == 0) {
                    KVUninitLog();  // closing while others write only makes the next record reopen
                }
            }
        });
    }
    for (auto& w : writers) {
        w.join();
    }
    const auto records = lines();
    ASSERT_EQ(records.size(), kThreads * kRecords);
    const QRegularExpression whole(QStringLiteral(R"(^writer \d record \d+ \.{43}$)"));
    for (const QByteArray& line : records) {
        ASSERT_TRUE(whole.match(messageOf(line)).hasMatch()) << line.toStdString();
    }
}

TEST_F(LogFile, RefusesALinkPlantedAtItsName) {
    const QString victim = sim_.host("/victim.txt");
    sim_.writeFile("/victim.txt", "untouched");
    sim_.writeFile("/tmp/placeholder", "");
    ASSERT_TRUE(QFile::link(victim, path()));
    EXPECT_EQ(KVInitLog(), -1);
    EXPECT_EQ(KVLog("through the link"), -1);
    QFile in(victim);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), "untouched");

    QFile::remove(path());
    EXPECT_EQ(KVLog("once the link is gone"), 0) << "a later open succeeds";
    EXPECT_EQ(lines().size(), 1);
}

// The log lies in a folder everyone can write to: whatever another user put at its name first is never
// waited on, written to or left readable by others.
struct PlantedRow {
    const char* name;
    std::function<void(const QString& path)> plant;
    bool written;
};

void PrintTo(const PlantedRow& row, std::ostream* out) {
    *out << row.name;
}

class Planted : public LogFile, public ::testing::WithParamInterface<PlantedRow> {};

TEST_P(Planted, OnlyAFileOfTheUsersOwnIsWrittenAndOnlyTheUserReadsIt) {
    sim_.writeFile("/tmp/placeholder", "");
    GetParam().plant(path());
    auto opened = std::async(std::launch::async, [] { return KVLog("a record"); });
    if (opened.wait_for(5s) != std::future_status::ready) {
        ADD_FAILURE() << "the writer waits for a reader";
        const int reader = ::open(QFile::encodeName(path()).constData(), O_RDONLY | O_NONBLOCK);
        opened.wait();
        ::close(reader);
    }
    EXPECT_EQ(opened.get(), GetParam().written ? 0 : -1);
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(path()).constData(), &st), 0);
    if (GetParam().written) {
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        EXPECT_EQ(messageOf(lines().value(lines().size() - 1)), "a record");
    } else {
        EXPECT_FALSE(S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_size > 0) << "written into";
    }
}

INSTANTIATE_TEST_SUITE_P(
    LogFile, Planted,
    ::testing::Values(
        PlantedRow{"nothing", [](const QString&) {}, true},
        PlantedRow{"ownFileReadableByAll",
                   [](const QString& p) {
                       QFile f(p);
                       ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                       f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
                   },
                   true},
        PlantedRow{"fifo",
                   [](const QString& p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0666), 0); },
                   false},
        PlantedRow{"folder", [](const QString& p) { ASSERT_TRUE(QDir().mkpath(p)); }, false},
        PlantedRow{"otherUsersFile",
                   [](const QString& p) {
                       QFile f(p);
                       ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                       f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::WriteOther);
                       if (::chown(QFile::encodeName(p).constData(), 65534, 65534) != 0) {
                           GTEST_SKIP() << "only root can give a file to another user";
                       }
                   },
                   false}),
    [](const ::testing::TestParamInfo<PlantedRow>& row) { return std::string(row.param.name); });

}  // namespace
