#include "launcher/RunScript.h"

#include "platform/LogCategories.h"

using platform::AppleScript;
using platform::Authorization;
using platform::OSStatus;

namespace {

constexpr int kUserCanceledErrorNumber = -128;

QString commandLine(const QString& toolPath, const QStringList& arguments) {
    QStringList words{AppleScript::quotedForm(toolPath)};
    for (const QString& argument : arguments) {
        words.append(AppleScript::quotedForm(argument));
    }
    return words.join(u' ');
}

}  // namespace

void RunScript::logIdCheck(bool asAdministrator) {
    QString output;
    QString error;
    if (runProcess(QStringLiteral("/usr/bin/id"), {QStringLiteral("-un")}, &output, &error,
                   asAdministrator)) {
        qCInfo(lcLauncher).noquote() << QStringLiteral("success:%1!").arg(output);
    } else {
        qCInfo(lcLauncher).noquote() << QStringLiteral("failure:%1!").arg(error);
    }
}

QString RunScript::applicationExecutable(const QString& launcherBundlePath) {
    return launcherBundlePath + QStringLiteral("/Contents/MacOS/Tavrun.app/Contents/MacOS/Tavrun");
}

QString RunScript::GetCurrentLanaguage() {
    return QStringLiteral("en");
}

OSStatus RunScript::RunTool(const QString& executablePath) {
    Authorization authorization;
    const OSStatus rights = authorization.copyRights(QStringLiteral("system.privilege.admin"),
                                                     platform::kAuthorizationFlagInteractionAllowed |
                                                         platform::kAuthorizationFlagExtendRights |
                                                         platform::kAuthorizationFlagPreAuthorize);
    if (rights != platform::errAuthorizationSuccess) {
        qCInfo(lcLauncher) << "administrator right not granted:" << rights;
        return rights;
    }
    const QString argument = GetCurrentLanaguage() + QStringLiteral("*loaderflag*");
    const OSStatus status = authorization.executeWithPrivileges(executablePath, {argument});
    if (status != platform::errAuthorizationSuccess) {
        qCWarning(lcLauncher) << "could not start" << executablePath << "status" << status;
    }
    return status;
}

bool RunScript::runProcess(const QString& toolPath, const QStringList& arguments, QString* output,
                           QString* errorDescription, bool asAdministrator) {
    const AppleScript::Result result =
        AppleScript::doShellScript(commandLine(toolPath, arguments), asAdministrator);
    if (result.ok) {
        if (output) {
            *output = result.output;
        }
        return true;
    }
    if (errorDescription) {
        errorDescription->clear();
        if (result.errorNumber == kUserCanceledErrorNumber) {
            *errorDescription = QStringLiteral("The administrator password is required to do this.");
        } else if (!result.errorMessage.isEmpty()) {
            *errorDescription = result.errorMessage;
        }
    }
    return false;
}

void RunScript::Test() {
    const auto result = AppleScript::doShellScript(QStringLiteral("/usr/bin/id -un"), true);
    qCInfo(lcLauncher) << (result.ok ? "success!" : "failure!");
}

void RunScript::Test2() {
    logIdCheck(false);
}

void RunScript::Test3() {
    logIdCheck(true);
}
