#include "app/shell/TCPreferenceWindowController.h"

#include "platform/Workspace.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/AboutVersionBgView.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/backgrounds/PopWTopBgView.h"
#include "ui-kit/controls/ButtonLabel.h"
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

QLabel* addLabel(QWidget* parent, const QString& text, const QRectF& frame, const QFont& font,
                 const QColor& color) {
    auto* label = new QLabel(text, parent);  // owned by the parent
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    kit::setCocoaFrame(label, frame);
    return label;
}

void addLine(QWidget* parent, const QRectF& frame) {
    auto* line = new QWidget(parent);  // owned by the parent
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
    kit::setCocoaFrame(new PopWBgView(content), QRectF(QPointF(0, 0), kContentSize));  // owned by the view

    const QColor ink = getColor(79, 79, 98, 1);
    name_ = addLabel(content, QStringLiteral("Tavrun"), kNameFrame, kit::systemFont(28, true), ink);
    kit::setCocoaFrame(new AboutVersionBgView(content), kVersionFrame);
    verson_ = addLabel(content, QStringLiteral("Version 1.0.0"), kVersionFrame, kit::systemFont(12),
                       getColor(65, 98, 255, 1));
    Introduction_ = addLabel(content,
                             QStringLiteral("Tavrun copies disks and chosen files, clones the running system "
                                            "onto an external drive, makes disk images and ZIP archives, and "
                                            "mounts, formats, checks and repairs volumes."),
                             kIntroductionFrame, kit::systemFont(13), ink);
    addLine(content, kEmailLineFrame);
    linkButton_ = new KVHandButton(content);  // owned by the content view
    linkButton_->setText(QStringLiteral("www.tavrun.example"));
    linkButton_->setFlat(true);
    kit::setCocoaFrame(linkButton_, kLinkFrame);
    addLine(content, kWebLineFrame);
    copyright_ = addLabel(content, QStringLiteral("Copyright © Belmora. All rights reserved."),
                          kCopyrightFrame, kit::systemFont(11), getColor(148, 148, 160, 1));
}

void TCPreferenceWindowController::windowDidLoad() {
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(aWindow->standardWindowButton(0))) {
        close->setAction([this] { closeWindow(); });
    }
    titleBarView = aWindow->titleBarView();
    aWindow->setTitleBarHeight(kTitleBarHeight);
    aWindow->setTrafficLightButtonsLeftMargin(15);
    aWindow->setTopButtonMoveUp(-5);
    // A hidden window's title bar view takes its height only when the window shows; views are placed in it
    // by that height, so it takes it now.
    titleBarView->resize(titleBarView->parentWidget()->size());
    kit::setCocoaFrame(new PopWTopBgView(titleBarView), QRectF(0, -10, kContentSize.width(), 40));
    titleLabel_ = new QLabel(aWindow->windowTitle(), titleBarView);  // owned by the title bar view
    titleLabel_->setFont(kit::systemFont(12));
    titleLabel_->setAlignment(Qt::AlignCenter);
    titleLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);  // the title bar moves the window
    titleLabel_->setGeometry(titleBarView->rect());
    setAboutLink();
    connect(linkButton_, &QAbstractButton::clicked, this, &TCPreferenceWindowController::linkButtonAction);
}

void TCPreferenceWindowController::setAboutLink() {
    QFont font(QStringLiteral("Helvetica Light"));
    font.setPixelSize(14);
    font.setUnderline(true);
    linkButton_->setFont(font);
    QPalette palette = linkButton_->palette();
    palette.setColor(QPalette::ButtonText, getColor(65, 98, 255, 1));
    linkButton_->setPalette(palette);
}

void TCPreferenceWindowController::linkButtonAction() {
    platform::Workspace::openURL(kProductURL);
}

void TCPreferenceWindowController::closeWindow() {
    aWindow->close();
    kit::ModalRun::stopModal(aWindow.get());
}
