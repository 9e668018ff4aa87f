#include "tests/support/TestEnv.h"

#include "ui-kit/controls/DialogKeys.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ChildWindows.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/PopBaseWindow.h"
#include "ui-kit/windows/WindowFade.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// --- modal runs -------------------------------------------------------------------------------------------

TEST(ModalRun, ClosingTheWindowStopsItsRun) {
    QWidget dialog;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(kit::ModalRun::isRunning(&dialog));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
        dialog.close();
    });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(&dialog), kit::ModalRun::kResponseStop);
    EXPECT_FALSE(kit::ModalRun::isRunning(&dialog));
    EXPECT_EQ(dialog.windowModality(), Qt::NonModal) << "modality is restored after the run";
}

TEST(ModalRun, StopModalGivesItsCodeAndASecondStopDoesNothing) {
    QWidget dialog;
    QTimer::singleShot(0, &dialog, [&] {
        kit::ModalRun::stopModal(&dialog, 7);
        kit::ModalRun::stopModal(&dialog, 9);
        dialog.close();  // closing after the stop is no second stop
    });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(&dialog), 7);
    kit::ModalRun::stopModal(&dialog);  // the run has ended: nothing to stop
}

TEST(ModalRun, AnInnerRunReturnsFirstAndStopsOnlyItsOwnLoop) {
    QWidget outer;
    QWidget inner;
    std::vector<std::string> order;
    QTimer::singleShot(0, &outer, [&] {
        QTimer::singleShot(0, &inner, [&] {
            inner.close();
            order.push_back("inner closed");
        });
        EXPECT_EQ(kit::ModalRun::runModalForWindow(&inner), kit::ModalRun::kResponseStop);
        order.push_back("inner returned");
        EXPECT_TRUE(kit::ModalRun::isRunning(&outer)) << "closing the inner window left the outer run going";
        EXPECT_TRUE(outer.isVisible());
        outer.close();
    });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(&outer), kit::ModalRun::kResponseStop);
    order.push_back("outer returned");
    EXPECT_EQ(order, (std::vector<std::string>{"inner closed", "inner returned", "outer returned"}));
}

TEST(ModalRun, ClosingTheOuterWindowWhileAnInnerRunsEndsBothInOrder) {
    QWidget outer;
    QWidget inner;
    bool innerReturned = false;
    QTimer::singleShot(0, &outer, [&] {
        QTimer::singleShot(0, &inner, [&] {
            outer.close();  // the outer run is marked stopped; the inner one goes on
            EXPECT_TRUE(kit::ModalRun::isRunning(&inner));
            inner.close();
        });
        kit::ModalRun::runModalForWindow(&inner);
        innerReturned = true;
    });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(&outer), kit::ModalRun::kResponseStop);
    EXPECT_TRUE(innerReturned);
}

TEST(ModalRun, ADestroyedWindowEndsItsRun) {
    auto dialog = std::make_unique<QWidget>();
    QWidget* window = dialog.get();
    QTimer::singleShot(0, [&] { dialog.reset(); });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(window), kit::ModalRun::kResponseStop);
    EXPECT_FALSE(kit::ModalRun::isRunning(window));
}

TEST(ModalRun, AMinimisedWindowKeepsRunningButAHiddenOneStops) {
    QWidget dialog;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.showMinimized();
        QCoreApplication::processEvents();
        EXPECT_TRUE(kit::ModalRun::isRunning(&dialog));
        dialog.hide();
    });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(&dialog), kit::ModalRun::kResponseStop);
}

TEST(ModalRun, RefusesNoWindowAndAWindowAlreadyRunning) {
    EXPECT_EQ(kit::ModalRun::runModalForWindow(nullptr), kit::ModalRun::kResponseAbort);
    QWidget dialog;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(kit::ModalRun::runModalForWindow(&dialog), kit::ModalRun::kResponseAbort);
        dialog.close();
    });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(&dialog), kit::ModalRun::kResponseStop);
}

