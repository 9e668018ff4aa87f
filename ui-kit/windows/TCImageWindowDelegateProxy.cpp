#include "ui-kit/windows/TCImageWindowDelegateProxy.h"

#include "ui-kit/windows/TCImageWindow.h"

bool TCImageWindowDelegateProxy::windowShouldClose(QWidget* window) {
    return secondaryDelegate_ ? secondaryDelegate_->windowShouldClose(window) : true;
}

void TCImageWindowDelegateProxy::windowWillClose(QWidget* window) {
    if (secondaryDelegate_) {
        secondaryDelegate_->windowWillClose(window);
    }
}

QRectF TCImageWindowDelegateProxy::willPositionSheet(QWidget* /*window*/, const QRectF& rect) {
    return sheetRect(rect, window_->height(), window_->titleBarHeight());
}

QRectF TCImageWindowDelegateProxy::sheetRect(const QRectF& rect, double frameHeight, double titleBarHeight) {
    QRectF sheet = rect;
    sheet.moveTop(frameHeight - titleBarHeight);  // Cocoa y
    return sheet;
}
