#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/AboutVersionBgView.h"
#include "ui-kit/backgrounds/BGWView.h"
#include "ui-kit/backgrounds/EndViewTipBgView.h"
#include "ui-kit/backgrounds/LeftBgView.h"
#include "ui-kit/backgrounds/PopBgView.h"
#include "ui-kit/backgrounds/PopNoHeaderV.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/backgrounds/RepaorTableBGView.h"
#include "ui-kit/backgrounds/SortSelectBgView.h"
#include "ui-kit/backgrounds/TextFiledBgView.h"
#include "ui-kit/backgrounds/TopBgView.h"
#include "ui-kit/controls/AidProgress.h"
#include "ui-kit/controls/AllCustemButton.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/DiskListView.h"
#include "ui-kit/controls/DiskSizeProgress.h"
#include "ui-kit/controls/KVHandButton.h"
#include "ui-kit/controls/LeftButton.h"
#include "ui-kit/controls/ProgressView.h"
#include "ui-kit/controls/TCImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/controls/TopImageView.h"
#include "ui-kit/controls/WipeDiskProView.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A light stand-in for a window's ground, so that white and translucent controls show.
QWidget* stage(QWidget* parent, QSize size, QColor color = QColor(0xF2, 0xF7, 0xFF)) {
    auto* ground = new QWidget(parent);
    ground->resize(size);
    ground->setAutoFillBackground(true);
    QPalette palette = ground->palette();
    palette.setColor(QPalette::Window, color);
    ground->setPalette(palette);
    return ground;
}

class Shots {
public:
    explicit Shots(kittest::ContactSheet& sheet) : sheet_(sheet) {}

    void take(const QString& name, QWidget* widget) {
        const QImage image = widget->grab().toImage();
        kittest::saveScreenshot(image, name);
        sheet_.add(name, image);
    }

private:
    kittest::ContactSheet& sheet_;
};

// Shows a button of a family in each of its four states.
template <typename Button>
void buttonStates(Shots& shots, const QString& family, QSize size, const QString& title,
                  const std::function<void(Button*)>& setUp) {
    QWidget window;
    QWidget* ground = stage(&window, size + QSize(20, 20), Qt::white);
    auto* button = new Button(ground);
    button->setGeometry(10, 10, size.width(), size.height());
    setUp(button);
    window.resize(ground->size());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Q_UNUSED(title);
    shots.take(family + "-normal", ground);
    kittest::hover(button, true);
    shots.take(family + "-hover", ground);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    shots.take(family + "-pressed", ground);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    kittest::hover(button, false);
    button->setButtonEnabled(false);
    shots.take(family + "-off", ground);
}

void textButton(Shots& shots, const QString& family, QSize size, const QString& title,
                const QString& disable = QString()) {
    buttonStates<TextImageButton>(shots, family, size, title, [&](TextImageButton* button) {
        button->setImageFromFileNormalName(family, family + "_press", family + "_hover",
                                           disable.isEmpty() ? family + "_disable" : disable);
        button->setTextWithName(title);
    });
}

}  // namespace

