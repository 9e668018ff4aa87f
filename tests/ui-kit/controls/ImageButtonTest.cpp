#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/TCImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/getColor.h"

#include <QDialog>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using State = kit::ImageButtonBase::State;

namespace {

// A "btn_sec" button 120 x 44, taller than its 36-point images.
std::unique_ptr<kittest::Shown<TextImageButton>> secondaryButton() {
    auto holder = std::make_unique<kittest::Shown<TextImageButton>>(QSize(120, 44));
    holder->view->setImageFromFileNormalName("btn_sec", "btn_sec_press", "btn_sec_hover", "btn_sec_disable");
    holder->view->setTextWithName("Cancel");
    return holder;
}

}  // namespace

// --- label colours, fonts and frames
// ------------------------------------------------------------------------

struct LabelColorRow {
    State state;
    const char* family;
    const char* disableName;
    QColor expected;
};

void PrintTo(const LabelColorRow& row, std::ostream* out) {
    *out << row.family << " state " << static_cast<int>(row.state);
}

class TextImageButtonLabelColor : public ::testing::TestWithParam<LabelColorRow> {};

TEST_P(TextImageButtonLabelColor, FollowsFamilyAndState) {
    const LabelColorRow& row = GetParam();
    EXPECT_EQ(TextImageButton::labelColor(row.state, row.family, row.disableName), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextImageButtonLabelColor,
    ::testing::Values(
        LabelColorRow{State::Normal, "btn_pri", "btn_pri_disable", Qt::white},
        LabelColorRow{State::Normal, "btn_sec", "", getColor(65, 98, 255, 1)},
        LabelColorRow{State::Normal, "btn_tool", "", getColor(79, 79, 98, 1)},
        LabelColorRow{State::Normal, "btn_cancel", "", getColor(211, 211, 215, 1)},
        LabelColorRow{State::Pressed, "btn_sec", "", getColor(59, 89, 233, 1)},
        LabelColorRow{State::Pressed, "btn_tool", "", getColor(59, 89, 233, 1)},
        LabelColorRow{State::Pressed, "btn_pri", "", Qt::white},
        LabelColorRow{State::Hover, "btn_tool", "", getColor(65, 98, 255, 1)},
        LabelColorRow{State::Hover, "btn_sec", "", getColor(98, 141, 255, 1)},
        LabelColorRow{State::Hover, "btn_main", "", Qt::white},
        LabelColorRow{State::SwitchedOff, "btn_sec", "btn_sec_disable", getColor(255, 255, 255, 0.64f)},
        LabelColorRow{State::SwitchedOff, "btn_pri", "btn_pri_disable", getColor(255, 255, 255, 0.64f)},
        LabelColorRow{State::SwitchedOff, "btn_tool", "btn_tool", getColor(148, 148, 160, 0.8f)},
        LabelColorRow{State::SwitchedOff, "btn_tool", "btn_cancel_disable", getColor(148, 148, 160, 1)}));

TEST(TextImageButtonLabel, FontAndPlaceFollowTheFamily) {
    EXPECT_EQ(TextImageButton::labelFont("btn_main").pixelSize(), 14);
    EXPECT_TRUE(TextImageButton::labelFont("btn_main").bold());
    EXPECT_EQ(TextImageButton::labelFont("btn_tool").pixelSize(), 12);
    EXPECT_EQ(TextImageButton::labelFont("btn_pri").pixelSize(), 13);
    EXPECT_FALSE(TextImageButton::labelFont("btn_pri").bold());
    // A 36-point button: 17 points high, 9.5 from the top, one point higher than a "btn_tool" label.
    EXPECT_EQ(TextImageButton::labelFrame({120, 36}, "btn_pri"), QRectF(0, 8.5, 120, 17));
    EXPECT_EQ(TextImageButton::labelFrame({72, 36}, "btn_tool"), QRectF(0, 9.5, 72, 17));
    EXPECT_EQ(TextImageButton::labelFrame({200, 48}, "btn_main"), QRectF(0, 14.5, 200, 20));
}

TEST(TextImageButtonLabel, SecondTitleOnlyChangesTheText) {
    TextImageButton button;
    button.resize(120, 36);
    button.setImageFromFileNormalName("btn_pri", "btn_pri_press", "btn_pri_hover", "btn_pri_disable");
    button.setTextWithName("Done");
    QLabel* first = button.textField();
    button.setTextWithName("Copy Now");
    EXPECT_EQ(button.textField(), first);
    EXPECT_EQ(button.findChildren<QLabel*>().size(), 1);
    EXPECT_EQ(first->text(), "Copy Now");
}

TEST(TextImageButtonLabel, TheTitleIsPaintedInTheLabelColour) {
    auto holder = std::make_unique<kittest::Shown<TextImageButton>>(QSize(120, 44));
    holder->view->setImageFromFileNormalName("btn_pri", "btn_pri_press", "btn_pri_hover", "btn_pri_disable");
    holder->view->setTextWithName("MMMMMMMM");
    const QImage image = kittest::render(holder->view);
    int white = 0;
    for (int x = 20; x < 100; ++x) {
        for (int y = 10; y < 26; ++y) {
            white += image.pixelColor(x, y).lightness() > 230 ? 1 : 0;
        }
    }
    EXPECT_GT(white, 20) << "white letters on the blue image";
}

TEST(TextImageButtonLabel, TitleIsPlainTextAndLetsClicksThrough) {
    auto holder = secondaryButton();
    holder->view->setTextWithName("<b>$(reboot)</b>");
    EXPECT_EQ(holder->view->textField()->textFormat(), Qt::PlainText);
    QSignalSpy clicked(holder->view, &QAbstractButton::clicked);
    QTest::mouseClick(holder->view->textField(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.size(), 1);
}

TEST(CancelTextImageButtonLabel, BlueByStateAndKeepsBlueWithoutTheStateImage) {
    EXPECT_EQ(CancelTextImageButton::labelColor(State::Normal, false), getColor(65, 98, 255, 1));
    EXPECT_EQ(CancelTextImageButton::labelColor(State::Hover, false), getColor(77, 151, 252, 1));
    EXPECT_EQ(CancelTextImageButton::labelColor(State::Pressed, false), getColor(77, 151, 252, 1));
    EXPECT_EQ(CancelTextImageButton::labelColor(State::Pressed, true), getColor(65, 98, 255, 1));
    EXPECT_EQ(CancelTextImageButton::labelColor(State::SwitchedOff, false), getColor(148, 148, 160, 1));
}

TEST(CancelTextImageButtonLabel, ASecondTitleReplacesTheFirstInsteadOfStacking) {
    CancelTextImageButton button;
    button.resize(120, 36);
    button.setTextWithName("Cancel");
    button.setTextWithName("Stop");
    ASSERT_EQ(button.findChildren<QLabel*>().size(), 1);
    EXPECT_EQ(button.textField()->text(), "Stop");
    EXPECT_EQ(button.textField()->geometry(), QRect(0, 10, 120, 17));  // (36 - 17) / 2 rounds to 10
}

TEST(TCImageButtonLabel, WhiteOrGreyAndTheImageShrinksToTheFrame) {
    EXPECT_EQ(TCImageButton::labelColor(State::Normal), QColor(Qt::white));
    EXPECT_EQ(TCImageButton::labelColor(State::SwitchedOff), QColor::fromRgbF(0.5f, 0.5f, 0.5f));
    TCImageButton button;
    button.resize(40, 20);
    button.setImageFromFileNormalName("ic_close", "ic_close_press", "ic_close_hover", "ic_close");
    EXPECT_EQ(button.srcRect(), QRectF(0, 0, 16, 16));
    button.setTextWithName("x", QRectF(100, 100, 30, 20));
    EXPECT_EQ(button.dstRect(), QRectF(0, 0, 26, 20));  // the frame's origin is not used
    EXPECT_EQ(button.textField()->geometry(), QRect(0, 2, 40, 20));
}

// --- drawing
// ------------------------------------------------------------------------------------------------

TEST(TextImageButtonDrawing, EachStateDrawsItsImageFromTheTopLeft) {
    auto holder = secondaryButton();
    TextImageButton* button = holder->view;
    const QPoint inside(60, 30);  // in the image's lower part, still inside its 36 points
    const QPoint below(60, 40);   // under the image: the button is 44 high

    EXPECT_TRUE(kittest::showsImageColor(button, inside, "btn_sec"));
    EXPECT_EQ(kittest::pixel(kittest::render(button), below.x(), below.y()).alpha(), 0)
        << "image not drawn from the top left";

    kittest::hover(button, true);
    ASSERT_EQ(button->state(), State::Hover);
    EXPECT_TRUE(kittest::showsImageColor(button, inside, "btn_sec_hover"));
    EXPECT_EQ(button->textField()->palette().color(QPalette::WindowText), getColor(98, 141, 255, 1));

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
    ASSERT_EQ(button->state(), State::Pressed);
    EXPECT_TRUE(kittest::showsImageColor(button, inside, "btn_sec_press"));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 20));

    button->setButtonEnabled(false);
    ASSERT_EQ(button->state(), State::SwitchedOff);
    EXPECT_TRUE(kittest::showsImageColor(button, inside, "btn_sec_disable"));
    EXPECT_EQ(button->textField()->palette().color(QPalette::WindowText), getColor(255, 255, 255, 0.64f));
    EXPECT_TRUE(button->isEnabled()) << "the control's own enabled state is left alone";
}

