#include "app/copy/CopySorFWindowController.h"

#include "platform/FileBrowser.h"
#include "platform/LogCategories.h"
#include "platform/TestSettings.h"

#include <QLabel>

#include <utility>

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
          // Room below the message for the items that failed and "and N more".
          {.contentSize = {420, 236},
           .titleFrame = {30, 182, 360, 26},
           .messageFrame = {30, 124, 360, 52},
           .reasonLines = kNamedFailures + 1}) {}

void CopySorFWindowController::showOnDesktop() {
    window();
    openLabel()->setText(
        QStringLiteral("The destination drive could not take the copy. Your files are in a new "
                       "dated folder on your Desktop: click here to open it."));
}

QString CopySorFWindowController::failureList(const QStringList& paths, int count) {
    QStringList lines = paths.mid(0, kNamedFailures);
    if (count > lines.size()) {
        lines << QStringLiteral("and %1 more").arg(count - lines.size());
    }
    return lines.join(QLatin1Char('\n'));
}

void CopySorFWindowController::setOpenFolderForTesting(std::function<bool(const QString& folder)> open) {
    platform::restoreAfterTest([old = std::exchange(openFolder(), std::move(open))] { openFolder() = old; });
}
