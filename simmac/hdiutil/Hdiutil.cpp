#include "simmac/hdiutil/Hdiutil.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/UnmountPolicy.h"
#include "simmac/hdiutil/ImageDisk.h"
#include "simmac/hdiutil/ImageFile.h"
#include "simmac/state/ContentFolder.h"
#include "simmac/state/DeviceResolver.h"
#include "simmac/state/FileSystemType.h"
#include "simmac/state/SandboxPath.h"
#include "simmac/state/SimPaths.h"
#include "simmac/state/SizeText.h"
#include "simmac/state/StateTransaction.h"
#include "simmac/state/UsageMeter.h"

#include "platform/FileSystem.h"
#include "platform/MacPath.h"

#include <QHash>

namespace simmac {
namespace {

const QString kUsage = QStringLiteral(
    "Usage: hdiutil <verb> <options>\n"
    "  create <imagepath> [-volname <name>] [-size <n>[b|k|m|g|t]] [-fs <filesystem>] [-format <format>]"
    " [-srcfolder <folder>]\n"
    "  attach|mount <imagepath>\n"
    "  detach|eject <devname|mountpoint> [-force]");

[[noreturn]] void usage() {
    throw ToolExit{1, kUsage};
}

[[noreturn]] void createFailed(const char* reason) {
    throw ToolExit{1, QStringLiteral("hdiutil: create failed - ") + QLatin1String(reason)};
}

struct CreateRequest {
    QString path;
    QHash<QString, QString> options;
};

CreateRequest parseCreate(const QStringList& args) {
    static const QStringList known{QStringLiteral("-volname"), QStringLiteral("-size"), QStringLiteral("-fs"),
                                   QStringLiteral("-format"), QStringLiteral("-srcfolder")};
    CreateRequest request;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (known.contains(args.at(i)) && i + 1 < args.size()) {
            request.options.insert(args.at(i), args.at(i + 1));
            ++i;
        } else if (!args.at(i).startsWith(QLatin1Char('-')) && request.path.isEmpty()) {
            request.path = args.at(i);
        } else {
            usage();
        }
    }
    if (request.path.isEmpty()) {
        usage();
    }
    return request;
}

// The mounted volume whose folder holds the Mac path: the one with the longest mount point above it.
const Volume* volumeHolding(const SimState& state, const QString& macPath) {
    const Volume* best = nullptr;
    for (const QString& id : state.nodeIds()) {
        const Volume* v = state.node(id).volume;
        const QString mp = v->mountPoint;
        const bool holds =
            mp == QLatin1String("/") || macPath == mp || macPath.startsWith(mp + QLatin1Char('/'));
        if (!mp.isEmpty() && holds && (best == nullptr || mp.size() > best->mountPoint.size())) {
            best = v;
        }
    }
    return best;
}

void checkRoom(const QString& imagePath, qint64 size, bool countFiles) {
    const SimState state = StateTransaction::current();
    const Volume* volume = volumeHolding(state, imagePath);
    if (volume == nullptr) {
        createFailed("No such file or directory");
    }
    if (volume->readOnly) {
        createFailed("Permission denied");
    }
    if (size > UsageMeter(state, countFiles).available(*volume)) {
        createFailed("No space left on device");
    }
}

// A clean Mac path that does not lead out of the sim root, also through a link.
std::optional<QString> insideRoot(const QString& argument) {
    const auto clean = platform::cleanMacPath(argument);
    return clean && SandboxPath::staysInside(*clean) ? clean : std::nullopt;
}

QString failureText(ImageDisk::Failure failure) {
    switch (failure) {
        case ImageDisk::Failure::NotRecognized:
            return QStringLiteral("image not recognized");
        case ImageDisk::Failure::Unwritable:
            return QStringLiteral("Input/output error");
        default:
            return QStringLiteral("No such file or directory");
    }
}

}  // namespace

int Hdiutil::run(ToolContext& ctx) {
    const QString verb = ctx.args.value(0);
    const QStringList rest = ctx.args.mid(1);
    if (verb == QLatin1String("create")) {
        return create(ctx, rest);
    }
    if (verb == QLatin1String("attach") || verb == QLatin1String("mount")) {
        return attach(ctx, verb, rest);
    }
    if (verb == QLatin1String("detach") || verb == QLatin1String("eject")) {
        return detach(ctx, verb, rest);
    }
    usage();
}