TEST(TextImageButtonDrawing, HoverEnterAndLeaveSwapTheImage) {
    auto holder = secondaryButton();
    TextImageButton* button = holder->view;
    const QPoint inside(60, 18);
    kittest::hover(button, true);
    EXPECT_TRUE(button->isFocus());
    EXPECT_TRUE(kittest::showsImageColor(button, inside, "btn_sec_hover"));
    kittest::hover(button, false);
    EXPECT_FALSE(button->isFocus());
    EXPECT_TRUE(kittest::showsImageColor(button, inside, "btn_sec"));
    EXPECT_EQ(button->textField()->palette().color(QPalette::WindowText), getColor(65, 98, 255, 1));
}

TEST(TextImageButtonDrawing, HoverOnADisabledControlIsIgnored) {
    auto holder = secondaryButton();
    holder->view->setEnabled(false);
    kittest::hover(holder->view, true);
    EXPECT_FALSE(holder->view->isFocus());
    EXPECT_EQ(holder->view->state(), State::SwitchedOff);
}

TEST(TextImageButtonDrawing, WithoutImagesItDrawsAsAPlainButton) {
    kittest::Shown<TextImageButton> holder(QSize(120, 44));
    holder.view->setText("Plain");
    const QImage image = kittest::render(holder.view);
    int opaque = 0;
    for (int x = 0; x < image.width(); ++x) {
        opaque += image.pixelColor(x, image.height() / 2).alpha() > 0 ? 1 : 0;
    }
    EXPECT_GT(opaque, image.width() / 2) << "the system look paints the button";
}

