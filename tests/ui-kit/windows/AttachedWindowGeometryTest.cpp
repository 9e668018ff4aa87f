#include "ui-kit/windows/AttachedWindowGeometry.h"

#include <gtest/gtest.h>

#include <QPainterPath>

namespace geometry = kit::attached;

namespace {

// The dialog window's defaults, with its 15 x 10 arrow drawn.
kit::AttachedWindowStyle arrowStyle() {
    return {.viewMargin = 2,
            .arrowBaseWidth = 15,
            .arrowHeight = 10,
            .cornerRadius = 16,
            .hasArrow = true,
            .drawsRoundCornerBesideArrow = true};
}

// The chooser window's defaults: an arrow of zero size, radius 6.
kit::AttachedWindowStyle chooserStyle() {
    return {.viewMargin = 2,
            .arrowBaseWidth = 0,
            .arrowHeight = 0,
            .cornerRadius = 6,
            .hasArrow = true,
            .drawsRoundCornerBesideArrow = true};
}

const QSizeF kView(100, 40);
const QPointF kPoint(300, 200);

// A side of the window: its frame (screen) and view frame (window) for a 100 x 40 view at (300, 200),
// distance 5, and the arrow's tip in the window.
struct SideCase {
    int side;
    QRectF frame;
    QRectF viewFrame;
    QPointF tip;
};

void PrintTo(const SideCase& c, std::ostream* os) {
    *os << "side " << c.side;
}

class EverySide : public testing::TestWithParam<SideCase> {};

TEST_P(EverySide, FrameViewAndArrowTip) {
    const SideCase& c = GetParam();
    const geometry::Layout layout = geometry::layout(kView, kPoint, c.side, 5, arrowStyle(), 1);
    EXPECT_EQ(layout.frame, c.frame);
    EXPECT_EQ(layout.viewFrame, c.viewFrame);

    const geometry::Outline edges = geometry::outline(layout.viewFrame, 2, 1);
    const QPointF start = geometry::arrowStart(edges, c.side, arrowStyle(), 1);
    const QPointF tip = geometry::arrowPoints(start, c.side, arrowStyle(), 1)[0];
    EXPECT_EQ(tip, c.tip);
    // The tip lies one point inside the window's edge on the arrow's side (the outline is snapped inward).
    const QRectF window(QPointF(0, 0), layout.frame.size());
    EXPECT_TRUE(window.adjusted(1, 1, -1, -1).contains(tip) || tip.x() == window.right() - 1 ||
                tip.y() == window.bottom() - 1)
        << tip.x() << "," << tip.y();
    // And the outline passes through it.
    const QPainterPath path = geometry::backgroundPath(layout.viewFrame, c.side, arrowStyle(), 1);
    bool throughTip = false;
    for (int i = 0; i < path.elementCount(); ++i) {
        throughTip = throughTip || QPointF(path.elementAt(i)) == tip;
    }
    EXPECT_TRUE(throughTip);
}

// Worked out by hand from the placement table: W 104 and H 44 before the arrow's room of 10, arrow inset
// 15 / 2 + 16 = 23.5, the outline one point inside the view frame grown by the margin.
INSTANTIATE_TEST_SUITE_P(AttachedWindowGeometry, EverySide,
                         testing::Values(SideCase{0, {181, 178, 114, 44}, {2, 2, 100, 40}, {113, 22}},
                                         SideCase{1, {248, 141, 104, 54}, {2, 2, 100, 40}, {52, 53}},
                                         SideCase{2, {305, 178, 114, 44}, {12, 2, 100, 40}, {1, 22}},
                                         SideCase{3, {248, 205, 104, 54}, {2, 12, 100, 40}, {52, 1}},
                                         SideCase{4, {181, 176.5, 114, 44}, {2, 2, 100, 40}, {113, 24.5}},
                                         SideCase{5, {181, 179.5, 114, 44}, {2, 2, 100, 40}, {113, 19.5}},
                                         SideCase{6, {305, 176.5, 114, 44}, {12, 2, 100, 40}, {1, 24.5}},
                                         SideCase{7, {305, 179.5, 114, 44}, {12, 2, 100, 40}, {1, 19.5}},
                                         SideCase{8, {219.5, 205, 104, 54}, {2, 12, 100, 40}, {79.5, 1}},
                                         SideCase{9, {276.5, 205, 104, 54}, {2, 12, 100, 40}, {24.5, 1}},
                                         SideCase{10, {219.5, 141, 104, 54}, {2, 2, 100, 40}, {79.5, 53}},
                                         SideCase{11, {276.5, 141, 104, 54}, {2, 2, 100, 40}, {24.5, 53}}));

TEST(AttachedWindowGeometry, TheChooserAboveItsPointIsAPlainRoundedRectangle) {
    const geometry::Layout layout =
        geometry::layout(kView, kPoint, AttachedWindowSideAbove, 0, chooserStyle(), 1);
    EXPECT_EQ(layout.frame, QRectF(248, 200, 104, 44));
    EXPECT_EQ(layout.viewFrame, QRectF(2, 2, 100, 40));
    const QPainterPath path =
        geometry::backgroundPath(layout.viewFrame, AttachedWindowSideAbove, chooserStyle(), 1);
    EXPECT_EQ(path.boundingRect(), QRectF(1, 1, 102, 42)) << "the body runs from (1, 1) to (103, 43)";
}

TEST(AttachedWindowGeometry, TheDialogKeepsRoomForAnArrowItDoesNotDraw) {
    kit::AttachedWindowStyle style = arrowStyle();
    style.hasArrow = false;
    const geometry::Layout layout = geometry::layout(kView, kPoint, AttachedWindowSideAbove, 0, style, 1);
    EXPECT_EQ(layout.frame, QRectF(248, 200, 104, 54));
    EXPECT_EQ(layout.viewFrame, QRectF(2, 12, 100, 40));
    const QRectF body =
        geometry::backgroundPath(layout.viewFrame, AttachedWindowSideAbove, style, 1).boundingRect();
    EXPECT_EQ(body.top(), 11) << "the strip below the body stays transparent";
    EXPECT_EQ(body.bottom(), 53);
}

TEST(AttachedWindowGeometry, AutomaticAndUnknownSidesPutTheCornerAtThePointWithoutArrowRoom) {
    for (int side : {12, 13, -1, 99}) {
        const geometry::Layout layout = geometry::layout(kView, kPoint, side, 5, arrowStyle(), 1);
        EXPECT_EQ(layout.frame, QRectF(300, 200, 104, 44)) << side;
        EXPECT_EQ(layout.viewFrame, QRectF(2, 2, 100, 40)) << side;
        const QPainterPath path = geometry::backgroundPath(layout.viewFrame, side, arrowStyle(), 1);
        EXPECT_EQ(path.boundingRect(), QRectF(1, 1, 102, 42)) << "no arrow drawn for side " << side;
    }
}

TEST(AttachedWindowGeometry, TheScaleFactorScalesMarginsArrowAndInset) {
    const geometry::Layout layout =
        geometry::layout(kView, kPoint, AttachedWindowSideBelowRight, 0, arrowStyle(), 2);
    // W = 100 + 8, H = 40 + 8 + 20; inset = 2 x (7.5 + 16) = 47.
    EXPECT_EQ(layout.frame, QRectF(300 - 47, 200 - 68, 108, 68));
    EXPECT_EQ(layout.viewFrame, QRectF(4, 4, 100, 40));
    EXPECT_EQ(geometry::arrowInset(arrowStyle(), 2), 47.0f);
}

TEST(AttachedWindowGeometry, ACornerBesideTheArrowIsSquareOnlyWhenAsked) {
    kit::AttachedWindowStyle square = arrowStyle();
    square.drawsRoundCornerBesideArrow = false;
    const geometry::Layout layout =
        geometry::layout(kView, kPoint, AttachedWindowSideBelowRight, 0, square, 1);
    const geometry::Outline edges = geometry::outline(layout.viewFrame, 2, 1);
    // Square top-left corner: the base starts at the corner itself.
    EXPECT_EQ(geometry::arrowStart(edges, AttachedWindowSideBelowRight, square, 1),
              QPointF(edges.minX, edges.maxY));
    EXPECT_TRUE(geometry::squareCorners(AttachedWindowSideBelowRight, square, 1).topLeft);
    EXPECT_FALSE(geometry::squareCorners(AttachedWindowSideBelowRight, square, 1).topRight);
    // Rounded: it starts where the rounding ends.
    EXPECT_EQ(geometry::arrowStart(edges, AttachedWindowSideBelowRight, arrowStyle(), 1),
              QPointF(edges.minX + 16, edges.maxY));

    struct Corner {
        int side;
        bool geometry::SquareCorners::*corner;
    };
    for (const Corner& c :
         {Corner{7, &geometry::SquareCorners::topLeft}, Corner{11, &geometry::SquareCorners::topLeft},
          Corner{5, &geometry::SquareCorners::topRight}, Corner{10, &geometry::SquareCorners::topRight},
          Corner{4, &geometry::SquareCorners::bottomRight}, Corner{8, &geometry::SquareCorners::bottomRight},
          Corner{6, &geometry::SquareCorners::bottomLeft}, Corner{9, &geometry::SquareCorners::bottomLeft}}) {
        const geometry::SquareCorners corners = geometry::squareCorners(c.side, square, 1);
        EXPECT_TRUE(corners.*c.corner) << c.side;
        EXPECT_EQ(corners.topLeft + corners.topRight + corners.bottomRight + corners.bottomLeft, 1) << c.side;
    }
    for (int side : {0, 1, 2, 3}) {
        const geometry::SquareCorners corners = geometry::squareCorners(side, square, 1);
        EXPECT_FALSE(corners.topLeft || corners.topRight || corners.bottomRight || corners.bottomLeft)
            << side;
    }
    kit::AttachedWindowStyle noRadius = arrowStyle();
    noRadius.cornerRadius = 0;
    const geometry::SquareCorners all = geometry::squareCorners(AttachedWindowSideBelow, noRadius, 1);
    EXPECT_TRUE(all.topLeft && all.topRight && all.bottomRight && all.bottomLeft);
}

// --- the automatic side --------------------------------------------------------------------------------

struct AutoCase {
    const char* name;
    QPointF point;
    QRectF visible;
    std::optional<QRectF> parent;
    int side;
};

void PrintTo(const AutoCase& c, std::ostream* os) {
    *os << c.name;
}

class AutomaticSide : public testing::TestWithParam<AutoCase> {};

TEST_P(AutomaticSide, ChoosesTheSideThatFits) {
    const AutoCase& c = GetParam();
    EXPECT_EQ(geometry::bestSide(kView, c.point, 0, chooserStyle(), 1, c.visible, c.parent), c.side);
}

const QRectF kScreen(0, 0, 1440, 900);

INSTANTIATE_TEST_SUITE_P(
    AttachedWindowGeometry, AutomaticSide,
    testing::Values(
        AutoCase{"room everywhere: below", {700, 450}, kScreen, std::nullopt, AttachedWindowSideBelow},
        AutoCase{"near the bottom: right", {700, 30}, kScreen, std::nullopt, AttachedWindowSideRight},
        AutoCase{
            "on the bottom: right, reaching up", {700, 20}, kScreen, std::nullopt, AttachedWindowSideRightUp},
        AutoCase{"bottom right corner: left", {1400, 30}, kScreen, std::nullopt, AttachedWindowSideLeft},
        AutoCase{"no room beside: above", {75, 30}, {0, 0, 150, 900}, std::nullopt, AttachedWindowSideAbove},
        AutoCase{"no room anywhere: below", {75, 30}, {0, 0, 150, 60}, std::nullopt, AttachedWindowSideBelow},
        AutoCase{"past the parent's left edge: below, reaching right",
                 {120, 300},
                 kScreen,
                 QRectF(100, 100, 600, 400),
                 AttachedWindowSideBelowRight},
        AutoCase{"past the parent's left edge, no room on the right: below",
                 {120, 300},
                 {0, 0, 200, 900},
                 QRectF(100, 100, 600, 400),
                 AttachedWindowSideBelow},
        AutoCase{"past the parent's right edge: below, reaching left",
                 {680, 300},
                 kScreen,
                 QRectF(100, 100, 600, 400),
                 AttachedWindowSideBelowLeft},
        AutoCase{"at the parent's top edge: right, reaching down",
                 {700, 480},
                 {0, 440, 1440, 460},
                 QRectF(100, 300, 600, 200),
                 AttachedWindowSideRightDown},
        AutoCase{"at the parent's top edge, no room below it on screen: right",
                 {700, 480},
                 {0, 446, 1440, 454},
                 QRectF(100, 300, 600, 200),
                 AttachedWindowSideRight},
        AutoCase{
            "no screen: computed against zero", {0, 0}, QRectF(), std::nullopt, AttachedWindowSideBelow}));

TEST(AttachedWindowGeometry, TheAutomaticSideKeepsTheWindowOnASmallScreen) {
    // The chooser's window, whose arrow axis lies 6 points from a corner: anchors all over a small screen,
    // down to 10 points from its edges. (An anchor nearer an edge than that inset cannot have the arrow
    // at it with the window inside.)
    const QRectF small(0, 0, 320, 240);
    const kit::AttachedWindowStyle style = chooserStyle();
    for (double x : {10.0, 40.0, 160.0, 280.0, 310.0}) {
        for (double y : {10.0, 70.0, 120.0, 170.0, 230.0}) {
            const QPointF point(x, y);
            const int side = geometry::bestSide(kView, point, 0, style, 1, small, std::nullopt);
            const QRectF frame = geometry::layout(kView, point, side, 0, style, 1).frame;
            EXPECT_TRUE(small.contains(frame))
                << "side " << side << " at " << x << "," << y << " gives " << frame.x() << "," << frame.y()
                << " " << frame.width() << "x" << frame.height();
        }
    }
}

// --- the setters' clamps --------------------------------------------------------------------------------

TEST(AttachedWindowGeometry, ClampsFollowTheViewAndNeverGoNegative) {
    const QRectF viewFrame(2, 12, 100, 40);
    kit::AttachedWindowStyle style = arrowStyle();
    EXPECT_EQ(geometry::clampedCornerRadius(16, viewFrame, style), 14.5f) << "(4 + 40 - 15) x 0.5";
    style.cornerRadius = 14.5f;
    EXPECT_EQ(geometry::clampedArrowBaseWidth(15, viewFrame, style), 15.0f) << "limit 4 + 40 - 14.5 - 14.5";
    EXPECT_EQ(geometry::clampedArrowBaseWidth(40, viewFrame, style), 15.0f);
    EXPECT_EQ(geometry::clampedCornerRadius(-3, viewFrame, style), 0.0f);
    EXPECT_EQ(geometry::clampedBorderWidth(5, 2), 2.0f);
    EXPECT_EQ(geometry::clampedBorderWidth(1, 2), 1.0f);

    // A view too small for the corners and the arrow: the limits fall below zero and are held at zero.
    const QRectF tiny(2, 2, 4, 4);
    kit::AttachedWindowStyle big = arrowStyle();
    big.arrowBaseWidth = 30;
    EXPECT_EQ(geometry::clampedCornerRadius(10, tiny, big), 0.0f);
    big.cornerRadius = 16;
    EXPECT_EQ(geometry::clampedArrowBaseWidth(15, tiny, big), 0.0f);
    EXPECT_EQ(geometry::clampedArrowBaseWidth(-5, viewFrame, arrowStyle()), 0.0f);
    EXPECT_EQ(geometry::clampedBorderWidth(-1, 2), 0.0f);
}

}  // namespace
