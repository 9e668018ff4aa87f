#include "tests/support/TestEnv.h"

#include "app/shell/StartUp.h"
#include "platform/Bundle.h"
#include "platform/PowerAssertion.h"
#include "platform/Workspace.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::heldPowerAssertions;

// Records the workspace launches of one test instead of performing them.
class RecordedLaunches {
public:
    explicit RecordedLaunches(bool succeed) {
        platform::Workspace::setLaunchApplicationForTesting([this, succeed](const QString& path) {
            paths.append(path);
            environmentMarked.push_back(qEnvironmentVariableIsSet(kHandOverVariable));
            return succeed;
        });
    }
    ~RecordedLaunches() { platform::Workspace::setLaunchApplicationForTesting({}); }
    RecordedLaunches(const RecordedLaunches&) = delete;
    RecordedLaunches& operator=(const RecordedLaunches&) = delete;

    QStringList paths;
    std::vector<bool> environmentMarked;
};

// The application loop of a test: notes what it saw while it ran and returns a known result.
struct RecordedLoop {
    int runs = 0;
    int argc = -1;
    QStringList assertionsWhileRunning;

    ApplicationLoop loop() {
        return [this](int count, char**) {
            ++runs;
            argc = count;
            for (const auto& assertion : heldPowerAssertions()) {
                assertionsWhileRunning.append(assertion.type + u'/' + assertion.name);
            }
            return 42;
        };
    }
};

int startWith(std::vector<std::string> arguments, const ApplicationLoop& loop) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return TavrunMain(static_cast<int>(arguments.size()), argv.data(), loop);
}

const QString kAssertion = QStringLiteral("PreventUserIdleDisplaySleep/PreventUserIdleDisplaySleep");

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        qunsetenv(kHandOverVariable);
        ASSERT_TRUE(heldPowerAssertions().isEmpty());
    }
    void TearDown() override { qunsetenv(kHandOverVariable); }
};

class SingleArgument : public StartUp, public ::testing::WithParamInterface<std::string> {};

}  // namespace

TEST_F(StartUp, WithoutAnArgumentHandsOverToTheLauncherAndEnds) {
    RecordedLaunches launches(true);
    RecordedLoop loop;
    EXPECT_EQ(startWith({"Tavrun"}, loop.loop()), 0);
    EXPECT_EQ(loop.runs, 0) << "no window, no loop";
    EXPECT_TRUE(heldPowerAssertions().isEmpty()) << "no assertion was made";
    ASSERT_EQ(launches.paths.size(), 1) << "one hand-over";
    EXPECT_EQ(launches.paths.first(), launcherBundlePath(platform::Bundle::mainBundlePath()));
    EXPECT_EQ(launches.environmentMarked, std::vector<bool>{true}) << "the launcher inherits the marker";
}

TEST_F(StartUp, WhenTheHandOverFailsTheApplicationRunsUnderTheAssertion) {
    RecordedLaunches launches(false);
    RecordedLoop loop;
    EXPECT_EQ(startWith({"Tavrun"}, loop.loop()), 42) << "the loop's result";
    EXPECT_EQ(launches.paths.size(), 1);
    EXPECT_EQ(loop.runs, 1);
    EXPECT_EQ(loop.assertionsWhileRunning, QStringList{kAssertion}) << "held while the loop runs";
    EXPECT_TRUE(heldPowerAssertions().isEmpty()) << "released after it";
    EXPECT_FALSE(qEnvironmentVariableIsSet(kHandOverVariable)) << "no marker left for the tools it starts";
}

