#include "app/shell/KVCheckUpdateWindowController.h"

#include "app/shell/PopupTitleBar.h"
#include "app/shell/UpdateCheck.h"
#include "platform/BundleResource.h"
#include "platform/Workspace.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/getColor.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowFade.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

// The layout, in the content view's Cocoa coordinates; each of the four views covers the content.
constexpr QRectF kViewFrame{0, 0, 542, 300};
constexpr QRectF kCheckingFrame{0, 166, 542, 26};
constexpr QRectF kProgressFrame{121, 132, 300, 12};
constexpr QRectF kHeadingFrame{0, 176, 542, 28};
constexpr QRectF kMessageFrame{60, 118, 422, 48};
constexpr QRectF kDoneFrame{211, 34, 120, 36};
constexpr QRectF kVersionLabelFrame{49, 252, 444, 24};
constexpr QRectF kScrollFrame{49, 84, 444, 160};
constexpr QRectF kInstallFrame{191, 24, 160, 40};

QLabel* addLabel(QWidget* parent, const QString& text, const QRectF& frame, const QFont& font,
                 Qt::Alignment alignment = Qt::AlignCenter) {
    QLabel* label = kit::addLabel(parent, frame, font, getColor(79, 79, 98, 1));
    label->setText(text);
    label->setAlignment(alignment);
    label->setWordWrap(true);
    return label;
}

QString featureText(const shell::FeatureLine& line) {
    return QString::number(line.number) + u':' + line.text;
}

}  // namespace

KVCheckUpdateWindowController::KVCheckUpdateWindowController() = default;

KVCheckUpdateWindowController::~KVCheckUpdateWindowController() {
    if (aWindow) {
        aWindow->setDelegate(nullptr);
    }
}

TCImageWindow* KVCheckUpdateWindowController::window() {
    if (!aWindow) {
        loadWindow();
        awakeFromNib();
        windowDidLoad();
    }
    return aWindow.get();
}

void KVCheckUpdateWindowController::loadWindow() {
    aWindow = std::make_unique<TCImageWindow>(  // clear, and movable by its background
        QSizeF(kContentSize.width(),
               kContentSize.height() + kTitleBarHeight - TCImageWindow::_minimumTitlebarHeight()));
    aWindow->setTitle(QStringLiteral("Check for Updates"));
    aWindow->setTitleBarHeight(kTitleBarHeight);
    aWindow->setDelegate(this);
    QWidget* content = aWindow->contentView();
    kit::setCocoaFrame(new PopWBgView(content), QRectF(QPointF(0, 0), kContentSize));  // owned by the view

    checkProgressView_ = addView();
    addLabel(checkProgressView_, QStringLiteral("Checking for updates…"), kCheckingFrame,
             kit::systemFont(15));
    progressBar_ = new QProgressBar(checkProgressView_);  // owned by the view
    progressBar_->setTextVisible(false);
    kit::setCocoaFrame(progressBar_, kProgressFrame);

    noNetworkView_ = addView();
    addLabel(noNetworkView_, QStringLiteral("No network connection"), kHeadingFrame,
             kit::systemFont(16, true));
    addLabel(noNetworkView_, QStringLiteral("Please check your network connection and try again."),
             kMessageFrame, kit::systemFont(13));
    noNetworkButton_ = addDoneButton(noNetworkView_);

    noUpdateView_ = addView();
    addLabel(noUpdateView_, QStringLiteral("Tavrun is up to date"), kHeadingFrame, kit::systemFont(16, true));
    addLabel(noUpdateView_, QStringLiteral("You are using the latest version."), kMessageFrame,
             kit::systemFont(13));
    noUpdateButton_ = addDoneButton(noUpdateView_);

    haveUpdateView_ = addView();
    versionLabel_ = addLabel(haveUpdateView_, QString(), kVersionLabelFrame, kit::systemFont(14, true),
                             Qt::AlignLeft | Qt::AlignVCenter);
    changeValueScrollView_ = new QScrollArea(haveUpdateView_);  // owned by the view
    changeValueScrollView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    kit::setCocoaFrame(changeValueScrollView_, kScrollFrame);
    showVersionScrollView_ = new QWidget;  // owned by the scroll view once set
    showVersionScrollView_->resize(static_cast<int>(kListWidth), static_cast<int>(kListMinimumHeight));
    changeValueScrollView_->setWidget(showVersionScrollView_);
    installButton_ = new TextImageButton(haveUpdateView_);  // owned by the view
    kit::setCocoaFrame(installButton_, kInstallFrame);
    connect(installButton_, &QAbstractButton::clicked, this,
            &KVCheckUpdateWindowController::updateClickHereAction);
    showOnly(checkProgressView_);
}