int Hdiutil::create(ToolContext& ctx, const QStringList& args) {
    const CreateRequest request = parseCreate(args);
    const QString fsName = request.options.value(QStringLiteral("-fs"), QStringLiteral("HFS+"));
    const auto fs = FileSystemType::fromName(fsName);
    if (!fs) {
        throw ToolExit{1, QStringLiteral("hdiutil: create: unknown filesystem \"%1\"").arg(fsName)};
    }
    const auto path = insideRoot(request.path);
    const QString source = request.options.value(QStringLiteral("-srcfolder"));
    const auto sourcePath = source.isEmpty() ? std::optional<QString>() : insideRoot(source);
    if (!path || (!source.isEmpty() && (!sourcePath || !platform::FileSystem::isDirectory(*sourcePath))) ||
        !platform::FileSystem::isDirectory(path->section(QLatin1Char('/'), 0, -2) + QLatin1Char('/'))) {
        createFailed("No such file or directory");
    }
    if (platform::FileSystem::exists(*path) || platform::FileSystem::isSymLink(*path)) {
        createFailed("File exists");
    }
    const QString content = sourcePath.value_or(QString());
    const QString sizeText = request.options.value(QStringLiteral("-size"));
    const auto size = sizeText.isEmpty()
                          ? std::optional<qint64>(ContentFolder(content, {}).fileBytes() + 1048576)
                          : SizeText::binary(sizeText);
    if (!size) {
        usage();
    }
    checkRoom(*path, *size, ctx.config.computeUsageFromFiles);
    QString uuid;
    {
        StateTransaction tx;
        uuid = tx.state().newUuid();
        tx.commit();
    }
    const QVariantMap metadata{
        {QStringLiteral("ImageUUID"), uuid},
        {QStringLiteral("VolumeName"),
         request.options.value(QStringLiteral("-volname"), QStringLiteral("untitled"))},
        {QStringLiteral("Size"), *size},
        {QStringLiteral("FileSystem"), FileSystemType::personality(*fs)},
        {QStringLiteral("Format"), request.options.value(QStringLiteral("-format"), QStringLiteral("UDRW"))}};
    const QString folder = content.isEmpty() ? SimPaths::staging() + QStringLiteral("/empty") : content;
    if (!ImageFile::write(*path, metadata, folder)) {
        createFailed("Input/output error");
    }
    ctx.console.line(QStringLiteral("created: ") + *path);
    return 0;
}

int Hdiutil::attach(ToolContext& ctx, const QString& verb, const QStringList& args) {
    if (args.size() != 1) {
        usage();
    }
    const QString failedPrefix = QStringLiteral("hdiutil: %1 failed - ").arg(verb);
    const auto path = insideRoot(args.first());
    ImageDisk::Failure failure = ImageDisk::Failure::Missing;
    const auto id = path ? ImageDisk::attach(*path, failure) : std::nullopt;
    if (!id) {
        throw ToolExit{1, failedPrefix + failureText(failure)};
    }
    for (const QString& line : ImageDisk::entities(StateTransaction::current(), *id)) {
        ctx.console.line(line);
    }
    return 0;
}

int Hdiutil::detach(ToolContext& ctx, const QString& verb, const QStringList& args) {
    QStringList targets = args;
    // Forced, a volume goes whatever process holds it (the system volume still stays).
    const bool force = targets.removeAll(QStringLiteral("-force")) > 0;
    if (targets.size() != 1) {
        usage();
    }
    const SimState state = StateTransaction::current();
    const auto node = DeviceResolver::resolve(state, targets.first());
    if (!node) {
        throw ToolExit{1, QStringLiteral("hdiutil: %1 failed - No such file or directory").arg(verb)};
    }
    const QString diskId = state.physicalDiskOf(*node);
    // Looked at first and again under the lock, as a volume may have become busy while the image was packed.
    const auto check = [&diskId, force](const SimState& now) {
        for (const QString& id : UnmountPolicy::volumesOf(now, diskId)) {
            const Volume& volume = *now.node(id).volume;
            if (UnmountPolicy::dissenter(now, volume) && !(force && volume.busy)) {
                throw ToolExit{
                    16, QStringLiteral("hdiutil: couldn't unmount \"%1\" - Resource busy").arg(diskId)};
            }
        }
    };
    check(state);
    if (!ImageDisk::eject(diskId, check)) {
        throw ToolExit{1, QStringLiteral("hdiutil: %1 failed - Input/output error").arg(verb)};
    }
    ctx.console.line(QStringLiteral("\"%1\" ejected.").arg(diskId));
    return 0;
}

}  // namespace simmac
