#pragma once

#include "platform/Authorization.h"

#include <QString>
#include <QStringList>

// The launcher's work: obtain the administrator right and start the application with it.
class RunScript {
public:
    // Asks for "system.privilege.admin" and starts the executable with its one argument; does not wait.
    static platform::OSStatus RunTool(const QString& executablePath);
    static QString GetCurrentLanaguage();
    // Runs the tool through "do shell script", every piece quoted as one shell word.
    static bool runProcess(const QString& toolPath, const QStringList& arguments, QString* output,
                           QString* errorDescription, bool asAdministrator);

    // Checks of the privileged path that only log their outcome.
    static void Test();
    static void Test2();
    static void Test3();

    // "<bundle>/Contents/MacOS/Tavrun.app/Contents/MacOS/Tavrun" for the launcher's bundle.
    static QString applicationExecutable(const QString& launcherBundlePath);

private:
    static void logIdCheck(bool asAdministrator);
};
