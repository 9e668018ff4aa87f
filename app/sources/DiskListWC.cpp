#include "app/sources/DiskListWC.h"

#include "app/sources/DiskListWCDelegate.h"
#include "app/sources/ListFileViewController.h"
#include "platform/Dispatch.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/controls/TCImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowCentering.h"

DiskListWC::DiskListWC() = default;

DiskListWC::~DiskListWC() {
    if (listFileVC_) {
        listFileVC_->setDetagate(nullptr);
    }
}

TCImageWindow* DiskListWC::window() {
    if (!aWindow_) {
        aWindow_ = std::make_unique<TCImageWindow>(kContentSize);  // clear, and movable by its background
        awakeFromNib();
        windowDidLoad();
    }
    return aWindow_.get();
}

ListFileViewController* DiskListWC::listFileVC() {
    window();
    return listFileVC_;
}

void DiskListWC::awakeFromNib() {
    aWindow_->setTitleBarHeight(kTitleBarHeight);
    aWindow_->setTrafficLightButtonsLeftMargin(10);
    aWindow_->setTopButtonMoveUp(0);
    // The content keeps its size under the taller title bar.
    aWindow_->resize(QSizeF(kContentSize.width(), kContentSize.height() + kTitleBarHeight).toSize());
    kit::centerWindow(aWindow_.get());
    auto* cap = new PopWTopBgView(aWindow_->titleBarView());
    // Placed for the title bar's new height, which the title bar view takes only when the window lays out.
    cap->setGeometry(kit::cocoaRect(QRectF(0, -10, kContentSize.width(), 58), kTitleBarHeight).toRect());
    cap->lower();
}

void DiskListWC::windowDidLoad() {
    isGetSelectSize_ = false;
    QWidget* content = aWindow_->contentView();
    kit::setCocoaFrame(new PopWBgView(content), QRectF(QPointF(0, 0), kContentSize));
    listFileVC_ = new ListFileViewController(content);
    listFileVC_->setDetagate(this);
    kit::setCocoaFrame(listFileVC_, QRectF(QPointF(0, 0), kContentSize));
    connect(listFileVC_->cancelButton(), &QAbstractButton::clicked, this, &DiskListWC::closeWindow);
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(aWindow_->standardWindowButton(0))) {
        close->setAction([this] { closeWindow(); });
    }
}

void DiskListWC::showDetailWithPath(const QString& path) {
    listFileVC()->getRootNodeListWithPath(path);
}

void DiskListWC::getSelectFilesSize(bool busy) {
    isGetSelectSize_ = busy;
}

void DiskListWC::closeWindow() {
    if (isGetSelectSize_ || !aWindow_) {
        return;
    }
    aWindow_->close();
    kit::ModalRun::stopModal(aWindow_.get());
}

void DiskListWC::closeWindowWithSelect(const SharedFileNodeList& roots, qint64 total) {
    isGetSelectSize_ = false;
    platform::mainAsync([self = QPointer<DiskListWC>(this)] {
        if (self) {
            self->closeWindow();
        }
    });
    if (delegate_) {
        delegate_->closeWindowWithSelect(roots, total);
    }
}
