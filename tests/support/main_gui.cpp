#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QCursor>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The pointer outlives the test that moved it. Left over the middle of one test's window, it would lie
// over the next test's window, shown at the same place, which then never sees it enter: each test starts
// with the pointer outside every window.
class PointerParker : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { QCursor::setPos(-1000, -1000); }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::restoreSettingsAfterEveryTest();
    testing::UnitTest::GetInstance()->listeners().Append(std::make_unique<PointerParker>().release());
    return RUN_ALL_TESTS();
}
