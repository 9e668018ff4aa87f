#pragma once

#include "simmac/tools/ToolContext.h"

#include <functional>

namespace simmac {

// One run of a simulated tool from start to exit: it requires a simulated Mac, logs the start and the end of
// the call, applies the fault rule that matches the call, and runs the tool's own work in between.
class ToolSession {
public:
    using Work = std::function<int(ToolContext&)>;

    ToolSession(const QString& tool, const QStringList& args);
    int run(const Work& work);

private:
    // Runs the rule's behaviour before the work; returns an exit status when the work must not run.
    std::optional<int> before();
    int after(int status);
    static void delay(std::chrono::milliseconds limit, const QString& untilFile);
    int runWork(const Work& work);
    void unplugForFault();
    [[noreturn]] void dieBySignal(int signal);
    [[noreturn]] static void hang(bool ignoreSigterm);

    ToolContext ctx_;
    qint64 seq_ = 0;
};

}  // namespace simmac
