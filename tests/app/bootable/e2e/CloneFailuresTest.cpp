#include "tests/app/bootable/e2e/CloneHarness.h"

#include "app/sources/ScreenMessages.h"
#include "app/sources/SelectValueView.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace bootabletest;

namespace {

// A clone that a tool breaks ends in the failure view with the engine's message, once, back at the choice.
struct FailureRow {
    const char* name;
    std::function<QVariantMap(const QString& disk)> fault;
    QString message;
    bool accessHint = false;  // the Full Disk Access hint: only a restore can fail for want of it
    QString reason{};         // the restore tool's, below the message
};

void PrintTo(const FailureRow& row, std::ostream* out) {
    *out << row.name;
}

class CloneFailure : public ::testing::TestWithParam<FailureRow> {};

TEST_P(CloneFailure, EndsInTheFailureView) {
    Harness h;
    const QString disk = h.attach(QStringLiteral("256G"));
    h.sim.addFault(GetParam().fault(disk));
    h.choose(disk);
    h.resultShot = QStringLiteral("result-") + QLatin1String(GetParam().name);
    h.cloneNow();
    ASSERT_TRUE(h.waitForEnd());
    ASSERT_EQ(h.results.size(), 1) << "one result, whatever the engine reports after it";
    EXPECT_TRUE(h.results[0].failed);
    EXPECT_EQ(h.results[0].message, GetParam().message);
    EXPECT_EQ(h.results[0].accessHint, GetParam().accessHint);
    EXPECT_EQ(h.results[0].reason, GetParam().reason);
    EXPECT_TRUE(h.screen->selectDiskView()->isVisible());
    EXPECT_EQ(h.panelName(), "Click to select a destination...");
    EXPECT_EQ(h.tabs.flags, (QList<bool>{false, true}));
}

INSTANTIATE_TEST_SUITE_P(
    Clone, CloneFailure,
    ::testing::Values(
        FailureRow{
            "erase",
            [](const QString&) {
                return QVariantMap{
                    {"Tool", "diskutil"}, {"Verb", "eraseDisk"}, {"Action", "exit"}, {"ExitStatus", 0}};
            },
            "An error occurred when erasing data. Please make sure that the device is not being used or "
            "you have enough permissions."},
        FailureRow{"restore",
                   [](const QString&) {
                       return QVariantMap{{"Tool", "asr"}, {"Action", "signal"}, {"Signal", 9}};
                   },
                   "Failed to create bootable disk, please try again.", true, "asr crashed"},
        FailureRow{"restoreInItsOwnWords",
                   [](const QString&) {
                       return QVariantMap{{"Tool", "asr"},
                                          {"Action", "exit"},
                                          {"ExitStatus", 1},
                                          {"Stderr", "Could not restore - Operation not permitted"}};
                   },
                   "Failed to create bootable disk, please try again.", true,
                   "Could not restore - Operation not permitted"},
        FailureRow{"unplugged",
                   [](const QString& disk) {
                       return QVariantMap{
                           {"Tool", "asr"}, {"Action", "detachDisk"}, {"AtPercent", 50}, {"Disk", disk}};
                   },
                   sources::kUnpluggedMessage}),
    [](const ::testing::TestParamInfo<FailureRow>& row) { return row.param.name; });

}  // namespace
