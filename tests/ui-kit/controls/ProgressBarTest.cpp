#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/controls/AidProgress.h"
#include "ui-kit/controls/DiskSizeProgress.h"
#include "ui-kit/controls/ProgressView.h"
#include "ui-kit/controls/Spinner.h"
#include "ui-kit/controls/WipeDiskProView.h"
#include "ui-kit/getColor.h"

#include <QTimer>
#include <QTimerEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

struct FillRow {
    float width;
    float percent;
    float expected;
};

void PrintTo(const FillRow& row, std::ostream* out) {
    *out << row.percent << "% of " << row.width;
}

class FilledWidth : public ::testing::TestWithParam<FillRow> {};

TEST_P(FilledWidth, FromThePercentage) {
    const FillRow& row = GetParam();
    EXPECT_FLOAT_EQ(kit::DrawnProgressBar::filledWidthFor(row.width, row.percent), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FilledWidth,
                         ::testing::Values(FillRow{240, 0, 0}, FillRow{240, 100, 240}, FillRow{240, 50, 120},
                                           FillRow{240, 99.5f, 238.8f},  // more than a point short: as is
                                           FillRow{240, 99.7f, 240},     // less than a point short: full
                                           FillRow{240, 150, 240}, FillRow{240, -20, 0},
                                           FillRow{240, std::numeric_limits<float>::quiet_NaN(), 0},
                                           FillRow{240, std::numeric_limits<float>::infinity(), 240},
                                           FillRow{0, 50, 0}));

TEST(ProgressBar, StartsEmptyAndKeepsItsWidthWhenResized) {
    DiskSizeProgress bar;
    bar.resize(240, 4);
    EXPECT_EQ(bar.filledWidth(), 0);
    bar.changeProgressValue(75);
    EXPECT_FLOAT_EQ(bar.filledWidth(), 180);
    bar.resize(480, 4);
    EXPECT_FLOAT_EQ(bar.filledWidth(), 180) << "the fill is rescaled only by the next value";
    bar.changeProgressValue(75);
    EXPECT_FLOAT_EQ(bar.filledWidth(), 360);
}

TEST(ProgressBar, ShapesOfEachKind) {
    const QSizeF size(240, 20);
    const auto shapes = [&](const kit::DrawnProgressBar& bar) { return bar.barShapes(size, 60); };
    EXPECT_EQ(
        shapes(AidProgress()),
        (QList<kit::DrawnShape>{kit::DrawnShape::fill({0, 0, 240, 20}, 3.5, getColor(37, 47, 57, 1)),
                                kit::DrawnShape::fill({0, 0, 60, 20}, 3.5, getColor(95, 130, 252, 1))}));
    EXPECT_EQ(shapes(DiskSizeProgress()),
              (QList<kit::DrawnShape>{kit::DrawnShape::fill({0, 0, 240, 20}, 2, getColor(207, 222, 250, 1)),
                                      kit::DrawnShape::fill({0, 0, 60, 20}, 2, getColor(78, 109, 255, 1))}));
    EXPECT_EQ(shapes(ProgressView()),
              (QList<kit::DrawnShape>{kit::DrawnShape::fill({0, 0, 240, 6}, 3, getColor(207, 222, 250, 1)),
                                      kit::DrawnShape::fill({0, 0, 60, 6}, 3, getColor(78, 109, 255, 1))}));
    EXPECT_EQ(shapes(WipeDiskProView()),
              (QList<kit::DrawnShape>{kit::DrawnShape::fill({0, 0, 240, 4}, 2, getColor(207, 222, 250, 1)),
                                      kit::DrawnShape::fill({0, 0, 60, 4}, 2, getColor(65, 98, 255, 1))}));
}

TEST(ProgressBarPixels, AProgressViewDrawsItsBarAtTheBottom) {
    ProgressView bar;
    bar.resize(400, 20);
    bar.changeProgressValue(50);
    const QImage image = kittest::render(&bar);
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 100, 17), getColor(78, 109, 255, 1))) << "fill";
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 300, 17), getColor(207, 222, 250, 1))) << "track";
    EXPECT_EQ(kittest::pixel(image, 100, 5).alpha(), 0) << "nothing above the 6-point bar (y-flip)";
}

TEST(ProgressBarPixels, ZeroShowsOnlyTheTrackAndFullFillsTheWholeWidth) {
    WipeDiskProView bar;
    bar.resize(200, 10);
    const QImage empty = kittest::render(&bar);
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(empty, 5, 8), getColor(207, 222, 250, 1)));
    bar.changeProgressValue(100);
    const QImage full = kittest::render(&bar);
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(full, 5, 8), getColor(65, 98, 255, 1)));
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(full, 195, 8), getColor(65, 98, 255, 1)));
}

TEST(ProgressBarPixels, APartialRedrawDoesNotNarrowTheTrack) {
    AidProgress bar;
    bar.resize(300, 8);
    bar.changeProgressValue(10);
    const QImage whole = kittest::render(&bar);
    QImage part(bar.size(), QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    const QRect dirty(150, 0, 60, 8);
    bar.render(&part, dirty.topLeft(), QRegion(dirty), QWidget::DrawChildren);
    for (int x = dirty.left(); x <= dirty.right(); ++x) {
        EXPECT_EQ(part.pixelColor(x, 4), whole.pixelColor(x, 4)) << x;
    }
    EXPECT_TRUE(kittest::sameColor(whole.pixelColor(152, 4), getColor(37, 47, 57, 1)));
}

// --- the spinner
// ---------------------------------------------------------------------------------------------

TEST(Spinner, TurnsWhileShownAndStandsStillWhileHidden) {
    kittest::Shown<kit::Spinner> shown(QSize(16, 16));
    auto* timer = shown.view->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    // One tick of the spinner's own timer, delivered now instead of waited for.
    const auto tick = [timer] {
        QTimerEvent event(timer->timerId());
        QCoreApplication::sendEvent(timer, &event);
    };
    EXPECT_TRUE(shown.view->isSpinning());
    EXPECT_EQ(timer->intervalAsDuration(), kit::Spinner::kStepInterval);
    // On a slow machine the timer may have stepped while the window was being shown.
    while (shown.view->frame() != 0) {
        shown.view->step();
    }
    const auto topSpoke = [&] { return kittest::pixel(kittest::render(shown.view), 8, 2).alpha(); };
    const int headAlpha = topSpoke();
    tick();
    EXPECT_EQ(shown.view->frame(), 1);
    EXPECT_LT(topSpoke(), headAlpha) << "the head has moved on and the top spoke fades";
    for (int step = 1; step < kit::Spinner::kSpokes; ++step) {
        shown.view->step();
    }
    EXPECT_EQ(shown.view->frame(), 0) << "a whole turn comes back to the top";
    EXPECT_EQ(topSpoke(), headAlpha);

    shown.view->hide();
    EXPECT_FALSE(shown.view->isSpinning());
    shown.view->show();
    EXPECT_TRUE(shown.view->isSpinning());
    shown.window.hide();
    EXPECT_FALSE(shown.view->isSpinning()) << "the spinner of a hidden window stands still";
}