TEST_P(SingleArgument, AnyOneArgumentRunsWithoutHandOver) {
    RecordedLaunches launches(true);
    RecordedLoop loop;
    EXPECT_EQ(startWith({"Tavrun", GetParam()}, loop.loop()), 42);
    EXPECT_TRUE(launches.paths.isEmpty());
    EXPECT_EQ(loop.argc, 2);
    EXPECT_EQ(loop.assertionsWhileRunning, QStringList{kAssertion});
    EXPECT_TRUE(heldPowerAssertions().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Texts, SingleArgument,
                         ::testing::Values("en*loaderflag*", "", "-psn_0_12345", "--help", "fr*loaderflag*"));

TEST_F(StartUp, MoreArgumentsRunToo) {
    RecordedLaunches launches(true);
    RecordedLoop loop;
    EXPECT_EQ(startWith({"Tavrun", "en*loaderflag*", "extra"}, loop.loop()), 42);
    EXPECT_TRUE(launches.paths.isEmpty());
    EXPECT_EQ(loop.argc, 3);
}

TEST_F(StartUp, AProcessStartedByAHandOverNeverHandsOverAgain) {
    qputenv(kHandOverVariable, "1");
    RecordedLaunches launches(true);
    RecordedLoop loop;
    EXPECT_EQ(startWith({"Tavrun"}, loop.loop()), 42);
    EXPECT_TRUE(launches.paths.isEmpty()) << "no second hand-over";
    EXPECT_EQ(loop.assertionsWhileRunning, QStringList{kAssertion});
    EXPECT_FALSE(qEnvironmentVariableIsSet(kHandOverVariable));
}

TEST(LauncherBundlePath, IsThreeLevelsAboveTheApplicationBundle) {
    EXPECT_EQ(launcherBundlePath("/Applications/TavrunLauncher.app/Contents/MacOS/Tavrun.app"),
              "/Applications/TavrunLauncher.app");
    EXPECT_EQ(launcherBundlePath("/a/b c/L.app/Contents/MacOS/Tavrun.app/"), "/a/b c/L.app");
    EXPECT_EQ(launcherBundlePath("/Applications/Tavrun.app"),
              QDir::cleanPath("/Applications/Tavrun.app/../../.."));
}

TEST(MainBundle, IsTwoLevelsAboveTheExecutablesFolder) {
    EXPECT_EQ(platform::Bundle::mainBundlePath(),
              QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../.."));
}

TEST(PowerAssertion, IsRecordedUntilReleased) {
    using namespace platform;
    IOPMAssertionID first = 0;
    IOPMAssertionID second = 0;
    ASSERT_EQ(IOPMAssertionCreateWithName("PreventUserIdleDisplaySleep", kIOPMAssertionLevelOn, "a", &first),
              kIOReturnSuccess);
    ASSERT_EQ(IOPMAssertionCreateWithName("PreventUserIdleSystemSleep", kIOPMAssertionLevelOn, "b", &second),
              kIOReturnSuccess);
    EXPECT_NE(first, second);
    ASSERT_EQ(heldPowerAssertions().size(), 2);
    EXPECT_EQ(IOPMAssertionRelease(first), kIOReturnSuccess);
    ASSERT_EQ(heldPowerAssertions().size(), 1);
    EXPECT_EQ(heldPowerAssertions().first().name, "b");
    EXPECT_EQ(IOPMAssertionRelease(first), kIOReturnBadArgument) << "released twice";
    EXPECT_EQ(IOPMAssertionRelease(second), kIOReturnSuccess);
    EXPECT_EQ(IOPMAssertionRelease(0), kIOReturnBadArgument);
    EXPECT_TRUE(heldPowerAssertions().isEmpty());
}

TEST(PowerAssertion, RefusesBadArgumentsAndHoldsNothingAtLevelOff) {
    using namespace platform;
    IOPMAssertionID id = 0;
    EXPECT_EQ(IOPMAssertionCreateWithName("", kIOPMAssertionLevelOn, "x", &id), kIOReturnBadArgument);
    EXPECT_EQ(IOPMAssertionCreateWithName("PreventUserIdleDisplaySleep", 7, "x", &id), kIOReturnBadArgument);
    EXPECT_EQ(IOPMAssertionCreateWithName("PreventUserIdleDisplaySleep", kIOPMAssertionLevelOn, "x", nullptr),
              kIOReturnBadArgument);
    ASSERT_EQ(IOPMAssertionCreateWithName("PreventUserIdleDisplaySleep", kIOPMAssertionLevelOff, "x", &id),
              kIOReturnSuccess);
    EXPECT_TRUE(heldPowerAssertions().isEmpty());
    EXPECT_EQ(IOPMAssertionRelease(id), kIOReturnSuccess);
}
