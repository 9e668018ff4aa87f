#include "ui-kit/NamedImage.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

// Every image the kit and the screens load by name.
const char* const kFourStateFamilies[] = {"btn_pri", "btn_sec", "btn_main", "btn_l_pril", "ic_open"};
const char* const kThreeStateFamilies[] = {"btn_tool", "ic_close"};  // their own switched-off image
const char* const kSingles[] = {"ic_filecopy",
                                "ic_filecopy_sel",
                                "ic_os_icon",
                                "ic_os_icon_sel",
                                "ic_dmg",
                                "ic_dmg_sel",
                                "ic_tool",
                                "ic_tool_sel",
                                "tabon",
                                "top",
                                "Leftlogo",
                                "line",
                                "add",
                                "ic_folder",
                                "ic_disk_main",
                                "ic_disk_usb",
                                "source",
                                "source_hover",
                                "source_sel",
                                "source_sel_error",
                                "ic_disk",
                                "ic_disk_sel",
                                "ic_usb",
                                "ic_usb_sel",
                                "ic_os",
                                "ic_os_sel",
                                "ic_filter",
                                "checkbox_sel",
                                "checkbox_unsel",
                                "checkbox_halfsel",
                                "radiobutton_sel",
                                "radiobutton_unsel",
                                "ic_repair_usb",
                                "ic_repair_os",
                                "ic_repair_disk",
                                "bg_150",
                                "arrow"};

bool hasInk(const kit::NamedImage& image) {
    const QImage pixels = image.pixmap().toImage();
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) {
            if (pixels.pixelColor(x, y).alpha() > 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

TEST(Images, EveryNamedImageLoadsAndShowsSomething) {
    QStringList names;
    for (const char* base : kFourStateFamilies) {
        for (const char* suffix : {"", "_press", "_hover", "_disable"}) {
            names << QString(base) + suffix;
        }
    }
    for (const char* base : kThreeStateFamilies) {
        for (const char* suffix : {"", "_press", "_hover"}) {
            names << QString(base) + suffix;
        }
    }
    for (const char* name : kSingles) {
        names << name;
    }
    for (const QString& name : names) {
        const kit::NamedImage image = kit::NamedImage::imageNamed(name);
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_EQ(image.name(), name);
        EXPECT_TRUE(hasInk(image)) << name.toStdString();
    }
}

TEST(Images, FamiliesThatServeAsTheirOwnDisabledImageHaveNoDisabledFile) {
    EXPECT_TRUE(kit::NamedImage::imageNamed("btn_tool_disable").isNull());
    EXPECT_TRUE(kit::NamedImage::imageNamed("ic_close_disable").isNull());
}

TEST(Images, StatesOfAFamilyShareTheirSizeAndDiffer) {
    for (const char* base : kFourStateFamilies) {
        const kit::NamedImage normal = kit::NamedImage::imageNamed(base);
        for (const char* suffix : {"_press", "_hover", "_disable"}) {
            const kit::NamedImage state = kit::NamedImage::imageNamed(QString(base) + suffix);
            EXPECT_EQ(state.size(), normal.size()) << base << suffix;
            EXPECT_NE(state.pixmap().toImage(), normal.pixmap().toImage()) << base << suffix;
        }
    }
}

TEST(Images, SizesThatTheScreensGive) {
    EXPECT_EQ(kit::NamedImage::imageNamed("top").size(), QSizeF(888, 25));
    EXPECT_EQ(kit::NamedImage::imageNamed("Leftlogo").size(), QSizeF(72, 59));
    EXPECT_EQ(kit::NamedImage::imageNamed("line").size(), QSizeF(80, 1));
    EXPECT_EQ(kit::NamedImage::imageNamed("tabon").size(), QSizeF(11, 44));
    EXPECT_EQ(kit::NamedImage::imageNamed("arrow").size(), QSizeF(82, 39));
    EXPECT_EQ(kit::NamedImage::imageNamed("checkbox_unsel").size(), QSizeF(14, 14));
    // Tab icons fit between the tab's top (23) and its title (52 from the top of an 86-point tab).
    EXPECT_LE(kit::NamedImage::imageNamed("ic_filecopy").size().height(), 52 - 23);
}

TEST(Images, AMissingNameIsNullAndTheSameNameIsTheSameImage) {
    EXPECT_TRUE(kit::NamedImage::imageNamed("no_such_image").isNull());
    EXPECT_TRUE(kit::NamedImage::imageNamed("").isNull());
    EXPECT_EQ(kit::NamedImage::imageNamed("btn_pri").pixmap().cacheKey(),
              kit::NamedImage::imageNamed("btn_pri").pixmap().cacheKey());
}

TEST(Images, DrawingAPartScalesItIntoTheTarget) {
    const kit::NamedImage top = kit::NamedImage::imageNamed("top");
    QImage canvas(100, 25, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    top.draw(painter, QRectF(0, 0, 100, 25), QRectF(200, 0, 100, 25));  // from the light part
    painter.end();
    EXPECT_EQ(canvas.pixelColor(50, 20), top.pixmap().toImage().pixelColor(250, 20));
}

TEST(Images, TheMainTitleStripIsRoundedAtTheWindowsTopCorners) {
    const QImage top = kit::NamedImage::imageNamed("top").pixmap().toImage();
    EXPECT_EQ(top.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(top.pixelColor(886, 1).alpha(), 0);
    EXPECT_EQ(top.pixelColor(1, 24), QColor(65, 98, 255));
    EXPECT_EQ(top.pixelColor(886, 24), QColor(242, 247, 255));
}