QWidget* KVCheckUpdateWindowController::addView() {
    auto* view = new QWidget(aWindow->contentView());  // owned by the content view
    kit::setCocoaFrame(view, kViewFrame);
    return view;
}

TextImageButton* KVCheckUpdateWindowController::addDoneButton(QWidget* view) {
    auto* button = new TextImageButton(view);  // owned by the view
    kit::setCocoaFrame(button, kDoneFrame);
    button->setButtonEnabled(true);
    button->setImageFromFileNormalName(QStringLiteral("btn_sec"), QStringLiteral("btn_sec_press"),
                                       QStringLiteral("btn_sec_hover"), QStringLiteral("btn_sec_disable"));
    button->setTextWithName(QStringLiteral("OK"));
    connect(button, &QAbstractButton::clicked, this, &KVCheckUpdateWindowController::closeWindowAction);
    return button;
}

void KVCheckUpdateWindowController::awakeFromNib() {
    shuttingDown_ = false;
    // Faded in from clear; the window shows when its modal run starts.
    aWindow->setWindowOpacity(0.0);
    kit::WindowFade::animateOpacity(aWindow.get(), 1.0,
                                    [this](bool finished) { animationDidStop(finished); });
}

void KVCheckUpdateWindowController::windowDidLoad() {
    titleBarView = aWindow->titleBarView();
    titleLabel_ = shell::dressPopupTitleBar(aWindow.get(), kTitleBarHeight, kContentSize.width());

    changeValueScrollView_->setStyleSheet(QStringLiteral("QScrollArea { border: 5px solid red; }"));
    installButton_->setButtonEnabled(true);
    installButton_->setImageFromFileNormalName(
        QStringLiteral("btn_l_pril"), QStringLiteral("btn_l_pril_press"), QStringLiteral("btn_l_pril_hover"),
        QStringLiteral("btn_l_pril_disable"));
    installButton_->setTextWithName(QStringLiteral("Install Now"));
    progressBar_->setRange(0, 0);  // busy: animates until the check ends
    if (auto* close = qobject_cast<kit::StandardWindowButton*>(aWindow->standardWindowButton(0))) {
        close->setAction([this] { closeWindow(); });
    }
    getVersionChange();
    changeValueScrollView_->verticalScrollBar()->setValue(0);
}

void KVCheckUpdateWindowController::getVersionChange() {
    check_ = std::make_unique<shell::UpdateCheck>();
    connect(check_.get(), &shell::UpdateCheck::noNetwork, this, [this] { showOnly(noNetworkView_); });
    connect(check_.get(), &shell::UpdateCheck::descriptionFetched, this,
            &KVCheckUpdateWindowController::whatIsNewVersionDiff);
    check_->start();
}

void KVCheckUpdateWindowController::whatIsNewVersionDiff(const QVariantMap& description) {
    const auto privateData = platform::BundleResource::dictionary(QStringLiteral("PrivateData"));
    const QVariant local = privateData ? privateData->value(QStringLiteral("VersionCheck")) : QVariant();
    const std::optional<shell::UpdateOffer> offer = shell::updateOffer(local, description);
    if (!offer) {
        showOnly(noUpdateView_);
        return;
    }
    showOnly(haveUpdateView_);
    versionLabel_->setText(QStringLiteral("New features of version %1:").arg(offer->version));
    showFeatures(offer->features);
}