// --- a switched-off button cannot be activated -----------------------------------------------------------

TEST(SwitchedOffButton, IgnoresClicksKeysShortcutsAndTheDefaultKey) {
    QDialog dialog;
    dialog.resize(200, 80);
    auto* button = new TextImageButton(&dialog);
    button->setGeometry(10, 10, 120, 36);
    button->setImageFromFileNormalName("btn_pri", "btn_pri_press", "btn_pri_hover", "btn_pri_disable");
    button->setTextWithName("Done");
    button->setShortcut(QKeySequence("Ctrl+D"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    button->setFocus();
    button->setButtonEnabled(false);
    QSignalSpy clicked(button, &QAbstractButton::clicked);

    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::keyClick(button, Qt::Key_Space);
    QTest::keyClick(&dialog, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter);
    EXPECT_FALSE(button->isDown()) << "a shortcut's click, which comes a moment later, is under way";
    EXPECT_EQ(clicked.size(), 0);
    EXPECT_FALSE(button->isTracking());

    button->setButtonEnabled(true);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::keyClick(button, Qt::Key_Space);
    QTest::keyClick(&dialog, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(testsupport::waitUntil([&] { return clicked.size() == 3; }, 2000))
        << "the same paths work again once it is switched on; clicks: " << clicked.size();
}

TEST(SwitchedOffButton, APressUnderWayDoesNotCompleteAfterSwitchingOff) {
    auto holder = secondaryButton();
    QSignalSpy clicked(holder->view, &QAbstractButton::clicked);
    QTest::mousePress(holder->view, Qt::LeftButton, {}, QPoint(20, 20));
    holder->view->setButtonEnabled(false);
    QTest::mouseRelease(holder->view, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicked.size(), 0);

    QTest::keyPress(holder->view, Qt::Key_Space);
    holder->view->setButtonEnabled(false);
    QTest::keyRelease(holder->view, Qt::Key_Space);
    EXPECT_EQ(clicked.size(), 0);
    EXPECT_FALSE(holder->view->isDown());
}

TEST(SwitchedOffButton, ASwallowedPressDoesNotReachTheParent) {
    auto holder = secondaryButton();
    holder->view->setButtonEnabled(false);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 20), holder->view->mapToGlobal(QPointF(20, 20)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    press.ignore();
    QCoreApplication::sendEvent(holder->view, &press);
    EXPECT_TRUE(press.isAccepted());
}

TEST(ButtonClick, AnActionThatDeletesTheButtonIsSafe) {
    auto holder = secondaryButton();
    QPointer<TextImageButton> button = holder->view;
    QObject::connect(button, &QAbstractButton::clicked, button, [&] { delete button.data(); });
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(button.isNull());
}

TEST(SwitchedOffButton, TabStillMovesTheFocusOn) {
    QWidget window;
    auto* off = new TextImageButton(&window);
    auto* next = new TextImageButton(&window);
    off->setFocusPolicy(Qt::StrongFocus);
    next->setFocusPolicy(Qt::StrongFocus);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    off->setFocus();
    off->setButtonEnabled(false);
    QTest::keyClick(off, Qt::Key_Tab);
    EXPECT_TRUE(next->hasFocus());
}
