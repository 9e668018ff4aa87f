#pragma once

#include "platform/RunningApplication.h"

#include <QApplication>

#include <memory>

class QKeyEvent;

// The application object. It sends the edit key equivalents (Command-X, C, V, Z, A and Command-Shift-Z;
// Command is Ctrl here) as actions to the focused widget and up its parents, before any window sees the
// key; and it holds the application's place as the running instance of its bundle, coming to the front
// when another start asks it to.
class MyNSApplication : public QApplication {
    Q_OBJECT

public:
    // How the application delegate answers a request to terminate.
    enum TerminateReply { NSTerminateCancel = 0, NSTerminateNow = 1 };

    MyNSApplication(int& argc, char** argv);
    ~MyNSApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // sendEvent:'s key equivalents for an event on its way to `receiver`: true when the event was a key press
    // entering a window and a responder took the action it chose; the event is then consumed.
    static bool sendKeyEquivalent(QObject* receiver, QEvent* event);
    // The action a key press chooses ("cut", "copy", "paste", "undo", "selectAll", "redo"), or empty.
    static QByteArray keyEquivalentAction(const QKeyEvent& event);
    // sendAction:to:from: with no target: the first of the focus widget and its parents that has the action
    // as a slot runs it. False when none has it.
    static bool sendAction(const QByteArray& action);
    // Brings every window of the application to the front (activateWithOptions:).
    static void activateWithOptions(unsigned options);

private:
    std::unique_ptr<platform::RunningApplication::Registration> registration_;
};
