#include "app/shell/MyNSApplication.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

struct Key {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    QByteArray action;
};

class KeyEquivalents : public ::testing::TestWithParam<Key> {};

// A view that answers copy: but holds no focus itself.
class CopyingPanel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    int copies = 0;
public slots:
    void copy() { ++copies; }
};

// A window with one focused line edit holding "hello", all selected.
class EditWindow {
public:
    EditWindow() {
        auto* layout = new QVBoxLayout(&window);
        edit = new QLineEdit("hello");
        layout->addWidget(edit);
        window.show();
        window.activateWindow();
        edit->setFocus();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->selectAll();
    }
    QWidget window;
    QLineEdit* edit = nullptr;
};

}  // namespace

TEST_P(KeyEquivalents, ChooseTheirAction) {
    const Key& key = GetParam();
    const QKeyEvent event(QEvent::KeyPress, key.key, key.modifiers, key.text);
    EXPECT_EQ(MyNSApplication::keyEquivalentAction(event), key.action) << key.name;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyEquivalents,
    ::testing::Values(Key{"CommandX", Qt::Key_X, Qt::ControlModifier, "x", "cut"},
                      Key{"CommandC", Qt::Key_C, Qt::ControlModifier, "c", "copy"},
                      Key{"CommandCWithCapsLock", Qt::Key_C, Qt::ControlModifier, "C", "copy"},
                      Key{"CommandV", Qt::Key_V, Qt::ControlModifier, "v", "paste"},
                      Key{"CommandZ", Qt::Key_Z, Qt::ControlModifier, "z", "undo"},
                      Key{"CommandA", Qt::Key_A, Qt::ControlModifier, "a", "selectAll"},
                      Key{"CommandShiftZ", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Z", "redo"},
                      Key{"CommandOptionC", Qt::Key_C, Qt::ControlModifier | Qt::AltModifier, "c", ""},
                      Key{"CommandShiftC", Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, "C", ""},
                      Key{"CommandOptionZ", Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier, "z", ""},
                      Key{"PlainC", Qt::Key_C, Qt::NoModifier, "c", ""},
                      Key{"ShiftZ", Qt::Key_Z, Qt::ShiftModifier, "Z", ""},
                      Key{"CommandB", Qt::Key_B, Qt::ControlModifier, "b", ""},
                      Key{"KeypadCommandC", Qt::Key_C, Qt::ControlModifier | Qt::KeypadModifier, "c", ""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(KeyEquivalent, CommandCCopiesTheFocusedFieldsSelection) {
    EditWindow edit;
    QApplication::clipboard()->clear();
    QKeyEvent event(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, "c");
    EXPECT_TRUE(MyNSApplication::sendKeyEquivalent(edit.window.windowHandle(), &event));
    EXPECT_EQ(QApplication::clipboard()->text(), "hello");

    QKeyEvent cut(QEvent::KeyPress, Qt::Key_X, Qt::ControlModifier, "x");
    EXPECT_TRUE(MyNSApplication::sendKeyEquivalent(edit.window.windowHandle(), &cut));
    EXPECT_TRUE(edit.edit->text().isEmpty());
    QKeyEvent undo(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier, "z");
    EXPECT_TRUE(MyNSApplication::sendKeyEquivalent(edit.window.windowHandle(), &undo));
    EXPECT_EQ(edit.edit->text(), "hello");
}

TEST(KeyEquivalent, OnlyAKeyEnteringAWindowIsLookedAt) {
    EditWindow edit;
    QKeyEvent event(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, "a");
    EXPECT_FALSE(MyNSApplication::sendKeyEquivalent(edit.edit, &event)) << "the widget's own delivery";
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::ControlModifier, "a");
    EXPECT_FALSE(MyNSApplication::sendKeyEquivalent(edit.window.windowHandle(), &release));
}

TEST(KeyEquivalent, AnActionNobodyAnswersGoesOnAsANormalKey) {
    QWidget window;
    auto* button = new QPushButton("no edit actions", &window);
    window.show();
    window.activateWindow();
    button->setFocus();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    QKeyEvent event(QEvent::KeyPress, Qt::Key_X, Qt::ControlModifier, "x");
    EXPECT_FALSE(MyNSApplication::sendKeyEquivalent(window.windowHandle(), &event));
    EXPECT_FALSE(MyNSApplication::sendAction("cut"));
}

TEST(KeyEquivalent, TheActionTravelsUpToTheFirstViewThatAnswersIt) {
    QWidget window;
    auto* panel = new CopyingPanel(&window);
    auto* button = new QPushButton("inside", panel);
    window.show();
    window.activateWindow();
    button->setFocus();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(MyNSApplication::sendAction("copy"));
    EXPECT_EQ(panel->copies, 1);
    EXPECT_FALSE(MyNSApplication::sendAction("paste"));
}

TEST(KeyEquivalent, WithoutFocusNothingIsSent) {
    if (QWidget* focus = QApplication::focusWidget()) {
        focus->clearFocus();
    }
    EXPECT_FALSE(MyNSApplication::sendAction("copy"));
}

#include "KeyEquivalentTest.moc"
