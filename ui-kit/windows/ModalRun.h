#pragma once

class QWidget;

namespace kit {

// Runs a window modally for the application, in an event loop of its own, until the window closes: the
// one way every dialog of the program is shown and dismissed. Closing, hiding or destroying the window
// stops exactly its own run, once; stopping a run that has already ended, or a window that is not running,
// does nothing. A run started inside another (a dialog opened from a dialog) returns first, and the outer
// run goes on.
class ModalRun {
public:
    static constexpr int kResponseStop = -1000;   // the run ended because the window closed or was stopped
    static constexpr int kResponseAbort = -1001;  // the window could not be run (none, or already running)

    // Shows the window application-modal and returns when its run stops, with the code it stopped with.
    static int runModalForWindow(QWidget* window);
    static void stopModal(QWidget* window, int code = kResponseStop);
    static bool isRunning(const QWidget* window);
};

}  // namespace kit
