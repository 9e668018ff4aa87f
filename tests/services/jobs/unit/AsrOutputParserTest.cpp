#include "services/jobs/AsrOutputParser.h"

#include <QList>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <ostream>

using Event = jobs::AsrOutputParser::Event;
using Kind = jobs::AsrOutputParser::Event::Kind;

void PrintTo(const Event& event, std::ostream* out) {
    static const char* const kinds[] = {"Prompt", "Step", "Label", "Tag"};
    *out << kinds[static_cast<int>(event.kind)] << '(' << event.step << ',' << event.tag << ',' << event.pass
         << ",\"" << event.text.toStdString() << "\")";
}

namespace {

// What the restore tool prints for a clone onto an APFS target, the prompt answered; the target's path holds
// a two-byte character so that splits can fall inside it.
const QByteArray kProgress = "....10....20....30....40....50....60....70....80....90....100\n";
const QByteArray kTranscript =
    "\tValidating target...done\n\tValidating source...done\n"
    "\tErase contents of /dev/disk5s1 (/Volumes/Syst\xc3\xa8me)? [ny]: \n"
    "\tValidating sizes...done\n\tReplicating  " +
    kProgress + "\tVerifying  " + kProgress +
    "\tRestored target device is /dev/disk5s1.\n"
    "\tRemounting target volume...done\nRestore completed successfully.\n";

Event step(int s) {
    return Event::stepTo(s);
}
Event label(const char* text) {
    return Event::label(QString::fromUtf8(text));
}
Event tag(int t, int pass) {
    return Event::tagOf(t, pass);
}

std::vector<Event> expectedTranscriptEvents() {
    std::vector<Event> events{step(3),
                              label("Validating target..."),
                              step(4),
                              label("Validating source..."),
                              Event::prompt(),
                              label("Validating sizes..."),
                              label("Cloning..."),
                              step(5)};
    for (int t = 1; t <= 10; ++t) {
        events.push_back(tag(t, 1));
    }
    events.push_back(label("Cloning..."));
    for (int t = 1; t <= 10; ++t) {
        events.push_back(tag(t, 2));
    }
    events.push_back(label("Restored target device is /dev/disk5s1."));
    events.push_back(label("Remounting target volume..."));
    events.push_back(label("Restore completed successfully."));
    return events;
}

struct Parsed {
    std::vector<Event> events;
    bool bothPassesEnded = false;
    QString lastWords;
};

Parsed parse(const QList<QByteArray>& chunks) {
    jobs::AsrOutputParser parser;
    Parsed parsed;
    for (const QByteArray& chunk : chunks) {
        const auto events = parser.feed(chunk);
        parsed.events.insert(parsed.events.end(), events.begin(), events.end());
    }
    const auto rest = parser.finish();
    parsed.events.insert(parsed.events.end(), rest.begin(), rest.end());
    parsed.bothPassesEnded = parser.bothPassesEnded();
    parsed.lastWords = parser.lastWords();
    return parsed;
}

QList<QByteArray> inPiecesOf(const QByteArray& text, qsizetype size) {
    QList<QByteArray> chunks;
    for (qsizetype i = 0; i < text.size(); i += size) {
        chunks.append(text.mid(i, size));
    }
    return chunks;
}

TEST(AsrOutputParser, ReadsACloneTranscript) {
    const Parsed parsed = parse({kTranscript});
    EXPECT_EQ(parsed.events, expectedTranscriptEvents());
    EXPECT_TRUE(parsed.bothPassesEnded);
}

// The pipe may cut the output anywhere, in the middle of "[ny]", of "100" or of a character, or hand it over
// whole: the verdict and every report stay the same.
TEST(AsrOutputParser, GivesTheSameEventsWhereverThePipeCutsTheOutput) {
    const std::vector<Event> expected = expectedTranscriptEvents();
    for (qsizetype cut = 0; cut <= kTranscript.size(); ++cut) {
        const Parsed parsed = parse({kTranscript.left(cut), kTranscript.mid(cut)});
        ASSERT_EQ(parsed.events, expected) << "cut at " << cut;
        ASSERT_TRUE(parsed.bothPassesEnded) << "cut at " << cut;
    }
    for (const qsizetype size : {1, 2, 3, 5, 7, 64}) {
        const Parsed parsed = parse(inPiecesOf(kTranscript, size));
        EXPECT_EQ(parsed.events, expected) << "pieces of " << size;
        EXPECT_TRUE(parsed.bothPassesEnded);
    }
}

TEST(AsrOutputParser, AnswersThePromptOnce) {
    const Parsed parsed =
        parse({"\tErase contents of /dev/disk5s1 (/V)? [n", "y]: ", "\n", "again? [ny]: \n"});
    EXPECT_EQ(std::count(parsed.events.begin(), parsed.events.end(), Event::prompt()), 1);
    EXPECT_EQ(parsed.events.front(), Event::prompt()) << "at the moment the mark is complete";
}

// Without an echo of the answer the tool may go on on the prompt's line, and a message of the system may cut
// a pass's line: the passes still count.
TEST(AsrOutputParser, APassStaysWholeOnThePromptsLineAndAcrossAnInterleavedMessage) {
    const QByteArray cutPass =
        "\tReplicating  ....10....20nx_kernel_mount:1455: : checkpoint search: largest xid 5, best xid 5 @ "
        "1\n"
        "....30....40....50\nfailed to get properties for device disk5, error = 22\n"
        "....60....70....80....90....100\n";
    const Parsed parsed = parse(inPiecesOf(
        "\tErase contents of /dev/disk5s1 (/V)? [ny]: " + cutPass + "\tVerifying  " + kProgress, 3));
    std::vector<Event> expected{Event::prompt(), label("Cloning..."), step(5)};
    for (int pass = 1; pass <= 2; ++pass) {
        for (int t = 1; t <= 10; ++t) {
            expected.push_back(tag(t, pass));
        }
        if (pass == 1) {
            expected.push_back(label("Cloning..."));
        }
    }
    EXPECT_EQ(parsed.events, expected);
    EXPECT_TRUE(parsed.bothPassesEnded);
}

struct VerdictRow {
    const char* name;
    QList<QByteArray> chunks;
    bool bothPassesEnded;
    QString lastWords;  // beyond the steps, their "done" and the passes' dots and numbers
};

class Verdicts : public ::testing::TestWithParam<VerdictRow> {};

TEST_P(Verdicts, CountOnlyTheHundredsOfTheCopyPassesAndKeepTheLastWords) {
    const Parsed parsed = parse(GetParam().chunks);
    EXPECT_EQ(parsed.bothPassesEnded, GetParam().bothPassesEnded);
    EXPECT_EQ(parsed.lastWords, GetParam().lastWords);
}

INSTANTIATE_TEST_SUITE_P(
    AsrOutputParser, Verdicts,
    ::testing::Values(
        VerdictRow{"onePassOnly", {"\tReplicating  " + kProgress}, false, ""},
        VerdictRow{"hundredSplitInTwo", {"\tReplicating  ....10", "0\n\tVerifying  ....1", "00"}, true, ""},
        VerdictRow{"tenIsNoHundred", {"\tReplicating  ....10\n\tVerifying  ....10\n"}, false, ""},
        VerdictRow{"hundredsOutsideAPass",
                   {"\tValidating target...100\nRestored target device is /dev/disk100.\n100\n100\n"},
                   false,
                   "100"},
        VerdictRow{"lastHundredWithoutLineEnd", {"\tRestoring  ....100\n\tVerifying  ....100"}, true, ""},
        VerdictRow{
            "failureAfterAStep",
            {"\tValidating sizes...", "Could not restore - Target is too small\n\tVerifying  ....10\n"},
            false,
            "Could not restore - Target is too small"},
        VerdictRow{"failureInAPass",
                   {"\tReplicating  ....10....2", "0Could not restore - Input/output error"},
                   false,
                   "Could not restore - Input/output error"},
        VerdictRow{"successLines", {kTranscript}, true, "Restore completed successfully."},
        VerdictRow{"controlsAndMarkup",
                   {"\tasr: <b>\x1b[31mbad\x07\tdisk</b> \n\tValidating x...\ndone\n"},
                   false,
                   "asr: <b> [31mbad disk</b>"},
        VerdictRow{
            "cutAtItsLength", {QByteArray(300, 'w') + "\n"}, false, QString(199, u'w') + QChar(0x2026)}),
    [](const ::testing::TestParamInfo<VerdictRow>& row) { return row.param.name; });

struct HostileRow {
    const char* name;
    QList<QByteArray> chunks;
    std::vector<Event> expected;
};

void PrintTo(const HostileRow& row, std::ostream* out) {
    *out << row.name;
}

class HostileOutput : public ::testing::TestWithParam<HostileRow> {};

// The processor time this thread has used: unlike the wall clock, the machine's other work adds nothing.
std::chrono::nanoseconds threadCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Output no asr prints: read in time linear in its length (a quadratic reading of a megabyte takes
// minutes), its valid text kept.
TEST_P(HostileOutput, ReadsInLinearTimeAndKeepsTheValidText) {
    const auto start = threadCpuTime();
    EXPECT_EQ(parse(GetParam().chunks).events, GetParam().expected);
    const auto used = std::chrono::duration_cast<std::chrono::milliseconds>(threadCpuTime() - start);
    EXPECT_LT(used.count(), 10000) << "milliseconds of processor time";
}

const QByteArray kMegabyteOfBlanks = QByteArray(1 << 20, ' ');

INSTANTIATE_TEST_SUITE_P(
    AsrOutputParser, HostileOutput,
    ::testing::Values(HostileRow{"blanksWithoutLineFeed", {kMegabyteOfBlanks}, {}},
                      HostileRow{"blanksBeforeAStep",
                                 {kMegabyteOfBlanks + "Validating target...done\n"},
                                 {step(3), label("Validating target...")}},
                      HostileRow{"wordsAndBlanks",
                                 {QByteArray("a ").repeated(1 << 19) + "\n"},
                                 {Event::label(QString(QByteArray("a ").repeated(1 << 19).trimmed()))}},
                      HostileRow{"blanksInAPass",
                                 {"\tRestoring  " + kMegabyteOfBlanks + "....100\n"},
                                 {label("Cloning..."), step(5), tag(10, 1)}},
                      HostileRow{"digitsInAPass",
                                 {"\tRestoring  ...." + QByteArray(1 << 20, '1') + "....10\n"},
                                 {label("Cloning..."), step(5), tag(1, 1)}},
                      HostileRow{"invalidUtf8",
                                 {"\tValidating \xff\xfe target...done\nVolume \xc3", "\xa8\x80 ok\n"},
                                 {label("Validating \xef\xbf\xbd\xef\xbf\xbd target..."),
                                  label("Volume \xc3\xa8\xef\xbf\xbd ok")}},
                      HostileRow{"invalidUtf8AtAPieceEnd",
                                 {"\tVolume a\xe2\xdf\xdf", "b\n"},
                                 {label("Volume a\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"
                                        "b")}}),
    [](const ::testing::TestParamInfo<HostileRow>& row) { return std::string(row.param.name); });

TEST(AsrOutputParser, ShowsNoTextFromTheFirstPassUntilTheSecondHasEnded) {
    const Parsed parsed = parse({"\tRestoring  ....50\nnoise between the passes\n\tVerifying  ....100\n",
                                 "\tStill copying...\n", "\tVerifying  ....100\n", "Done.\n"});
    const std::vector<Event> expected{label("Cloning..."), step(5),    tag(5, 1),
                                      label("Cloning..."), tag(10, 2), label("Cloning..."),
                                      label("Done.")};
    EXPECT_EQ(parsed.events, expected) << "a third pass gives no tag; the text after the second 100 shows";
}

TEST(AsrOutputParser, StepTextsShowWhenTheirEllipsisArrives) {
    jobs::AsrOutputParser parser;
    EXPECT_TRUE(parser.feed("\tValidating target..").empty());
    EXPECT_EQ(parser.feed("."), (std::vector<Event>{step(3), label("Validating target...")}));
    EXPECT_TRUE(parser.feed("done\n\tRepartitioning target device").empty()) << "\"done\" changes nothing";
    EXPECT_EQ(parser.feed("...\n"), std::vector<Event>{label("Repartitioning target device...")});
    EXPECT_TRUE(parser.feed("\tRestored target device is /dev/disk5").empty());
    EXPECT_EQ(parser.finish(), std::vector<Event>{label("Restored target device is /dev/disk5")});
}

}  // namespace
