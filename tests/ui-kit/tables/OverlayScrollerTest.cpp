#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/tables/CustomTableView.h"
#include "ui-kit/tables/TROverlayScrollView.h"
#include "ui-kit/tables/TROverlayScroller.h"

#include <QHeaderView>
#include <QPropertyAnimation>
#include <QProxyStyle>
#include <QScrollArea>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// Scrollers 15 points wide, as the platform's are for a regular control.
class FifteenPointScrollers : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        return metric == PM_ScrollBarExtent ? 15 : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// A borderless table of `rows` rows under a header `headerHeight` high (0: no header).
std::unique_ptr<QTableView> makeTable(int headerHeight, int rows = 40, QWidget* parent = nullptr) {
    auto table = std::make_unique<QTableView>(parent);
    auto* model = new QStandardItemModel(rows, 2, table.get());
    for (int row = 0; row < rows; ++row) {
        model->setItem(row, 0,
                       new QStandardItem(QStringLiteral("Volume %1").arg(row)));  // owned by the model
        model->setItem(row, 1, new QStandardItem(QStringLiteral("%1 GB").arg(row * 16)));
    }
    table->setModel(model);
    table->setFrameShape(QFrame::NoFrame);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    if (headerHeight > 0) {
        table->horizontalHeader()->setFixedHeight(headerHeight);
    } else {
        table->horizontalHeader()->hide();
    }
    return table;
}

// A 300 x 200 scroll view, shown, with its overlay installed on 15-point scrollers.
struct Overlaid {
    explicit Overlaid(std::unique_ptr<QAbstractScrollArea> area) : scrollView(std::move(area)) {
        scrollView->setGeometry(100, 100, 300, 200);
        overlay = TROverlayScrollView::installOn(scrollView.get());
        overlay->verticalScroller()->setStyle(&style);
        scrollView->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(scrollView.get()));
        overlay->tile();
    }
    TROverlayScroller* scroller() const { return overlay->verticalScroller(); }

    FifteenPointScrollers style;
    std::unique_ptr<QAbstractScrollArea> scrollView;
    TROverlayScrollView* overlay = nullptr;
};

// Whether every opacity animation of the scroller has run to its end, in time.
bool fadeEnded(const TROverlayScroller* scroller) {
    return testsupport::waitUntil(
        [&] {
            const auto animations = scroller->findChildren<QPropertyAnimation*>();
            return std::ranges::all_of(animations, [](const QPropertyAnimation* a) {
                return a->state() == QAbstractAnimation::Stopped;
            });
        },
        5000);
}

// A scroll area whose document holds the given tables (header heights; 0: no header).
std::unique_ptr<QAbstractScrollArea> areaWithTables(std::initializer_list<int> headers) {
    auto area = std::make_unique<QScrollArea>();
    area->setFrameShape(QFrame::NoFrame);
    for (int header : headers) {
        makeTable(header, 3, area->viewport()).release();  // owned by the viewport
    }
    return area;
}

// --- the layout --------------------------------------------------------------------------------------------

struct LayoutCase {
    const char* name;
    std::function<std::unique_ptr<QAbstractScrollArea>()> make;
    qint64 headerOffset;
    QRect scroller;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class OverlayLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(OverlayLayout, TheScrollerLiesOverTheRightEdgeBelowTheHeaderAndTheDocumentKeepsTheWidth) {
    const LayoutCase& c = GetParam();
    const Overlaid view(c.make());
    EXPECT_EQ(view.overlay->headerOffset(), c.headerOffset);
    EXPECT_EQ(view.scroller()->geometry(), c.scroller);
    EXPECT_EQ(view.scrollView->viewport()->width(), 300) << "no room kept for the scroller";
    EXPECT_EQ(view.scrollView->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).last(),
              view.scroller())
        << "drawn above the area's other parts";
}

