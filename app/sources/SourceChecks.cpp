#include "app/sources/SourceChecks.h"

#include "platform/FileSystem.h"
#include "platform/MacPath.h"

using platform::FileSystem;

namespace sources {

namespace {

QString resolved(const QString& path) {
    const QString clean = platform::cleanMacPath(path).value_or(path);
    return FileSystem::canonicalPath(clean).value_or(clean);
}

bool isWithin(const QString& inner, const QString& outer) {
    return inner == outer || outer == QLatin1String("/") || inner.startsWith(outer + QLatin1Char('/'));
}

bool holdsResolved(const FileNodeList& roots, const QString& target) {
    for (const auto& node : roots) {
        if ((node->state() == FileNode::kChecked && isWithin(target, resolved(node->path()))) ||
            (node->state() == FileNode::kPartlyChecked && holdsResolved(node->children(), target))) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool isSameVolume(const VolumeObj& a, const VolumeObj& b) {
    return !a.volumePath.isEmpty() && !b.volumePath.isEmpty() &&
           resolved(a.volumePath) == resolved(b.volumePath);
}

bool holdsPath(const FileNodeList& roots, const QString& path) {
    return holdsResolved(roots, resolved(path));
}

bool isPresent(const VolumeObj& volume) {
    return !volume.volumeMountPoint.isEmpty() && FileSystem::isDirectory(volume.volumeMountPoint);
}

}  // namespace sources
