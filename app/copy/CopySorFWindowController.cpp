#include "app/copy/CopySorFWindowController.h"

#include "platform/FileBrowser.h"
#include "platform/LogCategories.h"

namespace {

std::function<bool(const QString&)>& openFolder() {
    static auto* open = new std::function<bool(const QString&)>;
    return *open;
}

}  // namespace

CopySorFWindowController::CopySorFWindowController()
    : ResultWindow(
          {.successTitle = QStringLiteral("Copy completed"),
           .successText =
               QStringLiteral("Your files are in a new dated folder. Click here to open ") + kLinkPhrase,
           .failureTitle = QStringLiteral("Copy failed"),
           .openLink =
               [](const QString& folder) {
                   qCInfo(lcApp, "2---%s", qUtf8Printable(folder));
                   return openFolder() ? openFolder()(folder) : platform::openInFileBrowser(folder);
               },
           .linkFailedText = QStringLiteral("The folder could not be opened. Your files are in\n%1")},
          {}) {}

void CopySorFWindowController::setOpenFolderForTesting(std::function<bool(const QString& folder)> open) {
    openFolder() = std::move(open);
}
