#include "simmac/tools/ToolSession.h"

#include "simmac/ToolExit.h"
#include "simmac/state/CallLog.h"
#include "simmac/state/DeviceResolver.h"
#include "simmac/state/SimPaths.h"
#include "simmac/state/StateTransaction.h"
#include "simmac/state/Topology.h"
#include "simmac/tools/FaultList.h"

#include "platform/MacPath.h"

#include <QFileInfo>

#include <csignal>

#include <unistd.h>

namespace simmac {
namespace {

QByteArray garbage(const QString& kind) {
    if (kind == QLatin1String("truncated")) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST "
               "1.0//EN\" "
               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>\n"
               "\t<key>DeviceIdentifier</key>\n\t<string>disk4</str";
    }
    if (kind == QLatin1String("binary")) {
        return QByteArray("\xff\xfe\xc3\x28\xa0\xa1\x00\xf0\x28\x8c\xbc\x80\n", 13);
    }
    if (kind == QLatin1String("wrongRoot")) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<array>\n"
               "\t<string>disk4</string>\n</array>\n</plist>\n";
    }
    if (kind == QLatin1String("missingKeys")) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
               "\t<key>Unrelated</key>\n\t<true/>\n</dict>\n</plist>\n";
    }
    return "Could not find disk: x\n";
}

}  // namespace

ToolSession::ToolSession(const QString& tool, const QStringList& args) {
    ctx_.tool = tool;
    ctx_.args = args;
}

int ToolSession::run(const Work& work) {
    if (!SimPaths::rootIsReady()) {
        ctx_.console.error(platform::hasSimRoot()
                               ? QStringLiteral("simmac: TAVRUN_SIM_ROOT does not name a simulated Mac: ") +
                                     platform::simRoot()
                               : QStringLiteral("simmac: TAVRUN_SIM_ROOT is not set"));
        return kNoSimulatedMac;
    }
    try {
        StateTransaction tx;
        seq_ = tx.state().nextCallSeq++;
        CallLog::logStart(seq_, ctx_.tool, ctx_.args);
        ctx_.fault = FaultList::take(ctx_.tool, ctx_.args.value(0), ctx_.args);
        tx.commit();
    } catch (const ToolExit& exit) {
        ctx_.console.error(exit.message);
        return exit.status;
    }
    ctx_.config = SimConfig::load();
    const std::optional<int> early = before();
    const int status = early ? *early : after(runWork(work));
    CallLog::logEnd(seq_, status, 0);
    return status;
}

std::optional<int> ToolSession::before() {
    if (!ctx_.fault) {
        return std::nullopt;
    }
    const FaultRule& rule = *ctx_.fault;
    const QString action = rule.action();
    if (action == QLatin1String("exit")) {
        ctx_.console.write(rule.text("Stdout"));
        if (const QString err = rule.text("Stderr"); !err.isEmpty()) {
            ctx_.console.error(err);
        }
        return rule.number("ExitStatus", 1);
    }
    if (action == QLatin1String("garbage")) {
        ctx_.console.write(garbage(rule.text("Kind")));
        return rule.number("ExitStatus", 0);
    }
    if (action == QLatin1String("empty")) {
        return 0;
    }
    if (action == QLatin1String("signal")) {
        dieBySignal(rule.number("Signal", SIGSEGV));
    }
    if (action == QLatin1String("hang") && !rule.flag("AfterEffect")) {
        hang(rule.flag("IgnoreSigterm"));
    }
    if (action == QLatin1String("delay")) {
        delay(std::chrono::milliseconds(rule.number("DelayMs", 0)), rule.text("UntilFile"));
    }
    if (action == QLatin1String("output")) {
        // The replacement comes first, so that a prompt among its lines can be answered while the real
        // work, muted, waits for that answer.
        for (const QString& chunk : rule.lines()) {
            Console::pause(std::chrono::milliseconds(rule.number("LineDelayMs", 0)));
            ctx_.console.write(chunk);
        }
        ctx_.console.setMuted(true);
    }
    if (action == QLatin1String("detachDisk")) {
        const int afterLines = rule.number("AfterLines", -1);
        const int atPercent = rule.number("AtPercent", -1);
        ctx_.console.setLineHook([this, afterLines](int lines) {
            if (lines == afterLines) {
                unplugForFault();
            }
        });
        ctx_.console.setProgressHook([this, atPercent](int percent) {
            if (percent == atPercent) {
                unplugForFault();
            }
        });
    }
    return std::nullopt;
}

int ToolSession::after(int status) {
    if (!ctx_.fault) {
        return status;
    }
    const FaultRule& rule = *ctx_.fault;
    const QString action = rule.action();
    if (action == QLatin1String("effectThenExit")) {
        return rule.number("ExitStatus", 1);
    }
    if (action == QLatin1String("output")) {
        ctx_.console.setMuted(false);
    }
    if (action == QLatin1String("hang") && rule.flag("AfterEffect")) {
        hang(rule.flag("IgnoreSigterm"));
    }
    return status;
}

// A test that must act while the tool waits names a file that ends the wait when it appears, so that the
// tool waits for the test rather than for a time the test could miss on a busy machine.
void ToolSession::delay(std::chrono::milliseconds limit, const QString& untilFile) {
    if (untilFile.isEmpty()) {
        Console::pause(limit);
        return;
    }
    const std::optional<QString> gate = platform::hostPath(untilFile);
    const auto end = std::chrono::steady_clock::now() + limit;
    while (gate && !QFileInfo::exists(*gate) && std::chrono::steady_clock::now() < end) {
        Console::pause(std::chrono::milliseconds(10));
    }
}

int ToolSession::runWork(const Work& work) {
    try {
        return work(ctx_);
    } catch (const ToolExit& exit) {
        if (!exit.message.isEmpty()) {
            ctx_.console.error(exit.message);
        }
        return exit.status;
    }
}

// The disk named by the rule's "Disk" (or the one behind the verb's target) is unplugged as a person would
// pull it, and the verb ends with its tool's "disk disappeared" error.
void ToolSession::unplugForFault() {
    {
        StateTransaction tx;
        const QString named = ctx_.fault->text("Disk");
        const QString node =
            named.isEmpty() ? ctx_.target : DeviceResolver::resolve(tx.state(), named).value_or(QString());
        const QString disk = tx.state().physicalDiskOf(node);
        if (!disk.isEmpty() && Topology(tx).unplug(disk, true)) {
            tx.commit();
        }
    }
    throw ToolExit{1, ctx_.disappearedMessage()};
}

void ToolSession::dieBySignal(int signal) {
    CallLog::logEnd(seq_, -1, signal);
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigaction(signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);  // a signal whose default action is to carry on
}

void ToolSession::hang(bool ignoreSigterm) {
    if (ignoreSigterm) {
        ::signal(SIGTERM, SIG_IGN);
    }
    for (;;) {
        ::pause();
    }
}

}  // namespace simmac
