#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/backgrounds/AboutVersionBgView.h"
#include "ui-kit/backgrounds/BGWView.h"
#include "ui-kit/backgrounds/EndViewTipBgView.h"
#include "ui-kit/backgrounds/LeftBgView.h"
#include "ui-kit/backgrounds/MainTipBgView.h"
#include "ui-kit/backgrounds/PopBgView.h"
#include "ui-kit/backgrounds/PopNoHeaderV.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/backgrounds/RepaorTableBGView.h"
#include "ui-kit/backgrounds/TextFiledBgView.h"
#include "ui-kit/backgrounds/TopBgView.h"
#include "ui-kit/getColor.h"
#include "ui-kit/getLocalizedString.h"

#include <QLabel>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// --- colour and strings
// --------------------------------------------------------------------------------------

TEST(GetColor, DividesTheComponentsButNotTheAlpha) {
    EXPECT_EQ(getColor(255, 255, 255, 1), QColor(255, 255, 255, 255));
    const QColor blue = getColor(65, 98, 255, 0.5f);
    EXPECT_EQ(blue.red(), 65);
    EXPECT_EQ(blue.green(), 98);
    EXPECT_EQ(blue.blue(), 255);
    EXPECT_NEAR(blue.alphaF(), 0.5, 1e-4);
    EXPECT_EQ(getColor(0, 0, 0, 0).alpha(), 0);
}

TEST(Palette, NamesTheKitsColours) {
    const struct {
        const char* name;
        QColor colour;
        QColor expected;
    } rows[] = {
        {"blue", kit::blue(), QColor(65, 98, 255)},
        {"blue at half", kit::blue(0.5f), QColor(65, 98, 255, 128)},
        {"dark text", kit::darkText(), QColor(79, 79, 98)},
        {"dark text at 0.8", kit::darkText(0.8f), QColor(79, 79, 98, 204)},
        {"popover edge", kit::popoverEdge(), QColor(66, 66, 88)},
        {"grey text", kit::greyText(), QColor(148, 148, 160)},
        {"pale blue", kit::paleBlue(), QColor(242, 247, 255)},
        {"row highlight", kit::rowHighlight(), QColor(237, 243, 253)},
        {"bar track", kit::barTrack(), QColor(207, 222, 250)},
        {"bar fill", kit::barFill(), QColor(78, 109, 255)},
        {"field border", kit::fieldBorder(), QColor(184, 196, 255)},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(kittest::sameColor(row.colour, row.expected, 0)) << row.name;
    }
}

TEST(Label, TakesItsStyle) {
    QWidget parent;
    parent.resize(200, 100);
    const struct {
        const char* name;
        kit::LabelStyle style;
        int pixelSize;
        bool bold;
        QColor colour;
        Qt::Alignment alignment;
        bool wordWrap;
        bool clickThrough;
    } rows[] = {
        {"plain", {}, 13, false, kit::darkText(), Qt::AlignLeft | Qt::AlignVCenter, false, false},
        {"heading",
         {.pixelSize = 16, .bold = true, .alignment = Qt::AlignCenter, .wordWrap = true},
         16,
         true,
         kit::darkText(),
         Qt::AlignCenter,
         true,
         false},
        {"over a drop area",
         {.pixelSize = 12, .color = kit::blue(), .clickThrough = true},
         12,
         false,
         kit::blue(),
         Qt::AlignLeft | Qt::AlignVCenter,
         false,
         true},
    };
    for (const auto& row : rows) {
        const QLabel* label =
            kit::addLabel(&parent, {10, 20, 100, 30}, row.style, QStringLiteral("<b>x</b>"));
        EXPECT_EQ(label->font().pixelSize(), row.pixelSize) << row.name;
        EXPECT_EQ(label->font().bold(), row.bold) << row.name;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), row.colour) << row.name;
        EXPECT_EQ(label->alignment(), row.alignment) << row.name;
        EXPECT_EQ(label->wordWrap(), row.wordWrap) << row.name;
        EXPECT_EQ(label->testAttribute(Qt::WA_TransparentForMouseEvents), row.clickThrough) << row.name;
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << row.name;
        EXPECT_EQ(label->geometry(), QRect(10, 50, 100, 30)) << row.name << ": placed from the bottom";
    }
}

TEST(GetLocalizedString, NullKeyGivesEmptyAndUnknownKeyComesBack) {
    EXPECT_FALSE(getLocalizedString(QString()).isNull());
    EXPECT_EQ(getLocalizedString(QString()), "");
    EXPECT_EQ(getLocalizedString("No such key"), "No such key");
    EXPECT_EQ(getLocalizedString(""), "");
}

// --- shapes in Cocoa coordinates
// ------------------------------------------------------------------------------

struct BackgroundRow {
    const char* name;
    std::function<std::unique_ptr<kit::DrawnBackgroundView>()> make;
    QSizeF size;
    QList<kit::DrawnShape> expected;
};

void PrintTo(const BackgroundRow& row, std::ostream* out) {
    *out << row.name;
}

class BackgroundShapes : public ::testing::TestWithParam<BackgroundRow> {};

