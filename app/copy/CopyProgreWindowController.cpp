#include "app/copy/CopyProgreWindowController.h"

#include "app/copy/CopyProgreWCDelegate.h"
#include "app/copy/CopySorFWindowController.h"
#include "platform/LogCategories.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

#include <QLabel>

CopyProgreWindowController::CopyProgreWindowController()
    : JobProgressWindow(QStringLiteral("Copying files…"),
                        QStringLiteral("You have stopped the copying process.")) {}

CopyProgreWindowController::~CopyProgreWindowController() = default;

void CopyProgreWindowController::changePathValue(const QString& path) {
    if (!isFinished()) {
        pathLabel()->setText(path);
    }
}

void CopyProgreWindowController::changeProValue(float percent) {
    showPercent(percent);
}

void CopyProgreWindowController::showFailView(const QString& message, const QString& reason) {
    endInFailure(message, reason);
}

void CopyProgreWindowController::cancelJob() {
    if (delegate_ != nullptr) {
        delegate_->cancelCopy();
    }
}

void CopyProgreWindowController::showResult(bool failed, const QString& message, const QString& reason) {
    sorFWC_ = std::make_unique<CopySorFWindowController>();
    kit::centerWindow(sorFWC_->window());
    if (failed) {
        sorFWC_->showFailure(message, reason);
    } else {
        qCInfo(lcApp, "1---%s", qUtf8Printable(openUrl()));
        sorFWC_->setOpenUrl(openUrl());
        if (onDesktop_) {
            sorFWC_->showOnDesktop();
        }
        sorFWC_->showFaile(false);
    }
    kit::ModalRun::runModalForWindow(sorFWC_->window());
}
