#include "app/sources/CopyTypeChooser.h"

#include "app/sources/LComboBox.h"
#include "app/sources/SelectAllFilePopVC.h"
#include "platform/Dispatch.h"
#include "platform/TestSettings.h"
#include "ui-kit/windows/ChildWindows.h"
#include "ui-kit/windows/RPAAttachedWindow.h"

#include <atomic>

namespace sources {
namespace {

std::atomic<std::chrono::milliseconds::rep> closeDelayMs{0};

std::chrono::milliseconds closeDelay() {
    const auto testing = closeDelayMs.load();
    return testing > 0 ? std::chrono::milliseconds(testing) : CopyTypeChooser::kCloseDelay;
}

}  // namespace

CopyTypeChooser::CopyTypeChooser(LComboBox* combo, QObject* parent) : QObject(parent), combo_(combo) {}

CopyTypeChooser::~CopyTypeChooser() {
    releaseChooser();
}

void CopyTypeChooser::setCloseDelayForTesting(std::chrono::milliseconds delay) {
    platform::restoreAfterTest([old = closeDelayMs.exchange(delay.count())] { closeDelayMs.store(old); });
}

void CopyTypeChooser::showSelectAllVC(QWidget* mainWindow) {
    if (isPopSortWin_) {
        return;
    }
    isPopSortWin_ = true;
    releaseChooser();
    mainWindow_ = mainWindow;
    selectAllFileVC_ = std::make_unique<SelectAllFilePopVC>();
    selectAllFileVC_->setDelegate(this);
    sortAttachedWindow_ = RPAAttachedWindow::initWithView(selectAllFileVC_.get(), kAttachPoint, mainWindow,
                                                          AttachedWindowSideAbove, 0, 0.8f);
    if (mainWindow) {
        kit::ChildWindows::addChildWindow(mainWindow, sortAttachedWindow_.get());
    }
    sortAttachedWindow_->show();
    const quint64 opening = ++opening_;
    platform::mainAfter(closeDelay(), [self = QPointer<CopyTypeChooser>(this), opening] {
        if (self && self->opening_ == opening) {
            self->closeMattachedWindow();
        }
    });
}

void CopyTypeChooser::closeMattachedWindow() {
    platform::mainAsync([self = QPointer<CopyTypeChooser>(this), opening = opening_] {
        if (!self || self->opening_ != opening || !self->isPopSortWin_) {
            return;
        }
        self->isPopSortWin_ = false;
        self->releaseChooser();
    });
}

void CopyTypeChooser::releaseChooser() {
    if (sortAttachedWindow_) {
        if (mainWindow_) {
            kit::ChildWindows::removeChildWindow(mainWindow_, sortAttachedWindow_.get());
        }
        sortAttachedWindow_->hide();
    }
    if (selectAllFileVC_) {
        selectAllFileVC_->setDelegate(nullptr);
    }
    sortAttachedWindow_.reset();
    selectAllFileVC_.reset();
}

void CopyTypeChooser::mouseEixtView(bool exited) {
    isPopSortWin_ = exited;
    if (exited) {
        closeMattachedWindow();
    }
}

void CopyTypeChooser::selectFormatbyType(quint64 choice) {
    if (combo_) {
        combo_->changeSelectType(choice);
    }
    mouseEixtView(true);
}

}  // namespace sources
