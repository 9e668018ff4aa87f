#include "app/sources/SelectValueView.h"
#include "tests/app/sources/SourcesTestSupport.h"
#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/TCImageButton.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using sourcestest::Screen;

TEST(SourcePanel, DroppedPathsBecomeCheckedRootsNamedByTheirLastComponent) {
    testsupport::TempSimRoot root;
    root.writeFile(QStringLiteral("/Vol/file.txt"), "12345");
    root.writeFile(QStringLiteral("/Vol/Folder/inner.txt"), "inner");
    const struct {
        const char* path;
        const char* name;
        bool folder;
        quint64 size;
    } rows[] = {
        {"/Vol/Folder/", "Folder", true, 0},  // a folder is totalled later, by the screen
        {"/Vol/file.txt", "file.txt", false, 5},
        {"/", "/", true, 0},
        {"/Vol/missing.txt", "missing.txt", false, 0},  // unreadable: no size
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const FileNodeList roots = SelectValueView::eumeArr({QLatin1String(row.path)});
        ASSERT_EQ(roots.size(), 1U);
        EXPECT_EQ(roots[0]->name(), QLatin1String(row.name));
        EXPECT_EQ(roots[0]->path(), QLatin1String(row.path));
        EXPECT_EQ(roots[0]->isDirectory(), row.folder);
        EXPECT_EQ(roots[0]->size(), row.size);
        EXPECT_EQ(roots[0]->state(), 1);
    }
    EXPECT_TRUE(SelectValueView::eumeArr({"/Vol/.DS_Store", "/Vol/.Trashes"}).empty());
}

TEST(SourcePanel, AFrozenPanelTellsOnlyItsFileButton) {
    for (const bool canSelect : {true, false}) {
        SCOPED_TRACE(canSelect);
        Screen screen;
        kittest::Shown<SelectValueView> shown(SelectValueView::kViewSize.toSize());
        SelectValueView* panel = shown.view;
        panel->setDiskFrom(2);
        panel->setDelegate(&screen);
        panel->setIsCanSelect(canSelect);
        QTest::mouseClick(panel->view(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseClick(panel->view(), Qt::LeftButton, {}, panel->selectDiskBut()->geometry().center());
        QTest::mouseClick(panel->closeDisk(), Qt::LeftButton);
        panel->dragVie()->viewDragAction({"/Vol/.DS_Store", "/Vol/.Trashes"});
        panel->selectFileButtonAction(nullptr);
        const QStringList all{"select 2", "select 2", "close 2", "drop", "file button"};
        EXPECT_EQ(screen.calls, canSelect ? all : QStringList({"file button"}));
        EXPECT_EQ(screen.lastControl, canSelect ? panel->selectDiskBut() : nullptr);
        EXPECT_EQ(screen.dropped && screen.dropped->empty(), canSelect);  // told, with nothing in it
    }
}

TEST(SourcePanel, BackgroundFollowsHoverValueAndError) {
    kittest::Shown<SelectValueView> shown(SelectValueView::kViewSize.toSize());
    SelectValueView* panel = shown.view;
    const auto background = [panel] { return panel->bgImageView()->imageName(); };
    panel->nameLabel()->setText(QStringLiteral("Click to select a source..."));
    panel->sizeLabel()->setText(QStringLiteral("No source drive selected"));
    panel->selectDiskBut()->setImageName(QStringLiteral("add"));
    EXPECT_EQ(background(), QStringLiteral("source"));
    kittest::hover(panel->view(), true);
    EXPECT_EQ(background(), QStringLiteral("source_hover"));
    sourcestest::screenshot(&shown.window, QStringLiteral("chooser-empty-hover"));
    kittest::hover(panel->view(), false);
    EXPECT_EQ(background(), QStringLiteral("source"));

    panel->nameLabel()->setText(QStringLiteral("USB"));
    panel->sizeLabel()->setText(QStringLiteral("31.75 GB free"));
    panel->selectDiskBut()->setImageName(QStringLiteral("ic_disk_usb"));
    panel->setIsHaveD(true);
    panel->changeBgImageViewWithError(false);
    EXPECT_EQ(background(), QStringLiteral("source_sel"));
    kittest::hover(panel->view(), true);  // a panel with a value keeps its background
    EXPECT_EQ(background(), QStringLiteral("source_sel"));
    sourcestest::screenshot(&shown.window, QStringLiteral("chooser-value"));
    panel->changeBgImageViewWithError(true);
    EXPECT_EQ(background(), QStringLiteral("source_sel_error"));
    panel->setIsCanSelect(false);
    panel->changeBgImageViewWithError(false);
    EXPECT_EQ(background(), QStringLiteral("source_sel_error"));
}

}  // namespace
