#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace platform {

// The running application's bundle. Resources sit in "<bundle>/Contents/Resources", found relative to the
// executable ("<bundle>/Contents/MacOS/<exe>"). These are host paths: the bundle is the program, not part
// of the (simulated) Mac it works on.
class Bundle {
public:
    // "<bundle>" for the running executable "<bundle>/Contents/MacOS/<exe>"; answers before the application
    // object exists.
    static QString mainBundlePath();
    // A bundle's "Contents/Info.plist" ("CFBundleIdentifier", "CFBundleExecutable", …); nothing without one.
    static std::optional<QVariantMap> infoDictionary(const QString& bundlePath);

    static QString resourcesFolder();
    // "<resources>/<name>.<type>" when that file exists, else empty.
    static QString pathForResource(const QString& name, const QString& type);
    // Tests run outside a bundle: they point this at a folder of their own. Empty restores the default.
    static void setResourcesFolderForTesting(const QString& hostPath);
};

}  // namespace platform
