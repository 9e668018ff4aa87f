#include "tests/app/bootable/e2e/CloneHarness.h"

#include "ui-kit/controls/CancelTextImageButton.h"

#include <QTimer>

#include <gtest/gtest.h>

using namespace bootabletest;

namespace {

// "Cancel" asks first: "Continue" lets the clone go on, the question's own "Cancel" stops it; the engine's
// report of the stop that follows shows nothing more.
TEST(CloneStop, ContinueThenCancel) {
    Harness h;
    h.sim.setConfig(QStringLiteral("AsrStepDelayMs"), 60);  // time to answer inside a pass
    h.choose(h.attach(QStringLiteral("256G")));
    h.stopAnswers = {false, true};
    h.resultShot = QStringLiteral("result-stopped");
    QList<std::pair<int, int>> asked;
    h.recorder->onTag = [&](int tag, int pass) {
        if (tag == 3) {
            asked << std::pair(tag, pass);
            QTimer::singleShot(0, h.screen, [&] { click(h.screen->cancelButton()); });
        }
    };
    h.cloneNow();
    ASSERT_TRUE(h.waitForEnd());
    EXPECT_EQ(asked, (QList<std::pair<int, int>>{{3, 1}, {3, 2}})) << "the clone went on after Continue";
    ASSERT_EQ(h.results.size(), 1);
    EXPECT_TRUE(h.results[0].failed);
    EXPECT_EQ(h.results[0].message, SelectDrivceViewController::kStoppedMessage);
    EXPECT_FALSE(h.results[0].accessHint) << "a stop is not for want of access";
    EXPECT_LT(h.recorder->values.last(), 100);
    EXPECT_TRUE(testsupport::toolCalls(h.sim, "cp").isEmpty());
}

}  // namespace