TEST_P(BackgroundShapes, ComeFromTheSizeAlone) {
    const BackgroundRow& row = GetParam();
    const auto view = row.make();
    const QList<kit::DrawnShape> shapes = view->backgroundShapes(row.size);
    ASSERT_EQ(shapes.size(), row.expected.size());
    for (qsizetype i = 0; i < shapes.size(); ++i) {
        EXPECT_EQ(shapes[i].rect, row.expected[i].rect) << "shape " << i;
        EXPECT_EQ(shapes[i].radius, row.expected[i].radius) << "shape " << i;
        EXPECT_EQ(shapes[i].color, row.expected[i].color) << "shape " << i;
        EXPECT_EQ(shapes[i].paint, row.expected[i].paint) << "shape " << i;
        EXPECT_EQ(shapes[i].lineWidth, row.expected[i].lineWidth) << "shape " << i;
        EXPECT_EQ(shapes[i].dash, row.expected[i].dash) << "shape " << i;
    }
}

template <typename View>
std::function<std::unique_ptr<kit::DrawnBackgroundView>()> maker() {
    return [] { return std::make_unique<View>(); };
}

const QColor kWhite = getColor(255, 255, 255, 1);
const QColor kBlue = getColor(65, 98, 255, 1);
const QColor kLight = getColor(242, 247, 255, 1);

INSTANTIATE_TEST_SUITE_P(
    Table, BackgroundShapes,
    ::testing::Values(
        BackgroundRow{"PopWBgView",
                      maker<PopWBgView>(),
                      {400, 300},
                      {kit::DrawnShape::fill({0.5, 0.5, 399, 299}, 16, kWhite),
                       kit::DrawnShape::fill({0.5, 281.5, 399, 19}, 0, kWhite)}},
        BackgroundRow{"PopNoHeaderV",
                      maker<PopNoHeaderV>(),
                      {400, 300},
                      {kit::DrawnShape::fill({0.5, 0.5, 399, 299}, 16, kWhite)}},
        BackgroundRow{"PopWTopBgView",
                      maker<PopWTopBgView>(),
                      {560, 40},
                      {kit::DrawnShape::fill({0.5, 0.5, 559, 39}, 16, kWhite),
                       kit::DrawnShape::fill({0.5, -1.5, 559, 11}, 0, kWhite)}},
        BackgroundRow{"TopBgView",
                      maker<TopBgView>(),
                      {888, 120},
                      {kit::DrawnShape::fill({80.5, 20.5, 807, 99}, 16, kLight),
                       kit::DrawnShape::fill({0.5, 0.5, 89, 19}, 16, kBlue),
                       kit::DrawnShape::fill({0.5, 20.5, 111, 99}, 16, kBlue)}},
        BackgroundRow{"LeftBgView",
                      maker<LeftBgView>(),
                      {112, 558},
                      {kit::DrawnShape::fill({0.5, 0.5, 111, 557}, 16, kBlue),
                       kit::DrawnShape::fill({0.5, 518.5, 111, 39}, 0, kBlue)}},
        BackgroundRow{"BGWView",
                      maker<BGWView>(),
                      {888, 558},
                      {kit::DrawnShape::fill({0.5, 518.5, 887, 39}, 0, kLight),
                       kit::DrawnShape::fill({0.5, 0.5, 887, 557}, 16, kLight)}},
        BackgroundRow{"RepaorTableBGView",
                      maker<RepaorTableBGView>(),
                      {300, 200},
                      {kit::DrawnShape::fill({0.5, 0.5, 299, 199}, 10, kWhite)}},
        BackgroundRow{"PopBgView",
                      maker<PopBgView>(),
                      {300, 200},
                      {kit::DrawnShape::fill({0.5, 0.5, 299, 199}, 4, getColor(241, 246, 255, 1))}},
        BackgroundRow{"TextFiledBgView",
                      maker<TextFiledBgView>(),
                      {200, 24},
                      {kit::DrawnShape::fill({0, 0, 200, 24}, 4, kWhite),
                       kit::DrawnShape::stroke({0.5, 0.5, 199, 23}, 4, getColor(184, 196, 255, 1), 1)}},
        BackgroundRow{"AboutVersionBgView",
                      maker<AboutVersionBgView>(),
                      {120, 24},
                      {kit::DrawnShape::fill({0, 0, 120, 24}, 4, getColor(211, 231, 255, 1))}},
        BackgroundRow{"EndViewTipBgView",
                      maker<EndViewTipBgView>(),
                      {300, 60},
                      {kit::DrawnShape::stroke({0, 0, 300, 60}, 4, getColor(230, 230, 235, 1), 2, {5, 5})}}));

// --- painted pixels: corners, the y-flip and partial redraws
// --------------------------------------------------

TEST(BackgroundPixels, ACapHasRoundedTopCornersAndSquareBottomCorners) {
    PopWTopBgView cap;
    cap.resize(560, 40);
    const QImage image = kittest::render(&cap);
    EXPECT_EQ(kittest::pixel(image, 1, 1).alpha(), 0) << "top left is rounded";
    EXPECT_EQ(kittest::pixel(image, 558, 1).alpha(), 0) << "top right is rounded";
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 1, 38), Qt::white)) << "bottom left is square";
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 558, 38), Qt::white)) << "bottom right is square";
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 280, 20), Qt::white));
}

