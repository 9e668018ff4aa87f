#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

using OSStatus = std::int32_t;

constexpr OSStatus errAuthorizationSuccess = 0;
constexpr OSStatus errAuthorizationDenied = -60005;
constexpr OSStatus errAuthorizationCanceled = -60006;
constexpr OSStatus errAuthorizationToolExecuteFailure = -60031;

constexpr unsigned kAuthorizationFlagInteractionAllowed = 1;
constexpr unsigned kAuthorizationFlagExtendRights = 2;
constexpr unsigned kAuthorizationFlagPreAuthorize = 16;

enum class AuthorizationDecision { Allow, Deny, Cancel };

// Stand-in for Authorization Services. With a simulated Mac the decision comes from TAVRUN_SIM_AUTH
// ("allow", "deny", "cancel"); unset, from the prompt when there is a display, else "allow"; and the tool is
// started unprivileged with the simulated Mac's environment. Without one, the right is granted when the
// process is already root, else it is left to pkexec, which asks the user itself.
class Authorization {
public:
    using Prompt = std::function<AuthorizationDecision()>;

    // The interactive question shown when the decision is not given; a program with a user interface
    // installs one. Without a prompt, an undecided request is allowed.
    static void setPrompt(Prompt prompt);

    OSStatus copyRights(const QString& right, unsigned flags);
    // Starts the tool and does not wait for it. A privileged start refuses an executable that other users
    // could have replaced (see isSafeToRunPrivileged).
    OSStatus executeWithPrivileges(const QString& path, const QStringList& arguments);

    // True when neither the executable nor any folder on its path (links resolved) is writable by group or
    // others, or owned by a user other than root or the caller; `reason` says what failed.
    static bool isSafeToRunPrivileged(const QString& path, QString* reason);

    // pkexec's arguments to start the tool with this session's display (pkexec clears the environment, so
    // `env` puts it back); nothing for a path holding "=", which `env` would take for a variable.
    static std::optional<QStringList> pkexecArguments(const QString& path, const QStringList& arguments);

private:
    bool granted_ = false;
};

// Stand-in for AppleScript's "do shell script": runs the command line with /bin/sh. Callers build the line
// from quotedForm() of every piece of data. With administrator privileges the decision is Authorization's;
// a cancelled request fails with error number -128.
class AppleScript {
public:
    struct Result {
        bool ok = false;
        QString output;
        int errorNumber = 0;
        QString errorMessage;
    };

    static Result doShellScript(const QString& commandLine, bool withAdministratorPrivileges);
    // The text as one shell word: 'a'\''b' for a'b ("quoted form of").
    static QString quotedForm(const QString& text);
};

}  // namespace platform