TEST(ModalRun, AnAlreadyVisibleWindowBecomesModal) {
    QWidget dialog;
    dialog.show();
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
        dialog.close();
    });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(&dialog), kit::ModalRun::kResponseStop);
}

// --- a window without a title bar ------------------------------------------------------------------------

namespace {

class CountingWindow : public PopBaseWindow {
public:
    int willClose = 0;
    bool closeAgainInside = false;

protected:
    void windowWillClose() override {
        ++willClose;
        if (closeAgainInside) {
            close();
        }
    }
};

}  // namespace

TEST(PopBaseWindow, BorderlessTransparentAndClosedOncePerClose) {
    CountingWindow window;
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));
    window.closeAgainInside = true;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.close();
    window.close();
    EXPECT_EQ(window.willClose, 1);
    EXPECT_FALSE(window.isVisible());
    window.show();
    window.close();
    EXPECT_EQ(window.willClose, 2) << "a window shown again closes again";
}

TEST(PopBaseWindow, ModalRunOfAPopBaseWindowStopsOnceWhenItClosesItselfFromTheHook) {
    CountingWindow window;
    window.closeAgainInside = true;
    QTimer::singleShot(0, &window, [&] { window.close(); });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(&window), kit::ModalRun::kResponseStop);
    EXPECT_EQ(window.willClose, 1);
}

