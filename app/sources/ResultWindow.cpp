#include "app/sources/ResultWindow.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/DialogKeys.h"
#include "ui-kit/controls/KVHandButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QLabel>

namespace sources {

namespace {

constexpr qreal kReasonHeight = 16;
constexpr qsizetype kShortestColouredText = 11;

}  // namespace

ResultWindow::ResultWindow(Texts texts, Layout layout) : texts_(std::move(texts)), layout_(layout) {}

ResultWindow::~ResultWindow() = default;

TCImageWindow* ResultWindow::window() {
    if (!window_) {
        loadWindow();
        windowDidLoad();
        addViews();
    }
    return window_.get();
}

QWidget* ResultWindow::addView(const QString& title) {
    auto* view = new QWidget(window_->contentView());
    kit::setCocoaFrame(view, QRectF(QPointF(0, 0), layout_.contentSize));
    kit::addLabel(view, layout_.titleFrame, dialogText(16, true), title);
    return view;
}

void ResultWindow::loadWindow() {
    window_ = makeDialogWindow(layout_.contentSize, layout_.titleBar);
    sucView_ = addView(texts_.successTitle);
    openLabel_ = kit::addLabel(sucView_, layout_.messageFrame, dialogText(13), texts_.successText);
    if (texts_.openLink) {
        // The whole text is the link: a flat button over it that shows the pointing hand.
        openButton_ = new KVHandButton(sucView_);
        openButton_->setFlat(true);
        openButton_->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
        kit::setCocoaFrame(openButton_, layout_.messageFrame);
        connect(openButton_, &QAbstractButton::clicked, this, &ResultWindow::openPathButtonAction);
    }
    failView_ = addView(texts_.failureTitle);
    errorLabel_ = kit::addLabel(failView_, layout_.messageFrame, dialogText(13));
    const QRectF& message = layout_.messageFrame;
    const qreal reasonHeight = kReasonHeight * layout_.reasonLines;
    reasonLabel_ =
        kit::addLabel(failView_, {message.x(), message.y() - reasonHeight, message.width(), reasonHeight},
                      {.pixelSize = 12, .color = kit::darkText(0.6f), .alignment = Qt::AlignCenter});
    reasonLabel_->hide();
}

void ResultWindow::windowDidLoad() {
    succCancelButton_ =
        kit::addImageButton(sucView_, layout_.doneFrame, QStringLiteral("btn_sec"), QStringLiteral("Done"));
    connect(succCancelButton_, &QAbstractButton::clicked, this, &ResultWindow::succCancelButtonAction);
    failCancelButton_ = kit::addImageButton(failView_, layout_.failCancelFrame, QStringLiteral("btn_sec"),
                                            QStringLiteral("Cancel"));
    connect(failCancelButton_, &QAbstractButton::clicked, this, &ResultWindow::failCancelButtonAction);
    onCloseButton(window_.get(), [this] { closeWindow(); });
    failView_->hide();
    sucView_->hide();
    kit::DialogKeys::install(window_.get(), {succCancelButton_, failCancelButton_},
                             {succCancelButton_, failCancelButton_});
}

void ResultWindow::showFaile(bool failed) {
    window();
    failView_->setVisible(failed);
    sucView_->setVisible(!failed);
    if (openLabel_->text().size() >= kShortestColouredText) {
        setOpenLabel();
    }
}

void ResultWindow::showFailure(const QString& message, const QString& reason) {
    window();
    errorLabel_->setText(message);
    QStringList lines = reason.split(QLatin1Char('\n')).mid(0, layout_.reasonLines);
    for (QString& line : lines) {
        line = elidedName(line, reasonLabel_->font(), reasonLabel_->width());
    }
    reasonLabel_->setText(lines.join(QLatin1Char('\n')));
    reasonLabel_->setToolTip(reason.isEmpty() ? QString() : Qt::convertFromPlainText(reason));
    reasonLabel_->setVisible(!reason.isEmpty());
    showFaile(true);
}

void ResultWindow::setOpenLabel() {
    const QString text = openLabel_->text();
    const qsizetype at = text.indexOf(kLinkPhrase);
    if (openLabel_->textFormat() == Qt::RichText || at < 0) {
        return;  // drawn so already, or nothing to draw so
    }
    openLabel_->setTextFormat(Qt::RichText);
    openLabel_->setText(text.left(at).toHtmlEscaped() +
                        QStringLiteral("<span style=\"color:%1\">").arg(kit::blue().name()) +
                        kLinkPhrase.toHtmlEscaped() + QStringLiteral("</span>") +
                        text.mid(at + kLinkPhrase.size()).toHtmlEscaped());
}

void ResultWindow::openPathButtonAction() {
    if (!texts_.openLink(openUrl_)) {
        // A link that does nothing would leave the user without the result: say where it is.
        openLabel_->setTextFormat(Qt::PlainText);
        openLabel_->setText(texts_.linkFailedText.arg(openUrl_));
    }
}

void ResultWindow::closeWindow() {
    closeModalWindow(window_.get());
}

void ResultWindow::failCancelButtonAction() {
    closeWindow();
}

void ResultWindow::succCancelButtonAction() {
    closeWindow();
}

}  // namespace sources
