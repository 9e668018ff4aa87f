#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/controls/AllCustemButton.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/KVHandButton.h"
#include "ui-kit/controls/LeftButton.h"
#include "ui-kit/controls/TCImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/getColor.h"
#include "ui-kit/tables/NewButton.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// --- tabs
// -----------------------------------------------------------------------------------------------------

TEST(LeftButton, TabGeometryAndTitles) {
    EXPECT_EQ(LeftButton::labelFrame({112, 86}, "Copy Disk"), QRectF(21, 52, 72, 16));
    EXPECT_EQ(LeftButton::labelFrame({112, 100}, "Create Disk Image"), QRectF(21, 50, 72, 32));
    EXPECT_EQ(LeftButton::markerFrame({112, 86}), QRectF(100, 15, 11, 44));
    LeftButton tab;
    tab.resize(112, 86);
    EXPECT_EQ(tab.text(), " ");
    tab.setImageFromFileNormalName("ic_filecopy", "ic_filecopy_sel");
    tab.setTextWithName("Copy Disk");
    EXPECT_EQ(tab.dstRect(), QRectF(44, 23, 24, 24));
    EXPECT_EQ(tab.selectImage().name(), "tabon");
    EXPECT_EQ(tab.textField()->font().pixelSize(), 12);
    EXPECT_TRUE(tab.textField()->wordWrap());
}

TEST(LeftButton, TheCurrentTabShowsItsSelectedIconAndTheMarker) {
    QWidget column;
    column.resize(112, 100);
    auto* tab = new LeftButton(&column);
    tab->setGeometry(0, 0, 112, 86);
    tab->setImageFromFileNormalName("ic_filecopy", "ic_filecopy_sel");
    tab->setTextWithName("Copy Disk");
    column.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&column));
    const QImage normal = kittest::render(tab);
    EXPECT_EQ(kittest::pixel(normal, 105, 37).alpha(), 0) << "no marker";
    EXPECT_EQ(tab->textField()->palette().color(QPalette::WindowText), getColor(182, 207, 255, 1));

    tab->setButtonAction(true);
    const QImage current = kittest::render(tab);
    EXPECT_TRUE(kittest::sameColor(kittest::pixel(current, 108, 37), kittest::imageColor("tabon", {8, 22})));
    EXPECT_EQ(tab->textField()->palette().color(QPalette::WindowText), getColor(226, 239, 255, 1));
    // The icon sits 23 points from the top (buttons are flipped): nothing above it.
    EXPECT_EQ(kittest::pixel(current, 56, 10).alpha(), 0);

    kittest::hover(tab, true);
    EXPECT_EQ(kittest::render(tab), current) << "hover does not change a tab";
}

// --- icon and cancel buttons
// ----------------------------------------------------------------------------------

TEST(TCImageButton, DrawsEachStateAndTheCloseIconIsItsOwnDisabledImage) {
    kittest::Shown<TCImageButton> shown(QSize(16, 16));
    TCImageButton* button = shown.view;
    button->setImageFromFileNormalName("ic_close", "ic_close_press", "ic_close_hover", "ic_close");
    const QPoint ring(8, 1);  // on the circle, clear of the cross
    EXPECT_TRUE(kittest::showsImageColor(button, ring, "ic_close", 12));
    kittest::hover(button, true);
    EXPECT_TRUE(kittest::showsImageColor(button, ring, "ic_close_hover", 12));
    button->setButtonEnabled(false);
    EXPECT_TRUE(kittest::showsImageColor(button, ring, "ic_close", 12));
}

TEST(CancelTextImageButton, AMissingHoverImageDrawsNothingAndKeepsTheBlueTitle) {
    kittest::Shown<CancelTextImageButton> shown(QSize(120, 36));
    CancelTextImageButton* button = shown.view;
    button->setImageFromFileNormalName("btn_sec", "btn_sec_press", "no_such_image", "btn_sec_disable");
    button->setTextWithName("Cancel");
    kittest::hover(button, true);
    ASSERT_EQ(button->state(), kit::ImageButtonBase::State::Hover);
    EXPECT_EQ(kittest::pixel(kittest::render(button), 4, 4).alpha(), 0);
    EXPECT_EQ(button->textField()->palette().color(QPalette::WindowText), getColor(65, 98, 255, 1));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(button->textField()->palette().color(QPalette::WindowText), getColor(77, 151, 252, 1));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 20));
}

TEST(ImageButtonFamily, TheToolFamilyIsItsOwnSwitchedOffImage) {
    QWidget parent;
    parent.resize(200, 100);
    for (const auto& [family, switchedOff] :
         {std::pair{"btn_tool", "btn_tool"}, std::pair{"btn_sec", "btn_sec_disable"}}) {
        TextImageButton* button =
            kit::addImageButton(&parent, {0, 0, 72, 24}, family, QStringLiteral("Open"));
        EXPECT_EQ(button->disableImage().name(), switchedOff) << family;
        EXPECT_EQ(button->hoverImage().name(), QString(family) + "_hover") << family;
        EXPECT_TRUE(button->buttonEnabled() && !button->disableImage().isNull()) << family;
    }
}

