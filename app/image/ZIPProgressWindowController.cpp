#include "app/image/ZIPProgressWindowController.h"

#include "app/image/ZIPEndWinodwController.h"
#include "app/image/ZIPProgressWCDelegate.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QLabel>

ZIPProgressWindowController::ZIPProgressWindowController()
    : JobProgressWindow(QStringLiteral("Creating…"), kStoppedMessage) {}

ZIPProgressWindowController::~ZIPProgressWindowController() = default;

QString ZIPProgressWindowController::shownText(const QString& text) {
    const qsizetype lineFeed = text.indexOf(QLatin1Char('\n'));
    const bool isZipChunk =
        text.contains(QLatin1String("(stored")) || text.contains(QLatin1String("(deflated"));
    if (!isZipChunk || lineFeed < 0) {
        return text;
    }
    // A chunk of one line ends in its line feed: its line is what there is to show.
    const QString after = text.mid(lineFeed + 1).trimmed();
    return after.isEmpty() ? text.left(lineFeed).trimmed() : after;
}

void ZIPProgressWindowController::changePathValue(const QString& text, float percent) {
    if (end()) {
        return;
    }
    pathLabel()->setText(shownText(text));
    showPercent(percent);
}

void ZIPProgressWindowController::showErrorView(const QString& message, const QString& reason) {
    endInFailure(message, reason);
}

void ZIPProgressWindowController::cancelJob() {
    if (delegate_ != nullptr) {
        delegate_->cancelMakeZip();
    }
}

void ZIPProgressWindowController::showResult(bool failed, const QString& message, const QString& reason) {
    endWC_ = std::make_unique<ZIPEndWinodwController>();
    kit::centerWindow(endWC_->window());
    endWC_->setOpenUrl(openUrl());
    if (failed) {
        endWC_->showFailure(message, reason);
    } else {
        endWC_->showFaile(false);
    }
    kit::ModalRun::runModalForWindow(endWC_->window());
}
