#include "simmac/state/DeviceResolver.h"

#include "simmac/state/SandboxPath.h"

#include "platform/MacPath.h"

#include <QRegularExpression>

namespace simmac {
namespace {

std::optional<QString> byIdentifier(const SimState& state, const QString& id) {
    static const QRegularExpression bsd(QStringLiteral("^disk\\d+(s\\d+)*$"));
    if (bsd.match(id).hasMatch() && state.node(id)) {
        return id;
    }
    return std::nullopt;
}

std::optional<QString> byUuid(const SimState& state, const QString& text) {
    static const QRegularExpression uuid(
        QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"),
        QRegularExpression::CaseInsensitiveOption);
    if (!uuid.match(text).hasMatch()) {
        return std::nullopt;
    }
    for (const QString& id : state.nodeIds()) {
        const Volume* v = state.node(id).volume;
        if (v->diskUuid.compare(text, Qt::CaseInsensitive) == 0 ||
            v->uuid.compare(text, Qt::CaseInsensitive) == 0) {
            return id;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> DeviceResolver::resolve(const SimState& state, const QString& argument) {
    QString arg = argument;
    if (arg.startsWith(QLatin1String("/dev/r"))) {
        arg = arg.mid(6);
    } else if (arg.startsWith(QLatin1String("/dev/"))) {
        arg = arg.mid(5);
    }
    if (auto id = byIdentifier(state, arg)) {
        return id;
    }
    if (auto id = byUuid(state, arg)) {
        return id;
    }
    if (arg.startsWith(QLatin1Char('/'))) {
        return byMountPoint(state, arg);
    }
    return std::nullopt;
}

std::optional<QString> DeviceResolver::byMountPoint(const SimState& state, const QString& macPath) {
    const auto clean = platform::cleanMacPath(macPath);
    if (!clean) {
        return std::nullopt;
    }
    const QString wanted = SandboxPath::canonical(*clean).value_or(*clean);
    for (const QString& id : state.nodeIds()) {
        if (state.node(id).volume->mountPoint == wanted) {
            return id;
        }
    }
    return std::nullopt;
}

}  // namespace simmac
