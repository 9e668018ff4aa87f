#include "simmac/asr/Asr.h"

#include "simmac/ToolExit.h"
#include "simmac/asr/AsrRestore.h"

namespace simmac {
namespace {

const QString kUsage = QStringLiteral(
    "Usage: asr restore --source <source> --target <target> --erase [--noprompt]\n"
    "    Copies <source> onto <target>, erasing <target> first.");

[[noreturn]] void usage() {
    throw ToolExit{1, kUsage};
}

// "--source" and the older "-source" forms both count.
QString canonical(const QString& option) {
    return option.startsWith(QLatin1String("--")) ? option.mid(1) : option;
}

}  // namespace

int Asr::run(ToolContext& ctx) {
    if (ctx.args.value(0) != QLatin1String("restore")) {
        usage();
    }
    QString source;
    QString target;
    bool erase = false;
    bool prompt = true;
    const QStringList args = ctx.args.mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString option = canonical(args.at(i));
        if ((option == QLatin1String("-source") || option == QLatin1String("-target")) &&
            i + 1 < args.size()) {
            (option == QLatin1String("-source") ? source : target) = args.at(++i);
        } else if (option == QLatin1String("-erase")) {
            erase = true;
        } else if (option == QLatin1String("-noprompt")) {
            prompt = false;
        } else {
            usage();
        }
    }
    if (!erase || source.isEmpty() || target.isEmpty()) {
        usage();
    }
    return AsrRestore(ctx, source, target, prompt).run();
}

}  // namespace simmac