void KVCheckUpdateWindowController::showOnly(QWidget* view) {
    for (QWidget* each : {checkProgressView_, noNetworkView_, noUpdateView_, haveUpdateView_}) {
        each->setVisible(each == view);
    }
}

void KVCheckUpdateWindowController::showFeatures(const QList<shell::FeatureLine>& features) {
    QStringList texts;
    for (const shell::FeatureLine& line : features) {
        texts.append(featureText(line));
    }
    const FeatureListLayout layout = featureListLayout(texts);
    showVersionScrollView_->resize(static_cast<int>(kListWidth), static_cast<int>(layout.height));
    const QColor background = showVersionScrollView_->palette().color(QPalette::Button);
    for (qsizetype row = 0; row < features.size(); ++row) {
        QLabel* label = addLabel(showVersionScrollView_, texts[row], layout.rows[row], kit::systemFont(12),
                                 Qt::AlignLeft | Qt::AlignTop);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, background);
        label->setPalette(palette);
        label->setAutoFillBackground(true);
        // A tool tip that looks like markup would be rendered: given as text, it is shown as it is.
        label->setToolTip(Qt::convertFromPlainText(features[row].text));
    }
}

double KVCheckUpdateWindowController::heightForStringDrawing(const QString& text, const QFont& font,
                                                             double width) {
    const QRectF area(0, 0, width, std::numeric_limits<float>::max());
    return QFontMetricsF(font).boundingRect(area, Qt::TextWordWrap, text).height();
}

KVCheckUpdateWindowController::FeatureListLayout KVCheckUpdateWindowController::featureListLayout(
    const QStringList& texts) {
    QList<double> heights;
    double measured = 0;
    for (const QString& text : texts) {
        measured += std::max(heightForStringDrawing(text, kit::systemFont(10), 200), 30.0);
        // Whole points: rows meet exactly once placed.
        heights.append(std::ceil(std::max(heightForStringDrawing(text, kit::systemFont(12), 400), 20.0)));
    }
    FeatureListLayout layout;
    // Never shorter than its rows: a row below the bottom would be cut off.
    layout.height = std::ceil(
        std::max({measured, kListMinimumHeight, std::accumulate(heights.cbegin(), heights.cend(), 0.0)}));
    double top = layout.height;
    for (const double height : heights) {
        top -= height;
        layout.rows.append(QRectF(0, top, kListWidth, height));
    }
    return layout;
}

void KVCheckUpdateWindowController::updateClickHereAction() {
    platform::Workspace::openURL(kDownloadURL);
}

void KVCheckUpdateWindowController::closeWindow() {
    kit::ModalRun::stopModal(aWindow.get());
    aWindow->close();
}

void KVCheckUpdateWindowController::closeWindowAction() {
    closeWindow();
}

bool KVCheckUpdateWindowController::windowShouldClose(QWidget* /*window*/) {
    fadeOut();
    return false;
}

MyNSApplication::TerminateReply KVCheckUpdateWindowController::applicationShouldTerminate() {
    if (shuttingDown_) {
        return MyNSApplication::NSTerminateNow;
    }
    fadeOut();
    shuttingDown_ = true;
    return MyNSApplication::NSTerminateCancel;
}

void KVCheckUpdateWindowController::fadeOut() {
    kit::WindowFade::fadeOut(aWindow.get(), [this](bool finished) { animationDidStop(finished); });
}

void KVCheckUpdateWindowController::animationDidStop(bool /*finished*/) {
    if (aWindow->windowOpacity() != 0.0) {
        return;
    }
    closeWindow();
    if (shuttingDown_ && terminateApplication_) {
        terminateApplication_();
    }
}

void KVCheckUpdateWindowController::windowWillClose(QWidget* /*window*/) {
    check_.reset();  // a closed window hears nothing more
}
