#include "app/shell/TCPreferenceWindowController.h"

#include "app/shell/PopupTitleBar.h"
#include "platform/Workspace.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/backgrounds/AboutVersionBgView.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/controls/KVHandButton.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

namespace {

// The layout, in the content view's Cocoa coordinates.
constexpr QRectF kNameFrame{0, 222, 650, 40};
constexpr QRectF kVersionFrame{255, 188, 140, 24};
constexpr QRectF kIntroductionFrame{70, 104, 510, 66};
constexpr QRectF kEmailLineFrame{70, 92, 510, 1};
constexpr QRectF kLinkFrame{215, 56, 220, 26};
constexpr QRectF kWebLineFrame{70, 44, 510, 1};
constexpr QRectF kCopyrightFrame{0, 14, 650, 20};

void addLine(QWidget* parent, const QRectF& frame) {
    auto* line = new QWidget(parent);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, getColor(226, 232, 245, 1));
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    kit::setCocoaFrame(line, frame);
}

}  // namespace

TCPreferenceWindowController::TCPreferenceWindowController() = default;

TCPreferenceWindowController::~TCPreferenceWindowController() = default;

TCImageWindow* TCPreferenceWindowController::window() {
    if (!aWindow) {
        loadWindow();
        windowDidLoad();
    }
    return aWindow.get();
}

void TCPreferenceWindowController::loadWindow() {
    aWindow = std::make_unique<TCImageWindow>(  // clear, and movable by its background
        QSizeF(kContentSize.width(),
               kContentSize.height() + kTitleBarHeight - TCImageWindow::_minimumTitlebarHeight()));
    aWindow->setTitle(QStringLiteral("About Tavrun"));
    aWindow->setTitleBarHeight(kTitleBarHeight);
    QWidget* content = aWindow->contentView();
    kit::setCocoaFrame(new PopWBgView(content), QRectF(QPointF(0, 0), kContentSize));

    name_ = kit::addLabel(content, kNameFrame,
                          {.pixelSize = 28, .bold = true, .alignment = Qt::AlignCenter, .wordWrap = true},
                          QStringLiteral("Tavrun"));
    kit::setCocoaFrame(new AboutVersionBgView(content), kVersionFrame);
    verson_ =
        kit::addLabel(content, kVersionFrame,
                      {.pixelSize = 12, .color = kit::blue(), .alignment = Qt::AlignCenter, .wordWrap = true},
                      QStringLiteral("Version 1.0.0"));
    Introduction_ = kit::addLabel(
        content, kIntroductionFrame, {.pixelSize = 13, .alignment = Qt::AlignCenter, .wordWrap = true},
        QStringLiteral("Tavrun copies disks and chosen files, clones the running system "
                       "onto an external drive, makes disk images and ZIP archives, and "
                       "mounts, formats, checks and repairs volumes."));
    addLine(content, kEmailLineFrame);
    linkButton_ = new KVHandButton(content);
    linkButton_->setText(QStringLiteral("www.tavrun.example"));
    linkButton_->setFlat(true);
    kit::setCocoaFrame(linkButton_, kLinkFrame);
    addLine(content, kWebLineFrame);
    copyright_ = kit::addLabel(
        content, kCopyrightFrame,
        {.pixelSize = 11, .color = kit::greyText(), .alignment = Qt::AlignCenter, .wordWrap = true},
        QStringLiteral("Copyright © Belmora. All rights reserved."));
}

void TCPreferenceWindowController::windowDidLoad() {
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(aWindow->standardWindowButton(0))) {
        close->setAction([this] { closeWindow(); });
    }
    titleBarView = aWindow->titleBarView();
    titleLabel_ = shell::dressPopupTitleBar(aWindow.get(), kTitleBarHeight, kContentSize.width());
    setAboutLink();
    connect(linkButton_, &QAbstractButton::clicked, this, &TCPreferenceWindowController::linkButtonAction);
}

void TCPreferenceWindowController::setAboutLink() {
    QFont font(QStringLiteral("Helvetica Light"));
    font.setPixelSize(14);
    font.setUnderline(true);
    linkButton_->setFont(font);
    QPalette palette = linkButton_->palette();
    palette.setColor(QPalette::ButtonText, kit::blue());
    linkButton_->setPalette(palette);
}

void TCPreferenceWindowController::linkButtonAction() {
    platform::Workspace::openURL(kProductURL);
}

void TCPreferenceWindowController::closeWindow() {
    aWindow->close();
    kit::ModalRun::stopModal(aWindow.get());
}
