#include "app/shell/KVCheckUpdateWindowController.h"

#include "app/shell/PopupTitleBar.h"
#include "app/shell/UpdateCheck.h"
#include "platform/BundleResource.h"
#include "platform/Workspace.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/backgrounds/PopWBgView.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/TextImageButton.h"
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
    kit::setCocoaFrame(new PopWBgView(content), QRectF(QPointF(0, 0), kContentSize));

    checkProgressView_ = addView();
    kit::addLabel(checkProgressView_, kCheckingFrame,
                  {.pixelSize = 15, .alignment = Qt::AlignCenter, .wordWrap = true},
                  QStringLiteral("Checking for updates…"));
    progressBar_ = new QProgressBar(checkProgressView_);
    progressBar_->setTextVisible(false);
    kit::setCocoaFrame(progressBar_, kProgressFrame);

    noNetworkView_ = addView();
    kit::addLabel(noNetworkView_, kHeadingFrame,
                  {.pixelSize = 16, .bold = true, .alignment = Qt::AlignCenter, .wordWrap = true},
                  QStringLiteral("No network connection"));
    kit::addLabel(noNetworkView_, kMessageFrame,
                  {.pixelSize = 13, .alignment = Qt::AlignCenter, .wordWrap = true},
                  QStringLiteral("Please check your network connection and try again."));
    noNetworkButton_ = addDoneButton(noNetworkView_);

    noUpdateView_ = addView();
    kit::addLabel(noUpdateView_, kHeadingFrame,
                  {.pixelSize = 16, .bold = true, .alignment = Qt::AlignCenter, .wordWrap = true},
                  QStringLiteral("Tavrun is up to date"));
    kit::addLabel(noUpdateView_, kMessageFrame,
                  {.pixelSize = 13, .alignment = Qt::AlignCenter, .wordWrap = true},
                  QStringLiteral("You are using the latest version."));
    noUpdateButton_ = addDoneButton(noUpdateView_);

    haveUpdateView_ = addView();
    versionLabel_ = kit::addLabel(
        haveUpdateView_, kVersionLabelFrame,
        {.pixelSize = 14, .bold = true, .alignment = Qt::AlignLeft | Qt::AlignVCenter, .wordWrap = true});
    changeValueScrollView_ = new QScrollArea(haveUpdateView_);
    changeValueScrollView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    kit::setCocoaFrame(changeValueScrollView_, kScrollFrame);
    showVersionScrollView_ = new QWidget;  // owned by the scroll view once set
    showVersionScrollView_->resize(static_cast<int>(kListWidth), static_cast<int>(kListMinimumHeight));
    changeValueScrollView_->setWidget(showVersionScrollView_);
    installButton_ = kit::addImageButton(haveUpdateView_, kInstallFrame, QStringLiteral("btn_l_pril"),
                                         QStringLiteral("Install Now"));
    connect(installButton_, &QAbstractButton::clicked, this,
            &KVCheckUpdateWindowController::updateClickHereAction);
    showOnly(checkProgressView_);
}

QWidget* KVCheckUpdateWindowController::addView() {
    auto* view = new QWidget(aWindow->contentView());
    kit::setCocoaFrame(view, kViewFrame);
    return view;
}

TextImageButton* KVCheckUpdateWindowController::addDoneButton(QWidget* view) {
    auto* button = kit::addImageButton(view, kDoneFrame, QStringLiteral("btn_sec"), QStringLiteral("OK"));
    connect(button, &QAbstractButton::clicked, this, &KVCheckUpdateWindowController::closeWindowAction);
    return button;
}

void KVCheckUpdateWindowController::awakeFromNib() {
    shuttingDown_ = false;
    // Faded in from clear; the window shows when its modal run starts. The fade-in tells nobody when it
    // ends: cut short by a close at opacity 0, it would read as a finished fade-out and close the window.
    aWindow->setWindowOpacity(0.0);
    kit::WindowFade::animateOpacity(aWindow.get(), 1.0, {});
}

void KVCheckUpdateWindowController::windowDidLoad() {
    titleBarView = aWindow->titleBarView();
    titleLabel_ = shell::dressPopupTitleBar(aWindow.get(), kTitleBarHeight, kContentSize.width());

    changeValueScrollView_->setStyleSheet(QStringLiteral("QScrollArea { border: 5px solid red; }"));
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
        QLabel* label = kit::addLabel(
            showVersionScrollView_, layout.rows[row],
            {.pixelSize = 12, .alignment = Qt::AlignLeft | Qt::AlignTop, .wordWrap = true}, texts[row]);
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
