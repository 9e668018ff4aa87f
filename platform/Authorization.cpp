#include "platform/Authorization.h"

#include "platform/LogCategories.h"
#include "platform/MacPath.h"
#include "platform/ToolProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <mutex>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kUserCanceledErrorNumber = -128;

std::mutex promptMutex;
Authorization::Prompt& promptSlot() {
    static auto* prompt = new Authorization::Prompt;  // never destroyed
    return *prompt;
}

AuthorizationDecision simulatedDecision(bool mayPrompt) {
    const QString given = qEnvironmentVariable("TAVRUN_SIM_AUTH").trimmed().toLower();
    if (given == u"allow") {
        return AuthorizationDecision::Allow;
    }
    if (given == u"deny") {
        return AuthorizationDecision::Deny;
    }
    if (given == u"cancel") {
        return AuthorizationDecision::Cancel;
    }
    if (!given.isEmpty()) {
        qCWarning(lcPlatform) << "TAVRUN_SIM_AUTH" << given << "is not allow, deny or cancel; denying";
        return AuthorizationDecision::Deny;
    }
    if (!mayPrompt) {
        return AuthorizationDecision::Deny;
    }
    Authorization::Prompt prompt;
    {
        std::lock_guard guard(promptMutex);
        prompt = promptSlot();
    }
    return prompt ? prompt() : AuthorizationDecision::Allow;
}

OSStatus statusOf(AuthorizationDecision decision) {
    switch (decision) {
        case AuthorizationDecision::Allow:
            return errAuthorizationSuccess;
        case AuthorizationDecision::Cancel:
            return errAuthorizationCanceled;
        case AuthorizationDecision::Deny:
            break;
    }
    return errAuthorizationDenied;
}

bool isRoot() {
    return ::geteuid() == 0;
}

bool componentIsSafe(const QString& path, QString* reason) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        *reason = path + QStringLiteral(" does not exist");
        return false;
    }
    if (st.st_uid != 0 && st.st_uid != ::geteuid()) {
        *reason = path + QStringLiteral(" belongs to another user");
        return false;
    }
    // A sticky folder (like /tmp) lets others add entries but not replace ours.
    const bool sticky = S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0;
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && !sticky) {
        *reason = path + QStringLiteral(" is writable by other users");
        return false;
    }
    return true;
}

}  // namespace

void Authorization::setPrompt(Prompt prompt) {
    std::lock_guard guard(promptMutex);
    promptSlot() = std::move(prompt);
}

OSStatus Authorization::copyRights(const QString& right, unsigned flags) {
    OSStatus status = errAuthorizationSuccess;
    if (hasSimRoot()) {
        status = statusOf(simulatedDecision((flags & kAuthorizationFlagInteractionAllowed) != 0));
    } else if (!isRoot() && QStandardPaths::findExecutable(QStringLiteral("pkexec")).isEmpty()) {
        status = errAuthorizationDenied;
    }
    qCInfo(lcPlatform) << "right" << right << "status" << status;
    granted_ = status == errAuthorizationSuccess;
    return status;
}

OSStatus Authorization::executeWithPrivileges(const QString& path, const QStringList& arguments) {
    if (!granted_) {
        return errAuthorizationDenied;
    }
    bool started = false;
    if (hasSimRoot()) {
        started = QProcess::startDetached(path, arguments);
    } else {
        QString reason;
        if (!isSafeToRunPrivileged(path, &reason)) {
            qCWarning(lcPlatform) << "refusing to start" << path << "with privileges:" << reason;
            return errAuthorizationToolExecuteFailure;
        }
        if (isRoot()) {
            started = QProcess::startDetached(path, arguments);
        } else if (const auto command = pkexecArguments(path, arguments)) {
            started = QProcess::startDetached(QStringLiteral("pkexec"), *command);
        } else {
            qCWarning(lcPlatform) << "refusing to start" << path << "through pkexec: its path holds \"=\"";
            return errAuthorizationToolExecuteFailure;
        }
    }
    if (!started) {
        qCWarning(lcPlatform) << "could not start" << path;
        return errAuthorizationToolExecuteFailure;
    }
    return errAuthorizationSuccess;
}

std::optional<QStringList> Authorization::pkexecArguments(const QString& path, const QStringList& arguments) {
    if (path.contains(u'=')) {
        return std::nullopt;
    }
    QStringList command{QStringLiteral("env")};
    for (const char* name : {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
        if (qEnvironmentVariableIsSet(name)) {
            command.append(QString::fromLatin1(name) + u'=' + qEnvironmentVariable(name));
        }
    }
    return command + QStringList{path} + arguments;
}

bool Authorization::isSafeToRunPrivileged(const QString& path, QString* reason) {
    QString ignored;
    QString& why = reason ? *reason : ignored;
    const QFileInfo info(path);
    if (!info.isAbsolute() || !info.isFile() || !info.isExecutable()) {
        why = path + QStringLiteral(" is not an executable file");
        return false;
    }
    const QString real = info.canonicalFilePath();
    QString prefix;
    for (const QString& part : real.split(u'/', Qt::SkipEmptyParts)) {
        if (!componentIsSafe(prefix.isEmpty() ? QStringLiteral("/") : prefix, &why)) {
            return false;
        }
        prefix += u'/' + part;
    }
    return componentIsSafe(real, &why);
}

AppleScript::Result AppleScript::doShellScript(const QString& commandLine, bool withAdministratorPrivileges) {
    Result result;
    QStringList command{QStringLiteral("/bin/sh"), QStringLiteral("-c"), commandLine};
    if (withAdministratorPrivileges) {
        Authorization authorization;
        const OSStatus status =
            authorization.copyRights(QStringLiteral("system.privilege.admin"),
                                     kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights |
                                         kAuthorizationFlagPreAuthorize);
        if (status != errAuthorizationSuccess) {
            result.errorNumber = status == errAuthorizationCanceled ? kUserCanceledErrorNumber : status;
            result.errorMessage = QStringLiteral("The administrator user name or password was incorrect.");
            return result;
        }
        if (!hasSimRoot() && !isRoot()) {
            command.prepend(QStringLiteral("pkexec"));
        }
    }
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    const QString program = command.takeFirst();
    process.start(program, command);
    if (!process.waitForStarted(-1) || !process.waitForFinished(-1)) {
        qCWarning(lcPlatform).noquote()
            << program << outcomeName(ToolOutcome::FailedToStart) << process.errorString();
        result.errorNumber = -1;
        result.errorMessage = process.errorString();
        return result;
    }
    QString output = QString::fromUtf8(process.readAllStandardOutput());
    if (output.endsWith(u'\n')) {
        output.chop(1);
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        qCWarning(lcPlatform).noquote() << program << outcomeName(ToolOutcome::Crashed);
        result.errorNumber = -1;
        result.errorMessage = QString::fromUtf8(process.readAllStandardError()).trimmed();
        return result;
    }
    if (process.exitCode() != 0) {
        qCInfo(lcPlatform).noquote() << program << outcomeName(ToolOutcome::Exited) << "with status"
                                     << process.exitCode();
        // pkexec exits 126 when the user dismisses its password dialog.
        const bool dismissed = program == u"pkexec" && process.exitCode() == 126;
        result.errorNumber = dismissed ? kUserCanceledErrorNumber : process.exitCode();
        result.errorMessage = QString::fromUtf8(process.readAllStandardError()).trimmed();
        return result;
    }
    result.ok = true;
    result.output = output;
    return result;
}

QString AppleScript::quotedForm(const QString& text) {
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

}  // namespace platform