INSTANTIATE_TEST_SUITE_P(
    OverlayScroller, OverlayLayout,
    testing::Values(
        LayoutCase{"table with a 23-point header", [] { return makeTable(23); }, 23, {285, 23, 15, 177}},
        LayoutCase{"table without header", [] { return makeTable(0); }, 0, {285, 0, 15, 200}},
        LayoutCase{"document not a table", [] { return areaWithTables({}); }, 0, {285, 0, 15, 200}},
        LayoutCase{"first table without header",
                   [] {
                       return areaWithTables({0, 23});
                   },
                   0,
                   {285, 0, 15, 200}},
        LayoutCase{"first table with header",
                   [] {
                       return areaWithTables({30, 0});
                   },
                   30,
                   {285, 30, 15, 170}}));

TEST(OverlayScroller, TheLayoutFollowsTheHeaderAndTheViewAfterEveryChange) {
    Overlaid view(makeTable(23));
    auto* table = qobject_cast<QTableView*>(view.scrollView.get());
    table->horizontalHeader()->setFixedHeight(30);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.scroller()->geometry(), QRect(285, 30, 15, 170)) << "a taller header";

    view.overlay->setHeaderOffset(10);
    EXPECT_EQ(view.scroller()->geometry(), QRect(285, 10, 15, 190));
    view.scrollView->resize(400, 250);
    EXPECT_EQ(view.scroller()->geometry(), QRect(385, 10, 15, 240)) << "the offset set holds over a resize";

    table->horizontalHeader()->hide();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.overlay->headerOffset(), 0) << "the header went";
    EXPECT_EQ(view.scroller()->geometry(), QRect(385, 0, 15, 250));
}

TEST(OverlayScroller, OneCallMakesItTheAreasScrollBarAndTheWheelMovesIt) {
    Overlaid view(makeTable(23));
    EXPECT_EQ(TROverlayScrollView::installOn(view.scrollView.get()), view.overlay);
    EXPECT_EQ(TROverlayScrollView::installOn(nullptr), nullptr);
    EXPECT_EQ(view.scrollView->verticalScrollBar(), view.scroller());
    EXPECT_EQ(view.scroller()->parentWidget(), view.scrollView.get());
    ASSERT_GT(view.scroller()->maximum(), 0);
    QWheelEvent wheel(QPointF(150, 100), view.scrollView->viewport()->mapToGlobal(QPointF(150, 100)), {},
                      {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.scrollView->viewport(), &wheel);
    EXPECT_GT(view.scroller()->value(), 0);
    kittest::saveScreenshot(view.scrollView->grab().toImage(), QStringLiteral("overlay-scroller-table"));
}

// The screens' two lists: the Disk Tool's row-view table (its header above its scroll area) and First
// Aid's framed output table without a header.
TEST(OverlayScroller, TheScreensListsTakeItWithOneCall) {
    struct Rows : CustomTableViewDataSource {
        int numberOfRowsInTableView(CustomTableView* /*table*/) override { return 30; }
    } rows;
    CustomTableView list;
    list.addTableColumn("Name", "Name");
    list.setDataSource(&rows);
    list.resize(400, 300);
    TROverlayScrollView* listOverlay = TROverlayScrollView::installOn(list.findChild<QScrollArea*>());
    list.reloadData();
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(listOverlay->headerOffset(), 0);
    EXPECT_EQ(list.documentView()->width(), 400) << "the rows keep the full width";
    EXPECT_EQ(listOverlay->verticalScroller()->geometry().right(), 399);
    EXPECT_GT(listOverlay->verticalScroller()->maximum(), 0);

    std::unique_ptr<QTableView> output = makeTable(0, 100);
    output->setFrameShape(QFrame::StyledPanel);
    output->resize(300, 200);
    TROverlayScrollView* outputOverlay = TROverlayScrollView::installOn(output.get());
    output->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(output.get()));
    const QRect inside = output->contentsRect();
    EXPECT_EQ(outputOverlay->verticalScroller()->geometry().top(), inside.top()) << "inside the frame";
    EXPECT_EQ(outputOverlay->verticalScroller()->geometry().right(), inside.right());
    EXPECT_EQ(output->viewport()->width(), inside.width());
}

// --- the knob ----------------------------------------------------------------------------------------------

struct KnobCase {
    int maximum;
    int pageStep;
    int value;
    QRectF knob;
};

class Knob : public testing::TestWithParam<KnobCase> {};

