// The launcher: obtains the administrator right and starts the application that lies in its own bundle,
// then ends with status 0 whatever happened.
#include "launcher/AuthorizationPrompt.h"
#include "launcher/RunScript.h"

#include "platform/MacPath.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>

#include <memory>

int main(int argc, char** argv) {
    const bool prompts = platform::hasSimRoot() && qEnvironmentVariableIsEmpty("TAVRUN_SIM_AUTH") &&
                         AuthorizationPrompt::isAvailable();
    std::unique_ptr<QCoreApplication> app;
    if (prompts) {
        app = std::make_unique<QApplication>(argc, argv);
        platform::Authorization::setPrompt(&AuthorizationPrompt::ask);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // <bundle>/Contents/MacOS/<launcher>
    const QString bundle = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../.."));
    RunScript::RunTool(RunScript::applicationExecutable(bundle));
    return 0;
}
