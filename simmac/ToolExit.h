#pragma once

#include <QString>

namespace simmac {

// Ends a simulated tool early: thrown where a tool stops, caught once by its session, which prints the
// message (if any) on standard error, logs the end of the call and exits with the status.
struct ToolExit {
    int status = 1;
    QString message;
};

// Exit status of a tool that finds no simulated Mac to work on.
constexpr int kNoSimulatedMac = 70;

}  // namespace simmac
