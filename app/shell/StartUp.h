#pragma once

#include "platform/PowerAssertion.h"

#include <QString>

#include <chrono>
#include <functional>

// The application's start: the hand-over to the launcher when started without an argument, and the power
// assertion that keeps the display awake while the application loop runs.

// The runner of the application loop (NSApplicationMain); it returns the loop's result.
using ApplicationLoop = std::function<int(int argc, char** argv)>;

// The process entry. Only the number of arguments counts: without one the launcher is started instead and
// the process ends with 0; otherwise (or when that launch fails) the loop runs under the assertion.
int TavrunMain(int argc, char** argv, const ApplicationLoop& loop);

// Launches the bundle three levels above the application's own (the launcher's); true when it was launched.
// A process that was itself started by a hand-over does not hand over again, so a start never loops.
bool ZZManRunLoader();
// The bundle that holds the application bundle: "<launcher>.app/Contents/MacOS/Tavrun.app" ->
// "<launcher>.app".
QString launcherBundlePath(const QString& applicationBundlePath);

void PreventSleep();
platform::IOReturn ReleasePreventObj();

// A second single-instance test that start-up does not call (the delegate's is the one in force): true when
// no instance of this bundle is listed; otherwise another listed instance comes to the front, the
// application is asked to quit and the answer is false.
bool IsOnlyOneApp();

// Set in the environment that the launcher (and through it the application) inherits from a hand-over.
inline constexpr char kHandOverVariable[] = "TAVRUN_HANDED_OVER";

namespace shell {

// The tools the application started get SIGTERM, and SIGKILL after this long.
inline constexpr std::chrono::seconds kToolEndGrace{2};
// Its worker threads get this long to finish what they do once their tools have ended.
inline constexpr std::chrono::seconds kWorkerEndWait{3};

// The application's end, however it comes (Quit, a quit signal, the main window's close button): the
// tools it started end and its worker threads finish, so that nothing of it runs on after it. On the main
// thread, once the application's run is over.
void endToolsAndWorkers();

}  // namespace shell
