#include "simmac/diskutil/Diskutil.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/EjectVerb.h"
#include "simmac/diskutil/EraseDiskVerb.h"
#include "simmac/diskutil/EraseVolumeVerb.h"
#include "simmac/diskutil/FsckVerb.h"
#include "simmac/diskutil/InfoVerb.h"
#include "simmac/diskutil/ListVerb.h"
#include "simmac/diskutil/MountDiskVerb.h"
#include "simmac/diskutil/MountVerb.h"
#include "simmac/diskutil/RenameVerb.h"
#include "simmac/diskutil/ResizeVolumeVerb.h"

#include "platform/PropertyList.h"

#include <array>

namespace simmac {
namespace {

using VerbFunction = int (*)(ToolContext&, const QStringList&);

struct Verb {
    const char* name;  // lower case
    const char* syntax;
    VerbFunction run;
};

const std::array<Verb, 15> kVerbs{{
    {"list", "list -plist [MountPoint|DiskIdentifier|DeviceNode]", &ListVerb::run},
    {"info", "info[rmation] -plist MountPoint|DiskIdentifier|DeviceNode|UUID", &InfoVerb::run},
    {"information", "info[rmation] -plist MountPoint|DiskIdentifier|DeviceNode|UUID", &InfoVerb::run},
    {"mount", "mount MountPoint|DiskIdentifier|DeviceNode", &MountVerb::mount},
    {"unmount", "unmount MountPoint|DiskIdentifier|DeviceNode", &MountVerb::unmount},
    {"mountdisk", "mountDisk MountPoint|DiskIdentifier|DeviceNode", &MountDiskVerb::mountDisk},
    {"unmountdisk", "unmountDisk MountPoint|DiskIdentifier|DeviceNode", &MountDiskVerb::unmountDisk},
    {"eject", "eject MountPoint|DiskIdentifier|DeviceNode", &EjectVerb::run},
    {"rename", "rename MountPoint|DiskIdentifier|DeviceNode NewName", &RenameVerb::run},
    {"erasevolume", "eraseVolume Format Name MountPoint|DiskIdentifier|DeviceNode",
     &EraseVolumeVerb::eraseVolume},
    {"reformat", "reformat MountPoint|DiskIdentifier|DeviceNode", &EraseVolumeVerb::reformat},
    {"erasedisk", "eraseDisk Format Name [MBR[Format]|GPT[Format]] MountPoint|DiskIdentifier|DeviceNode",
     &EraseDiskVerb::run},
    {"resizevolume", "resizeVolume MountPoint|DiskIdentifier|DeviceNode Size [Format Name Size]",
     &ResizeVolumeVerb::run},
    {"verifyvolume", "verifyVolume MountPoint|DiskIdentifier|DeviceNode", &FsckVerb::verify},
    {"repairvolume", "repairVolume MountPoint|DiskIdentifier|DeviceNode", &FsckVerb::repair},
}};

const Verb* find(const QString& name) {
    for (const Verb& verb : kVerbs) {
        if (name.compare(QLatin1String(verb.name), Qt::CaseInsensitive) == 0) {
            return &verb;
        }
    }
    return nullptr;
}

QString generalUsage() {
    QStringList lines{
        QStringLiteral("Disk Utility Tool"),
        QStringLiteral("Utility to manage local disks and volumes"),
        QStringLiteral("Most commands require an administrator or root user"),
        QString(),
        QStringLiteral("Usage:  diskutil [quiet] <verb> <options>, where <verb> is as follows:"),
        QString()};
    for (const Verb& verb : kVerbs) {
        lines.append(QStringLiteral("     ") + QLatin1String(verb.syntax));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

int Diskutil::run(ToolContext& ctx) {
    const Verb* verb = ctx.args.isEmpty() ? nullptr : find(ctx.args.first());
    if (verb == nullptr) {
        usage();
    }
    return verb->run(ctx, ctx.args.mid(1));
}

void Diskutil::usage(const QString& verb) {
    const Verb* found = verb.isEmpty() ? nullptr : find(verb);
    throw ToolExit{
        1, found ? QStringLiteral("Usage:  diskutil ") + QLatin1String(found->syntax) : generalUsage()};
}

void Diskutil::printPlist(ToolContext& ctx, const QVariantMap& map) {
    ctx.console.write(platform::PropertyList::toXml(map));
}

}  // namespace simmac
