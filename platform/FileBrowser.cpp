#include "platform/FileBrowser.h"

#include "platform/LogCategories.h"
#include "platform/MacPath.h"

#include <QProcess>

namespace platform {

bool revealInFileBrowser(const QString& macPath) {
    const auto path = cleanMacPath(macPath);
    if (!path) {
        return false;
    }
    const qsizetype slash = path->lastIndexOf(QLatin1Char('/'));
    return openInFileBrowser(slash <= 0 ? QStringLiteral("/") : path->left(slash));
}

bool openInFileBrowser(const QString& macPath) {
    const auto host = hostPath(macPath);
    // The freedesktop opener stands in for the workspace: it hands a folder to the desktop's file browser.
    if (!host || !QProcess::startDetached(QStringLiteral("xdg-open"), {*host})) {
        qCWarning(lcPlatform) << "could not open in the file browser:" << macPath;
        return false;
    }
    return true;
}

}  // namespace platform