// --- named-image controls
// -------------------------------------------------------------------------------------

TEST(ImageControl, AViewLetsThePointerAndTheKeyboardPassAndATitledOneIsARadioButton) {
    QWidget parent;
    parent.resize(300, 100);
    const struct {
        const char* name;
        kit::ImageControl* control;
        QSize size;
        bool passedBy;
        bool checkable;
        QRectF imageFrame;
    } rows[] = {
        {"button", new kit::ImageControl(&parent), {16, 16}, false, false, {0, 0, 16, 16}},
        {"view",
         new kit::ImageControl(&parent, kit::ImageControl::Role::View),
         {48, 48},
         true,
         false,
         {0, 0, 48, 48}},
        {"titled",
         new kit::ImageControl(QStringLiteral("ZIP archive (.zip)"), &parent),
         {170, 24},
         false,
         true,
         {0, 4, 16, 16}},
    };
    for (const auto& row : rows) {
        row.control->resize(row.size);
        row.control->setImageName(QStringLiteral("radiobutton_sel"));
        EXPECT_EQ(row.control->imageName(), "radiobutton_sel") << row.name;
        EXPECT_EQ(row.control->testAttribute(Qt::WA_TransparentForMouseEvents), row.passedBy) << row.name;
        EXPECT_EQ(row.control->focusPolicy() == Qt::NoFocus, row.passedBy) << row.name;
        EXPECT_EQ(row.control->isCheckable(), row.checkable) << row.name;
        EXPECT_EQ(row.control->cursor().shape() == Qt::PointingHandCursor, row.checkable) << row.name;
        EXPECT_EQ(row.control->imageFrame(), row.imageFrame) << row.name;
    }
}

// --- hand, white-titled and list-row buttons
// -------------------------------------------------------------------

TEST(KVHandButton, ShowsTheHandWhileThePointerIsOver) {
    kittest::Shown<KVHandButton> shown(QSize(120, 24));
    KVHandButton* link = shown.view;
    kittest::hover(link, true);
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    kittest::hover(link, false);
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);
}

TEST(AllCustemButton, ItsTitleIsWhite) {
    AllCustemButton button;
    button.setText("MMMMMMMM");
    QPalette palette = button.palette();
    palette.setColor(QPalette::ButtonText, Qt::black);
    button.setPalette(palette);
    button.resize(160, 40);
    QImage image(160, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);  // white can only come from the title
    QPainter painter(&image);
    const QRectF drawn = button.cell().drawTitle(painter, button.text(), QRectF(0, 0, 160, 40), &button);
    painter.end();
    ASSERT_FALSE(drawn.isEmpty());
    int white = 0;
    for (int x = qRound(drawn.left()); x < qRound(drawn.right()); ++x) {
        white += image.pixelColor(x, 20).lightness() > 200 ? 1 : 0;
    }
    EXPECT_GT(white, 5);
}

TEST(NewButton, RectanglesFollowTheIconAndLabel) {
    NewButton cell;
    const QRectF row(0, 100, 600, 30);
    EXPECT_TRUE(cell.imageRectForBounds(row).isNull());
    EXPECT_TRUE(cell.iconImageRectForBounds(row).isNull());
    cell.setLabel(QString("Documents"));
    EXPECT_EQ(cell.imageRectForBounds(row), QRectF(10, 104, 800, 22));
    cell.setIconImageCell(kit::NamedImage::imageNamed("ic_folder"));
    EXPECT_EQ(cell.imageRectForBounds(row), QRectF(35, 104, 800, 22));
    EXPECT_EQ(cell.iconImageRectForBounds(row), QRectF(17, 106, 18, 18));
    EXPECT_EQ(cell.iconImageRectForBounds(QRectF(0, 0, 100, 21)), QRectF(17, 2, 18, 18)) << "ceil of 1.5";
}

TEST(NewButton, TwoClicksWithinTheLatchReportOnlyTheFirstAcrossCells) {
    struct Delegate : NewButtonDelegate {
        void clickButtonAction(NewButton* cell) override { clicked.push_back(cell); }
        std::vector<NewButton*> clicked;
    } delegate;
    NewButton first;
    NewButton second;
    first.setDelegate(&delegate);
    second.setDelegate(&delegate);
    const QRectF frame(0, 40, 600, 30);
    QElapsedTimer latched;
    latched.start();
    EXPECT_EQ(first.hitTestForEvent({5, 50}, frame),
              NewButton::kHitContentArea | NewButton::kHitTrackableArea);
    EXPECT_EQ(second.hitTestForEvent({5, 50}, frame), NewButton::kHitNone);
    EXPECT_EQ(first.hitTestForEvent({20, 50}, frame), NewButton::kHitNone) << "outside the 15 x 30 area";
    EXPECT_TRUE(testsupport::waitUntil(
        [&] {
            return second.hitTestForEvent({14, 69}, frame) != NewButton::kHitNone;
        },
        5000))
        << "the latch did not open again";
    EXPECT_GE(latched.elapsed(), NewButton::kLatchMilliseconds);
    EXPECT_EQ(delegate.clicked, (std::vector<NewButton*>{&first, &second}));
    NewButton::changeVlaue();
}
