#include "ui-kit/windows/PopoverGeometry.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace popover = kit::popover;

namespace {

constexpr double kArrowLength = 12;
const QSizeF kArrowSize(23, 12);
const QRectF kAnchor(100, 200, 40, 20);

// --- the frame beside the anchor -------------------------------------------------------------------------

struct FrameCase {
    int direction;
    QRectF frame;
};

void PrintTo(const FrameCase& c, std::ostream* os) {
    *os << "direction " << c.direction;
}

class PopoverFrame : public testing::TestWithParam<FrameCase> {};

// A 201 x 101 content makes a 225 x 125 panel, whose halves round down.
TEST_P(PopoverFrame, BesideTheAnchorWithHalvesRoundedDown) {
    const FrameCase& c = GetParam();
    EXPECT_EQ(popover::popoverFrame(kAnchor, QSizeF(201, 101), c.direction, kArrowLength), c.frame);
}

INSTANTIATE_TEST_SUITE_P(PopoverGeometry, PopoverFrame,
                         testing::Values(FrameCase{1, {140, 148, 225, 125}},
                                         FrameCase{2, {-125, 148, 225, 125}},
                                         FrameCase{3, {18, 75, 225, 125}}, FrameCase{4, {8, 220, 225, 125}},
                                         FrameCase{0, {}}, FrameCase{5, {}}));

TEST(PopoverGeometry, BelowTheAnchorTheTipIsTenPointsRightOfItsCentre) {
    const QRectF frame = popover::popoverFrame(kAnchor, QSizeF(200, 100), 3, kArrowLength);
    const QRectF bounds(QPointF(0, 0), frame.size());
    const QPointF tip = popover::arrowTip(bounds, 3, 12, kArrowSize);
    EXPECT_EQ(frame.x() + tip.x(), kAnchor.center().x() + 10);
    EXPECT_EQ(frame.y() + tip.y(), kAnchor.y()) << "the tip touches the anchor's bottom edge";
}

TEST(PopoverGeometry, ThePanelIsTheContentGrownByTheArrowsLength) {
    EXPECT_EQ(popover::frameRectForContentRect({10, 20, 200, 100}, 12), QRectF(-2, 8, 224, 124));
    EXPECT_EQ(popover::contentRectForFrameRect({-2, 8, 224, 124}, 12), QRectF(12, 12, 200, 100));
}

// --- the side ----------------------------------------------------------------------------------------------

struct SideCase {
    const char* name;
    int preferred;
    QRectF anchor;
    QSizeF content;
    QRectF screen;
    int chosen;
};

void PrintTo(const SideCase& c, std::ostream* os) {
    *os << c.name;
}

class PopoverSide : public testing::TestWithParam<SideCase> {};

TEST_P(PopoverSide, IsChosenToFitTheAnchorsScreen) {
    const SideCase& c = GetParam();
    EXPECT_EQ(popover::chooseDirection(c.preferred, c.anchor, c.content, kArrowLength, c.screen), c.chosen);
}

const QRectF kMain(0, 0, 1280, 800);

INSTANTIATE_TEST_SUITE_P(
    PopoverGeometry, PopoverSide,
    testing::Values(
        SideCase{"preferred fits", 1, {100, 400, 40, 20}, {200, 100}, kMain, 1},
        SideCase{"right edge: left instead", 1, {1200, 400, 40, 20}, {200, 100}, kMain, 2},
        SideCase{"left edge: right instead", 2, {20, 400, 40, 20}, {200, 100}, kMain, 1},
        SideCase{"bottom edge: above instead", 3, {600, 50, 40, 20}, {200, 100}, kMain, 4},
        SideCase{"too wide beside: below, the larger room",
                 1,
                 {180, 400, 40, 20},
                 {300, 100},
                 {0, 0, 400, 600},
                 3},
        SideCase{"too wide beside: above, the larger room",
                 1,
                 {180, 100, 40, 20},
                 {300, 100},
                 {0, 0, 400, 600},
                 4},
        SideCase{"small screen: nothing fits", 1, {140, 110, 40, 20}, {300, 200}, {0, 0, 320, 240}, 1},
        SideCase{"nothing fits keeps below", 3, {140, 110, 40, 20}, {300, 200}, {0, 0, 320, 240}, 3},
        // On a screen above the primary one, the anchor near its bottom has the room above it.
        SideCase{"second screen above", 1, {600, 850, 40, 20}, {700, 300}, {0, 800, 1280, 800}, 4},
        // On a screen reaching below the primary one, the anchor near its top has the room below it.
        SideCase{"second screen lower", 1, {1700, 300, 40, 20}, {700, 300}, {1280, -368, 1024, 768}, 3},
        SideCase{"no direction stays none", 0, {100, 400, 40, 20}, {200, 100}, kMain, 0}));

// --- the outline -------------------------------------------------------------------------------------------

TEST(PopoverGeometry, AnOddBorderWidthMovesTheOutlineHalfAPointIn) {
    const QRectF bounds(0, 0, 224, 124);
    for (const auto& [width, rect] :
         {std::pair{0.0, bounds}, std::pair{1.0, QRectF(0.5, 0.5, 223, 123)}, std::pair{2.0, bounds},
          std::pair{4.0, bounds}, std::pair{3.7, QRectF(0.5, 0.5, 223, 123)}}) {
        EXPECT_EQ(popover::outlineRect(bounds, width), rect) << width;
    }
}

TEST(PopoverGeometry, OnlyTheArrowReachesIntoTheMarginUpToItsTip) {
    // The body of a 224 x 124 panel is (12, 12, 200, 100); the arrow adds the margin on its own edge.
    const QRectF bounds(0, 0, 224, 124);
    const std::map<int, std::pair<QPointF, QRectF>> cases{{1, {{0, 62}, {0, 12, 212, 100}}},
                                                          {2, {{224, 62}, {12, 12, 212, 100}}},
                                                          {3, {{112, 124}, {12, 12, 200, 112}}},
                                                          {4, {{112, 0}, {12, 0, 200, 112}}},
                                                          {0, {{112, 62}, {12, 12, 200, 100}}}};
    for (const auto& [direction, expected] : cases) {
        EXPECT_EQ(popover::arrowTip(bounds, direction, 12, kArrowSize), expected.first) << direction;
        EXPECT_EQ(popover::outlinePath(bounds, direction, 12, kArrowSize).boundingRect(), expected.second)
            << direction;
    }
}

TEST(PopoverGeometry, TheTopHighlightIsSplitAroundATopArrow) {
    const QRectF bounds(0, 0, 224, 124);
    EXPECT_EQ(popover::topHighlightRects(bounds, 1, 12, kArrowSize, 1),
              QList<QRectF>{QRectF(18, 110, 188, 1)});
    EXPECT_EQ(popover::topHighlightRects(bounds, 3, 12, kArrowSize, 1),
              (QList<QRectF>{QRectF(18, 110, 82, 1), QRectF(123, 110, 82, 1)}));
}

}  // namespace
