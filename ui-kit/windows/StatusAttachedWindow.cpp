#include "ui-kit/windows/StatusAttachedWindow.h"

#include "platform/LogCategories.h"
#include "ui-kit/HoverArea.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/ModalRun.h"

namespace {

StatusAttachedWindow::SystemVersionFunction versionFunction = nullptr;

constexpr int kUnknownSystemVersion = 1000;

}  // namespace

std::unique_ptr<StatusAttachedWindow> StatusAttachedWindow::initWithView(QWidget* view, const QPointF& point,
                                                                         QWidget* window,
                                                                         AttachedWindowSide side,
                                                                         float distance) {
    if (!view) {
        return nullptr;
    }
    return std::unique_ptr<StatusAttachedWindow>(
        new StatusAttachedWindow(view, point, window, side, distance));
}

StatusAttachedWindow::StatusAttachedWindow(QWidget* view, const QPointF& point, QWidget* window,
                                           AttachedWindowSide side, float distance) {
    const int version = systemVersion();
    const bool blurred = version >= 1010 && canBlurBackground();
    if (version >= 1010) {
        setWindowBackgroundBlurRadius(400);
    }
    // The translucent fill reads well only over a blur: without one, what lies below would show through, so
    // the body is opaque and a grey edge sets it off from a white window behind it.
    setWindowOpacity(blurred ? 0.99 : 1.0);
    Defaults defaults;
    defaults.windowBackground = QColor::fromRgbF(1, 1, 1, 1);
    defaults.fillColor = QColor::fromRgbF(1, 1, 1, !blurred ? 1.0f : version >= 1009 ? 0.95f : 0.98f);
    defaults.borderColor = blurred ? getColor(255, 255, 255, 1.0f) : getColor(196, 202, 216, 1.0f);
    defaults.borderWidth = 1;
    defaults.style = {.viewMargin = 2,
                      .arrowBaseWidth = 15,
                      .arrowHeight = 10,
                      .cornerRadius = 16,
                      .hasArrow = false,
                      .drawsRoundCornerBesideArrow = true};
    attachView(view, point, window, side, distance, defaults);
    updateTrackingAreas();
}

StatusAttachedWindow::~StatusAttachedWindow() {
    mattachedWDelegate_ = nullptr;
    trackingArea_.reset();  // no pointer notices while the window goes
}

void StatusAttachedWindow::setSystemVersionFunction(SystemVersionFunction function) {
    versionFunction = function;
}

int StatusAttachedWindow::systemVersion() {
    return versionFunction ? versionFunction() : kUnknownSystemVersion;
}

bool StatusAttachedWindow::canBlurBackground() {
    return false;
}

void StatusAttachedWindow::setWindowBackgroundBlurRadius(int radius) {
    qCInfo(lcUiKit) << "window background blur" << radius << "requested; not available on this platform";
}

void StatusAttachedWindow::updateTrackingAreas() {
    trackingArea_.reset();
    trackingArea_ = std::make_unique<kit::HoverArea>(
        this, [this] { mouseEntered(); }, [this] { mouseExited(); });
}

void StatusAttachedWindow::mouseEntered() {
    if (mattachedWDelegate_) {
        mattachedWDelegate_->mouseInWindow(true);
    }
}

void StatusAttachedWindow::mouseExited() {
    if (mattachedWDelegate_) {
        mattachedWDelegate_->mouseInWindow(false);
    }
}

void StatusAttachedWindow::closeMattachedWindow() {
    if (mattachedWDelegate_) {
        mattachedWDelegate_->isHiddenWindow();
    }
}

void StatusAttachedWindow::windowWillClose() {
    // Only this window's own run: a run it was opened from goes on.
    kit::ModalRun::stopModal(this);
}
