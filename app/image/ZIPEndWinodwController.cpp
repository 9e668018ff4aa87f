#include "app/image/ZIPEndWinodwController.h"

#include "platform/FileBrowser.h"
#include "platform/LogCategories.h"
#include "platform/TestSettings.h"

#include <utility>

namespace {

std::function<bool(const QString&)>& revealHook() {
    static auto* reveal = new std::function<bool(const QString&)>;
    return *reveal;
}

}  // namespace

// A stop by the user ends in the failure view as well as a failure: its heading blames neither.
ZIPEndWinodwController::ZIPEndWinodwController()
    : ResultWindow(
          {.successTitle = QStringLiteral("Creation completed"),
           .successText =
               QStringLiteral("Your disk image or archive is ready. Click here to show ") + kLinkPhrase,
           .failureTitle = QStringLiteral("Creation not completed"),
           .openLink =
               [](const QString& path) {
                   qCInfo(lcApp, "---%s", qUtf8Printable(path));
                   return revealHook() ? revealHook()(path) : platform::revealInFileBrowser(path);
               },
           .linkFailedText = QStringLiteral("The file could not be shown. It is at\n%1")},
          {.titleBar = sources::TitleBar::Slim}) {}

void ZIPEndWinodwController::setRevealForTesting(std::function<bool(const QString& path)> reveal) {
    platform::restoreAfterTest(
        [old = std::exchange(revealHook(), std::move(reveal))] { revealHook() = old; });
}