TEST(BackgroundPixels, TheLeftColumnIsSquareAtTheTopAndRoundedAtTheBottom) {
    LeftBgView column;
    column.resize(112, 558);
    const QImage image = kittest::render(&column);
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 1, 1), getColor(65, 98, 255, 1)));
    EXPECT_EQ(kittest::pixel(image, 1, 556).alpha(), 0);
    EXPECT_EQ(kittest::pixel(image, 110, 556).alpha(), 0);
}

TEST(BackgroundPixels, TheTopBandPutsItsSmallBlueShapeAtTheBottom) {
    TopBgView band;
    band.resize(888, 120);
    const QImage image = kittest::render(&band);
    // {0, 0, 90, 20} in Cocoa is the bottom left; {80, h - 100, 808, 100} the light band above it.
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 45, 110), getColor(65, 98, 255, 1)));
    EXPECT_EQ(kittest::pixel(image, 300, 110).alpha(), 0);
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(image, 300, 50), getColor(242, 247, 255, 1)));
}

TEST(BackgroundPixels, TheDashedTipOutlineIsDashed) {
    EndViewTipBgView tip;
    tip.resize(300, 60);
    const QImage image = kittest::render(&tip);
    int inked = 0;
    int bare = 0;
    for (int x = 20; x < 280; ++x) {
        (kittest::pixel(image, x, 0).alpha() > 0 ? inked : bare) += 1;
    }
    EXPECT_GT(inked, 80);
    EXPECT_GT(bare, 80);
    EXPECT_EQ(kittest::pixel(image, 150, 30).alpha(), 0) << "stroked only";
}

TEST(BackgroundPixels, MainTipBgViewDrawsNothing) {
    MainTipBgView tip;
    tip.resize(50, 50);
    const QImage image = kittest::render(&tip);
    EXPECT_EQ(kittest::pixel(image, 25, 25).alpha(), 0);
}

TEST(BackgroundPixels, PartialRedrawsAndFrameOriginsDoNotShiftOrNarrowTheShapes) {
    QWidget parent;
    parent.resize(700, 200);
    auto* cap = new PopWTopBgView(&parent);
    cap->setGeometry(70, 50, 560, 40);  // a frame origin other than (0, 0)
    const QImage whole = kittest::render(cap);

    QImage part(cap->size(), QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    const QRect dirty(400, 20, 160, 20);
    cap->render(&part, dirty.topLeft(), QRegion(dirty),
                QWidget::DrawChildren);  // only that part is asked for
    for (int x = dirty.left(); x <= dirty.right(); x += 7) {
        for (int y = dirty.top(); y <= dirty.bottom(); y += 3) {
            EXPECT_EQ(part.pixelColor(x, y), whole.pixelColor(x, y)) << x << "," << y;
        }
    }
    EXPECT_TRUE(kittest::sameColor(whole.pixelColor(1, 38), Qt::white)) << "no shift by the frame origin";
}

TEST(CocoaRect, MirrorsTheVerticalPositionOnly) {
    EXPECT_EQ(kit::cocoaRect({10, 20, 30, 40}, 100), QRectF(10, 40, 30, 40));
    EXPECT_EQ(kit::cocoaRect(kit::cocoaRect({10, 20, 30, 40}, 100), 100), QRectF(10, 20, 30, 40));
    EXPECT_EQ(kit::cocoaRect({0, -10, 560, 40}, 22), QRectF(0, -8, 560, 40));
    EXPECT_EQ(kit::cocoaPoint({5, 0}, 50), QPointF(5, 50));
    EXPECT_EQ(kit::insetRect({0, 0, 10, 10}, 0.5, 0.5), QRectF(0.5, 0.5, 9, 9));
    EXPECT_EQ(kit::insetRect({0, 0, 10, 10}, -2, -1), QRectF(-2, -1, 14, 12));
}

TEST(CocoaRect, PlacesAViewFromTheBottomOfItsParent) {
    QWidget parent;
    parent.resize(888, 583);
    QWidget child(&parent);
    kit::setCocoaFrame(&child, {21, 461, 72, 59});
    EXPECT_EQ(child.geometry(), QRect(21, 63, 72, 59));
}

TEST(CocoaArc, RunsTheWayCocoaCountsAngles) {
    QPainterPath path(QPointF(0, 84));
    kit::cocoaArc(path, {16, 84}, 16, 180, 90);  // the top-left corner of a view 100 high, y up
    EXPECT_NEAR(path.currentPosition().x(), 16, 1e-9);
    EXPECT_NEAR(path.currentPosition().y(), 100, 1e-9);
    EXPECT_TRUE(path.controlPointRect().contains(QPointF(5, 95)));
    const QPainterPath flipped = kit::cocoaPath(path, 100);
    EXPECT_NEAR(flipped.currentPosition().y(), 0, 1e-9);
}
