#include "app/sources/SelectValueView.h"

#include "app/sources/SelectValueViewDelegate.h"
#include "platform/FileSystem.h"
#include "services/files/EumeRoot.h"
#include "services/files/NodeTreeOperator.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/SizeView.h"
#include "ui-kit/controls/TCImageButton.h"

#include <QLabel>

namespace {

// The panel's layout, in its Cocoa coordinates.
constexpr QRectF kIconFrame{136, 110, 48, 48};
constexpr QRectF kMarkerFrame{178, 112, 12, 12};
constexpr QRectF kNameFrame{20, 72, 280, 22};
constexpr QRectF kSizeFrame{20, 48, 280, 18};
constexpr QRectF kCloseFrame{292, 172, 16, 16};
constexpr QRectF kCapacityFrame{40, 24, 240, 10};

}  // namespace

SelectValueView::SelectValueView(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    view_ = new SelectBgView(this);
    view_->setGeometry(rect());
    bgImageView_ = new kit::ImageControl(view_, kit::ImageControl::Role::View);
    bgImageView_->setGeometry(rect());
    bgImageView_->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The drop area lies under the labels and the icon, which let the pointer through to it.
    dragVie_ = new DragView(view_);
    dragVie_->setGeometry(rect());
    proSizeView_ = new SizeView(view_);
    kit::setCocoaFrame(proSizeView_, kCapacityFrame);
    proSizeView_->hide();
    nameLabel_ = kit::addLabel(view_, kNameFrame,
                               {.pixelSize = 15, .alignment = Qt::AlignCenter, .clickThrough = true});
    sizeLabel_ = kit::addLabel(
        view_, kSizeFrame,
        {.pixelSize = 12, .color = kit::darkText(0.6f), .alignment = Qt::AlignCenter, .clickThrough = true});
    selectDiskBut_ = new kit::ImageControl(view_);
    selectDiskBut_->setAttribute(Qt::WA_TransparentForMouseEvents);  // a click on it is a click on the panel
    kit::setCocoaFrame(selectDiskBut_, kIconFrame);
    imageView_ = new kit::ImageControl(view_, kit::ImageControl::Role::View);
    imageView_->setAttribute(Qt::WA_TransparentForMouseEvents);
    imageView_->setImageName(QStringLiteral("ic_open"));
    kit::setCocoaFrame(imageView_, kMarkerFrame);
    closeDisk_ = new TCImageButton(view_);
    kit::setCocoaFrame(closeDisk_, kCloseFrame);
    awakeFromNib();
}

SelectValueView::~SelectValueView() {
    view_->setDelegate(nullptr);
    if (dragVie_) {
        dragVie_->setDelegate(nullptr);
    }
}

void SelectValueView::awakeFromNib() {
    isCanSelect_ = true;
    isHaveD_ = false;
    mouseInSelectBgView(false);
    view_->setDelegate(this);
    dragVie_->setDelegate(this);
    closeDisk_->setButtonEnabled(true);
    closeDisk_->setImageFromFileNormalName(QStringLiteral("ic_close"), QStringLiteral("ic_close_press"),
                                           QStringLiteral("ic_close_hover"), QStringLiteral("ic_close"));
    connect(closeDisk_, &QAbstractButton::clicked, this, [this] { closeDiskValue(closeDisk_); });
    connect(selectDiskBut_, &QAbstractButton::clicked, this, [this] { selectDiskButton(selectDiskBut_); });
}

void SelectValueView::selectDiskButton(QObject* sender) {
    if (isCanSelect_ && delegate_) {
        delegate_->selectDiskButton(diskFrom_, qobject_cast<QWidget*>(sender));
    }
}

void SelectValueView::openMenuButtonAction(QObject* sender) {
    selectDiskButton(sender);
}

void SelectValueView::mouseDownAction() {
    if (isCanSelect_ && delegate_) {
        delegate_->selectDiskButton(diskFrom_, selectDiskBut_);
    }
}

void SelectValueView::closeDiskValue(QObject* /*sender*/) {
    if (isCanSelect_ && delegate_) {
        delegate_->closeDiskValue(diskFrom_);
    }
}

void SelectValueView::viewDragAction(const QStringList& paths) {
    if (isCanSelect_ && delegate_) {
        delegate_->viewDragAction(std::make_shared<FileNodeList>(eumeArr(paths)));
    }
}

void SelectValueView::selectFileButtonAction(QObject* sender) {
    if (delegate_) {
        delegate_->selectFileButtonAction(sender);
    }
}

void SelectValueView::mouseInSelectBgView(bool inside) {
    if (isCanSelect_ && !isHaveD_) {
        bgImageView_->setImageName(inside ? QStringLiteral("source_hover") : QStringLiteral("source"));
    }
}

void SelectValueView::changeBgImageViewWithError(bool error) {
    if (!isCanSelect_) {
        return;
    }
    if (error) {
        bgImageView_->setImageName(QStringLiteral("source_sel_error"));
    } else {
        bgImageView_->setImageName(isHaveD_ ? QStringLiteral("source_sel") : QStringLiteral("source"));
    }
}

FileNodeList SelectValueView::eumeArr(const QStringList& paths) {
    FileNodeList roots;
    for (const QString& path : paths) {
        auto node = std::make_unique<FileNode>(path, QString(), false, nullptr);
        // The last path component, also for a path that ends in "/"; "/" itself is named "/".
        node->setName(node->displayName());
        if (EumeRoot::isSkipName(node->name())) {
            continue;
        }
        node->setIsDirectory(platform::FileSystem::isDirectory(path));
        node->setSize(node->isDirectory() ? 0 : getOneFileSizeWithPath(path));
        roots.push_back(std::move(node));
    }
    return roots;
}

quint64 SelectValueView::getOneFileSizeWithPath(const QString& path) {
    return NodeTreeOperator::getOneFileSizeWithPath(path);
}
