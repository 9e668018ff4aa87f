#include "platform/ToolPath.h"

#include <QFileInfo>

#include <array>
#include <utility>

namespace platform {

QString macToolPath(const QString& tool) {
    if (tool.contains(u'/')) {
        return tool;
    }
    static constexpr std::array<std::pair<const char16_t*, const char16_t*>, 9> kKnown{{
        {u"diskutil", u"/usr/sbin/diskutil"},
        {u"hdiutil", u"/usr/bin/hdiutil"},
        {u"asr", u"/usr/sbin/asr"},
        {u"zip", u"/usr/bin/zip"},
        {u"cp", u"/bin/cp"},
        {u"chmod", u"/bin/chmod"},
        {u"killall", u"/usr/bin/killall"},
        {u"sh", u"/bin/sh"},
        {u"open", u"/usr/bin/open"},
    }};
    for (const auto& [name, path] : kKnown) {
        if (tool == QStringView(name)) {
            return QString::fromUtf16(path);
        }
    }
    return QStringLiteral("/usr/bin/") + tool;
}

QString toolPath(const QString& tool) {
    const QString path = macToolPath(tool);
    QString root = qEnvironmentVariable("TAVRUN_TOOL_ROOT");
    while (root.endsWith(u'/')) {
        root.chop(1);
    }
    if (!root.isEmpty() && !path.contains(QStringLiteral("/../")) && QFileInfo::exists(root + path)) {
        return root + path;
    }
    return path;
}

}  // namespace platform