TEST(PopBaseWindow, MovableByItsBackground) {
    PopBaseWindow window;
    window.setGeometry(50, 50, 200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint start = window.pos();
    const QPointF global = window.mapToGlobal(QPointF(20, 20));
    QMouseEvent press(QEvent::MouseButtonPress, {20, 20}, global, Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&window, &press);
    QMouseEvent move(QEvent::MouseMove, {20, 20}, global + QPointF(-15, 10), Qt::NoButton, Qt::LeftButton,
                     {});
    QCoreApplication::sendEvent(&window, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, {20, 20}, global, Qt::LeftButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(&window, &release);
    EXPECT_EQ(window.pos(), start + QPoint(-15, 10));
}

// --- child windows ----------------------------------------------------------------------------------------

TEST(ChildWindows, AChildMovesAndHidesWithItsParent) {
    QWidget parent;
    parent.setGeometry(100, 100, 400, 300);
    QWidget child(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    child.setGeometry(150, 350, 100, 40);
    parent.show();
    child.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    kit::ChildWindows::addChildWindow(&parent, &child);
    kit::ChildWindows::addChildWindow(&parent, &child);  // once is enough
    EXPECT_EQ(kit::ChildWindows::childWindows(&parent), QList<QWidget*>{&child});
    EXPECT_EQ(child.windowHandle()->transientParent(), parent.windowHandle());

    const QPoint childBefore = child.pos();
    const QPoint parentBefore = parent.pos();
    parent.move(parentBefore + QPoint(30, -10));
    EXPECT_EQ(child.pos(), childBefore + QPoint(30, -10));
    parent.hide();
    EXPECT_FALSE(child.isVisible());
    parent.show();
    EXPECT_TRUE(child.isVisible());

    kit::ChildWindows::removeChildWindow(&parent, &child);
    EXPECT_TRUE(kit::ChildWindows::childWindows(&parent).isEmpty());
    const QPoint childAfter = child.pos();
    parent.move(0, 0);
    EXPECT_EQ(child.pos(), childAfter) << "a removed child stays put";
}

TEST(ChildWindows, ADestroyedChildLeavesTheList) {
    QWidget parent;
    auto child = std::make_unique<QWidget>();
    kit::ChildWindows::addChildWindow(&parent, child.get());
    child.reset();
    EXPECT_TRUE(kit::ChildWindows::childWindows(&parent).isEmpty());
    parent.move(10, 10);  // nothing to move
}

// --- fades -----------------------------------------------------------------------------------------------

TEST(WindowFade, FadesInAndOutAndTellsTheEnd) {
    kit::WindowFade::setDurationForTesting(30);
    QWidget window;
    std::vector<bool> ends;
    kit::WindowFade::fadeIn(&window, [&](bool finished) { ends.push_back(finished); });
    EXPECT_TRUE(window.isVisible());
    ASSERT_TRUE(testsupport::waitUntil([&] { return ends.size() == 1; }, 2000));
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
    kit::WindowFade::fadeOut(&window, [&](bool finished) {
        ends.push_back(finished);
        window.close();  // closing from the completion is allowed
    });
    ASSERT_TRUE(testsupport::waitUntil([&] { return ends.size() == 2; }, 2000));
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 0.0);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(ends, (std::vector<bool>{true, true}));
    kit::WindowFade::setDurationForTesting(0);
}

TEST(WindowFade, ANewFadeStopsTheRunningOneWhichIsToldItDidNotFinish) {
    kit::WindowFade::setDurationForTesting(500);
    QWidget window;
    window.show();
    std::vector<std::string> ends;
    kit::WindowFade::fadeOut(
        &window, [&](bool finished) { ends.push_back(finished ? "out finished" : "out stopped"); });
    kit::WindowFade::setDurationForTesting(20);
    kit::WindowFade::animateOpacity(
        &window, 1.0, [&](bool finished) { ends.push_back(finished ? "in finished" : "in stopped"); });
    ASSERT_TRUE(testsupport::waitUntil([&] { return ends.size() == 2; }, 2000));
    EXPECT_EQ(ends, (std::vector<std::string>{"out stopped", "in finished"}));
    kit::WindowFade::setDurationForTesting(0);
}

TEST(WindowFade, AFadeThatDiesWithItsWindowTellsNobody) {
    kit::WindowFade::setDurationForTesting(200);
    auto window = std::make_unique<QWidget>();
    bool told = false;
    kit::WindowFade::fadeIn(window.get(), [&](bool) { told = true; });
    QWidget witness;  // its fade, as long and started later, ends no sooner
    bool witnessTold = false;
    kit::WindowFade::fadeIn(&witness, [&](bool) { witnessTold = true; });
    window.reset();
    ASSERT_TRUE(testsupport::waitUntil([&] { return witnessTold; }, 5000))
        << "the witness's fade did not end";
    EXPECT_FALSE(told);
    kit::WindowFade::setDurationForTesting(0);
}

// Return and Enter press the default button, Escape the cancel button, each only when a click could; of a
// pane's buttons, the one shown.
TEST(DialogKeys, EachKeyPressesItsButtonOnlyWhenAClickCould) {
    const struct {
        Qt::Key key;
        bool okUsable;
        bool cancelShown;
        const char* pressed;
    } rows[] = {{Qt::Key_Return, true, true, "ok"},
                {Qt::Key_Enter, true, true, "ok"},
                {Qt::Key_Escape, true, true, "cancel"},
                {Qt::Key_Return, false, true, ""},
                {Qt::Key_Escape, true, false, "other pane"}};
    for (const auto& row : rows) {
        QWidget dialog;
        QString pressed;
        const auto button = [&](const char* name) {
            auto* made = new TextImageButton(&dialog);  // owned by the dialog
            made->setButtonEnabled(true);
            QObject::connect(made, &QAbstractButton::clicked, [&pressed, name] { pressed = name; });
            return made;
        };
        TextImageButton* ok = button("ok");
        TextImageButton* cancel = button("cancel");
        TextImageButton* other = button("other pane");
        auto* field = new QLineEdit(&dialog);  // owned by the dialog
        kit::DialogKeys::install(&dialog, {ok}, {cancel, other});
        ok->setButtonEnabled(row.okUsable);
        dialog.show();
        cancel->setVisible(row.cancelShown);
        QApplication::setActiveWindow(&dialog);
        field->setFocus();
        QTest::keyClick(field, row.key);
        EXPECT_EQ(pressed, row.pressed) << row.key;
    }
}