TEST(Screenshots, EachControlAndAContactSheet) {
    kittest::ContactSheet sheet;
    Shots shots(sheet);

    // Image buttons in their four states.
    textButton(shots, "btn_pri", {120, 36}, "Done");
    textButton(shots, "btn_sec", {120, 36}, "Cancel");
    textButton(shots, "btn_main", {200, 48}, "Copy Now");
    textButton(shots, "btn_tool", {72, 24}, "Mount", "btn_tool");
    textButton(shots, "btn_l_pril", {160, 40}, "Install Now");
    buttonStates<CancelTextImageButton>(
        shots, "CancelTextImageButton", {120, 36}, "Cancel", [](auto* button) {
            button->setImageFromFileNormalName("btn_sec", "btn_sec_press", "btn_sec_hover",
                                               "btn_sec_disable");
            button->setTextWithName("Cancel");
        });
    buttonStates<TCImageButton>(shots, "ic_close", {16, 16}, "", [](auto* button) {
        button->setImageFromFileNormalName("ic_close", "ic_close_press", "ic_close_hover", "ic_close");
    });
    buttonStates<TCImageButton>(shots, "ic_open", {12, 12}, "", [](auto* button) {
        button->setImageFromFileNormalName("ic_open", "ic_open_press", "ic_open_hover", "ic_open_disable");
    });

    // The left column with its tabs, the logo and the separator lines.
    {
        QWidget column;
        column.resize(112, 558);
        auto* ground = new LeftBgView(&column);
        ground->resize(112, 558);
        auto* logo = new QLabel(ground);
        logo->setPixmap(kit::NamedImage::imageNamed("Leftlogo").pixmap());
        kit::setCocoaFrame(logo, {21, 461, 72, 59});
        for (int y : {81, 168, 269, 349, 436}) {
            auto* line = new QLabel(ground);
            line->setPixmap(kit::NamedImage::imageNamed("line").pixmap());
            kit::setCocoaFrame(line, {16, static_cast<qreal>(y), 80, 1});
        }
        struct Tab {
            const char* title;
            const char* image;
            QRectF frame;
        };
        const Tab tabs[] = {{"Copy Disk", "ic_filecopy", {1, 349, 112, 86}},
                            {"Clone OS", "ic_os_icon", {1, 270, 112, 86}},
                            {"Create Disk Image", "ic_dmg", {1, 170, 112, 100}},
                            {"Disk Tool", "ic_tool", {1, 82, 112, 86}}};
        for (const Tab& tab : tabs) {
            auto* button = new LeftButton(ground);
            kit::setCocoaFrame(button, tab.frame);
            button->setImageFromFileNormalName(tab.image, QString(tab.image) + "_sel");
            button->setTextWithName(tab.title);
            button->setButtonAction(QString(tab.title) == "Copy Disk");
        }
        column.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&column));
        shots.take("LeftButton-tabs", &column);
    }

    // Drawn backgrounds.
    const auto background = [&](const QString& name, QWidget* view, QSize size) {
        QWidget window;
        QWidget* ground = stage(&window, size + QSize(20, 20), QColor(0xC8, 0xCE, 0xDC));
        view->setParent(ground);
        view->setGeometry(10, 10, size.width(), size.height());
        window.resize(ground->size());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        shots.take(name, ground);
    };
    background("PopWBgView", new PopWBgView, {240, 120});
    background("PopNoHeaderV", new PopNoHeaderV, {240, 120});
    background("PopWTopBgView", new PopWTopBgView, {240, 40});
    background("TopBgView", new TopBgView, {888, 120});
    background("LeftBgView", new LeftBgView, {112, 558});
    background("BGWView", new BGWView, {888, 558});
    background("RepaorTableBGView", new RepaorTableBGView, {240, 120});
    background("PopBgView", new PopBgView, {240, 60});
    background("TextFiledBgView", new TextFiledBgView, {200, 24});
    background("AboutVersionBgView", new AboutVersionBgView, {120, 24});
    background("EndViewTipBgView", new EndViewTipBgView, {240, 60});

    // Progress bars at 40 percent.
    const auto bar = [&](const QString& name, kit::DrawnProgressBar* view, QSize size) {
        QWidget window;
        QWidget* ground = stage(&window, size + QSize(20, 20), Qt::white);
        view->setParent(ground);
        view->setGeometry(10, 10, size.width(), size.height());
        window.resize(ground->size());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        view->changeProgressValue(40);
        shots.take(name, ground);
    };
    bar("AidProgress", new AidProgress, {300, 7});
    bar("DiskSizeProgress", new DiskSizeProgress, {240, 4});
    bar("ProgressView", new ProgressView, {400, 12});
    bar("WipeDiskProView", new WipeDiskProView, {300, 8});

    // Hover views, lit.
    {
        QWidget window;
        QWidget* ground = stage(&window, {432, 104}, Qt::white);
        auto* tile = new DiskListView(ground);
        tile->setGeometry(20, 20, 392, 64);
        auto* icon = new QLabel(tile);
        icon->setPixmap(kit::NamedImage::imageNamed("ic_usb_sel").pixmap());
        icon->setGeometry(22, 8, 48, 48);
        auto* name = new QLabel("USB Stick", tile);
        name->setGeometry(80, 10, 200, 18);
        auto* usage = new DiskSizeProgress(tile);
        kit::setCocoaFrame(usage, {76, 21, 240, 4});
        usage->changeProgressValue(75);
        window.resize(ground->size());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        kittest::hover(tile, true);
        shots.take("DiskListView-hover", ground);
    }
    {
        QWidget window;
        QWidget* ground = stage(&window, {240, 80}, Qt::white);
        auto* row = new SortSelectBgView(ground);
        row->setGeometry(20, 20, 200, 30);
        auto* label = new QLabel("Copy All Files", row);
        label->setGeometry(12, 6, 180, 18);
        label->setStyleSheet("color: white");
        window.resize(ground->size());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        kittest::hover(row, true);
        shots.take("SortSelectBgView-hover", ground);
    }

    // Link and white-titled buttons.
    {
        QWidget window;
        QWidget* ground = stage(&window, {340, 60}, QColor(0x41, 0x62, 0xFF));
        auto* white = new AllCustemButton(ground);
        white->setText("White title");
        white->setGeometry(10, 14, 140, 32);
        auto* link = new KVHandButton(ground);
        link->setText("Open");
        link->setFlat(true);
        link->setGeometry(170, 14, 140, 32);
        window.resize(ground->size());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        shots.take("AllCustemButton-KVHandButton", ground);
    }

    // Title-bar windows: the main window's frame and a progress window's.
    {
        TCImageWindow window({888, 558});
        window.setTitleBarHeight(25);
        window.setTrafficLightButtonsLeftMargin(28);
        window.setTopButtonMoveUp(-5);
        auto* top = new TopImageView(window.titleBarView());
        top->setPixmap(kit::NamedImage::imageNamed("top").pixmap());
        top->setGeometry(0, 0, 888, 25);
        auto* right = new BGWView(window.contentView());
        right->setGeometry(0, 0, 888, 555);
        auto* left = new LeftBgView(window.contentView());
        left->setGeometry(0, 0, 112, 555);
        auto* start = new TextImageButton(window.contentView());
        start->setGeometry(430, 470, 200, 48);
        start->setImageFromFileNormalName("btn_main", "btn_main_press", "btn_main_hover", "btn_main_disable");
        start->setTextWithName("Copy Now");
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.resize(888, 581);
        window.resize(888, 580);
        shots.take("TCImageWindow-main", &window);
    }
    {
        TCImageWindow window({560, 200});
        window.setTitleBarHeight(22);
        window.setTrafficLightButtonsLeftMargin(15);
        window.setTopButtonMoveUp(-5);
        auto* cap = new PopWTopBgView(window.titleBarView());
        kit::setCocoaFrame(cap, {0, -10, 560, 40});
        auto* body = new PopWBgView(window.contentView());
        body->setGeometry(0, 0, 560, 200);
        auto* progress = new ProgressView(body);
        progress->setGeometry(40, 120, 480, 12);
        auto* cancel = new TextImageButton(body);
        cancel->setGeometry(220, 150, 120, 36);
        cancel->setImageFromFileNormalName("btn_sec", "btn_sec_press", "btn_sec_hover", "btn_sec_disable");
        cancel->setTextWithName("Cancel");
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.resize(561, 222);
        window.resize(560, 222);
        progress->changeProgressValue(62);  // at the width it has once laid out
        shots.take("TCImageWindow-progress", &window);
    }

    // Every image, by name.
    {
        QWidget window;
        QWidget* ground = stage(&window, {1360, 760}, QColor(0xC8, 0xCE, 0xDC));
        const QDir images(":/images");
        int x = 10;
        int y = 10;
        int rowHeight = 0;
        for (const QString& file : images.entryList({"*.svg"}, QDir::Files, QDir::Name)) {
            const kit::NamedImage image = kit::NamedImage::imageNamed(QFileInfo(file).baseName());
            const QSize size = image.size().toSize().expandedTo({90, 0});
            if (x + size.width() > 1350) {
                x = 10;
                y += rowHeight + 24;
                rowHeight = 0;
            }
            auto* view = new QLabel(ground);
            view->setPixmap(image.pixmap());
            view->setGeometry(x, y, image.size().toSize().width(), image.size().toSize().height());
            auto* caption = new QLabel(image.name(), ground);
            QFont font = caption->font();
            font.setPixelSize(9);
            caption->setFont(font);
            caption->setGeometry(x, y + image.size().toSize().height() + 2, 120, 12);
            x += size.width() + 12;
            rowHeight = std::max(rowHeight, image.size().toSize().height());
        }
        ground->resize(1360, y + rowHeight + 30);
        window.resize(ground->size());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        shots.take("images", ground);
    }

    // The attached windows' and tables' screenshots, saved by their own suite, which writes this sheet too:
    // whichever suite runs last leaves the whole kit on it.
    sheet.addScreenshotsIn(testsupport::buildDir() + "/screenshots/ui-kit2");
    const QString path = kittest::saveScreenshot(sheet.compose(), "contact-sheet");
    EXPECT_TRUE(QFileInfo(path).size() > 0);
    std::cout << "contact sheet: " << path.toStdString() << "\n";
}