// A 15 x 200 track: 194 points of travel between 3-point insets.
TEST_P(Knob, IsAsLongAsThePageShareAndTravelsWithTheValue) {
    const KnobCase& c = GetParam();
    EXPECT_EQ(TROverlayScroller::knobRect({15, 200}, 0, c.maximum, c.pageStep, c.value), c.knob);
}

INSTANTIATE_TEST_SUITE_P(OverlayScroller, Knob,
                         testing::Values(KnobCase{100, 100, 0, {3, 3, 9, 97}},
                                         KnobCase{100, 100, 100, {3, 100, 9, 97}},
                                         KnobCase{100, 100, 50, {3, 51.5, 9, 97}},
                                         KnobCase{10000, 1, 10000, {3, 179, 9, 18}},
                                         KnobCase{0, 100, 0, {}}));

TEST(OverlayScroller, DraggingTheKnobAndClickingBesideItScroll) {
    Overlaid view(makeTable(0, 200));
    TROverlayScroller* scroller = view.scroller();
    const QRectF knob = TROverlayScroller::knobRect(QSizeF(scroller->size()), scroller->minimum(),
                                                    scroller->maximum(), scroller->pageStep(), 0);
    QTest::mousePress(scroller, Qt::LeftButton, {}, knob.center().toPoint());
    QTest::mouseMove(scroller, (knob.center() + QPointF(0, 50)).toPoint());
    QTest::mouseRelease(scroller, Qt::LeftButton, {}, (knob.center() + QPointF(0, 50)).toPoint());
    const int dragged = scroller->value();
    EXPECT_GT(dragged, 0);
    QTest::mouseClick(scroller, Qt::LeftButton, {}, QPoint(7, scroller->height() - 5));
    EXPECT_EQ(scroller->value(), std::min(scroller->maximum(), dragged + scroller->pageStep()));
}

// --- opacity -----------------------------------------------------------------------------------------------

TEST(OverlayScroller, FullyOpaqueUntilTheFirstStepThenHalfAndEachStepStartsTheFadeOutAgain) {
    Overlaid view(makeTable(23));
    TROverlayScroller* scroller = view.scroller();
    EXPECT_EQ(scroller->alphaValue(), 1.0);
    EXPECT_FALSE(scroller->fadeOutTimer().isActive());

    scroller->setValue(5);
    EXPECT_TRUE(scroller->fadeOutTimer().isActive());
    EXPECT_EQ(scroller->fadeOutTimer().intervalAsDuration(), std::chrono::milliseconds(1500));
    EXPECT_TRUE(scroller->fadeOutTimer().isSingleShot());
    ASSERT_TRUE(testsupport::waitUntil([&] { return scroller->alphaValue() == 0.5; }, 2000));
    const auto firstLeft = scroller->fadeOutTimer().remainingTimeAsDuration();
    scroller->setValue(6);
    EXPECT_GT(scroller->fadeOutTimer().remainingTimeAsDuration(), firstLeft) << "the schedule starts over";

    scroller->fadeOut();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !scroller->fadeOutTimer().isActive(); }, 3000));
    ASSERT_TRUE(fadeEnded(scroller)) << "the fade-out did not end";
    EXPECT_EQ(scroller->alphaValue(), 0.5) << "the fade-out stops at half opacity";
}

TEST(OverlayScroller, HoverAtItsCurrentPlaceCancelsTheFadeOut) {
    Overlaid view(makeTable(23));
    TROverlayScroller* scroller = view.scroller();
    view.scrollView->resize(420, 260);  // the scroller moves: its tracking goes with it
    scroller->setValue(3);
    kittest::hover(scroller, true);
    EXPECT_FALSE(scroller->fadeOutTimer().isActive()) << "entering cancels the schedule";
    ASSERT_TRUE(testsupport::waitUntil([&] { return scroller->alphaValue() == 0.5; }, 2000));
    kittest::hover(scroller, false);
    ASSERT_TRUE(fadeEnded(scroller)) << "the fade-out did not end";
    EXPECT_EQ(scroller->alphaValue(), 0.5);
}

}  // namespace
