#include "ui-kit/windows/TCImageWindow.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/windows/QNTitlebarContainer.h"
#include "ui-kit/windows/QNTitlebarView.h"
#include "ui-kit/windows/StandardWindowButton.h"
#include "ui-kit/windows/TCImageWindowDelegateProxy.h"
#include "ui-kit/windows/WindowMover.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QWindowStateChangeEvent>

#include <cmath>

namespace {

constexpr int kFullScreenButtonKind = 7;

// The content rectangle that a titled system window keeps for a frame: all of it below the title bar.
QRectF systemContentRect(const QRectF& frame) {
    return frame.adjusted(0, 0, 0, -22);
}

}  // namespace

TCImageWindow::TCImageWindow(const QSizeF& contentSize, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);                      // not opaque, clear background
    new kit::WindowMover(this, [this] { return !isFullScreen(); });  // movable by its background
    resize(QSizeF(contentSize.width(), contentSize.height() + _minimumTitlebarHeight()).toSize());
    contentView_ = new QWidget(this);
    placeCocoa(contentView_, contentViewFrame(size(), _minimumTitlebarHeight()));
    for (int kind = kit::StandardWindowButton::Close; kind <= kit::StandardWindowButton::Zoom; ++kind) {
        auto* button =
            new kit::StandardWindowButton(static_cast<kit::StandardWindowButton::Kind>(kind), this);
        placeCocoa(button, kit::StandardWindowButton::systemFrame(button->kind(), height()));
        systemButtons_[static_cast<size_t>(kind)] = button;
    }
    systemButtons_[0]->setAction([this] { performClose(); });
    systemButtons_[1]->setAction([this] { performMiniaturize(); });
    systemButtons_[2]->setAction([this] { performZoom(); });
    _doInitialWindowSetup();
}

TCImageWindow::~TCImageWindow() = default;

void TCImageWindow::_doInitialWindowSetup() {
    showsBaselineSeparator_ = true;
    centerTrafficLightButtons_ = true;
    titleBarHeight_ = cachedTitleBarHeight_ = _minimumTitlebarHeight();
    trafficLightButtonsLeftMargin_ = _defaultTrafficLightLeftMargin();
    delegateProxy_ = std::make_unique<TCImageWindowDelegateProxy>(this);
    trafficLightButtonsTopMargin_ = 3;
    fullScreenButtonTopMargin_ = 3;
    trafficLightSeparation_ = _defaultTrafficLightSeparation();
    // Moves, resizes, key changes and title changes arrive as events; the application's activation as a
    // signal.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this] { _displayWindowAndTitlebar(); });
    _createTitlebarView();
    _layoutTrafficLightsAndContent();
}

// --- measured values -------------------------------------------------------------------------------------

double TCImageWindow::_minimumTitlebarHeight() {
    static double height = 0;  // 0: not measured yet
    if (height == 0) {
        const QRectF frame(0, 0, 100, 100);
        height = frame.height() - systemContentRect(frame).height();
    }
    return height;
}

double TCImageWindow::_defaultTrafficLightLeftMargin() {
    static double margin = 0;
    if (margin == 0) {
        margin = kit::StandardWindowButton::systemFrame(kit::StandardWindowButton::Close, 100).x();
    }
    return margin;
}

double TCImageWindow::_defaultTrafficLightSeparation() {
    static double separation = 0;
    if (separation == 0) {
        const QRectF close = kit::StandardWindowButton::systemFrame(kit::StandardWindowButton::Close, 100);
        separation = kit::StandardWindowButton::systemFrame(kit::StandardWindowButton::Miniaturize, 100).x() -
                     close.right();
    }
    return separation;
}

// --- geometry --------------------------------------------------------------------------------------------

QRectF TCImageWindow::titleBarContainerFrame(const QSizeF& frameSize, double titleBarHeight) {
    return {0, frameSize.height() - titleBarHeight, frameSize.width(), titleBarHeight};
}

std::array<QRectF, 3> TCImageWindow::trafficLightFrames(const QRectF& container,
                                                        const std::array<QSizeF, 3>& sizes,
                                                        const TrafficLightSettings& settings) {
    const auto& [close, minimize, zoom] = sizes;
    const double cy = container.y();
    const double ch = container.height();
    std::array<QRectF, 3> frames{QRectF(QPointF(), close), QRectF(QPointF(), minimize),
                                 QRectF(QPointF(), zoom)};
    if (!settings.vertical) {
        double y = settings.center ? std::round(cy + ch * 0.5 - close.height() * 0.5)
                                   : cy + ch - close.height() - settings.topMargin;
        y += settings.moveUp;
        const double closeX = settings.leftMargin;
        const double minimizeX = closeX + close.width() + settings.separation;
        const double zoomX = minimizeX + minimize.width() + settings.separation;
        frames[0].moveTo(closeX, y);
        frames[1].moveTo(minimizeX, y);
        frames[2].moveTo(zoomX, y);
        return frames;
    }
    const double gap = settings.separation - 2;
    const double stack = close.height() + minimize.height() + zoom.height() + 2 * gap;
    const double bottom =
        settings.center ? std::round(cy + ch * 0.5 - stack * 0.5) : cy + ch - stack - settings.topMargin;
    const double zoomY = bottom;
    const double minimizeY = zoomY + zoom.height() + gap;
    const double closeY = minimizeY + minimize.height() + gap;
    frames[0].moveTo(settings.leftMargin, closeY);
    frames[1].moveTo(settings.leftMargin, minimizeY);
    frames[2].moveTo(settings.leftMargin, zoomY);
    return frames;
}

QRectF TCImageWindow::fullScreenButtonFrame(const QRectF& container, const QSizeF& size, double rightMargin,
                                            double topMargin, bool center) {
    const double x = container.width() - size.width() - rightMargin;
    const double y = center ? std::round(container.y() + container.height() * 0.5 - size.height() * 0.5)
                            : container.y() + container.height() - size.height() - topMargin;
    return {QPointF(x, y), size};
}

QRectF TCImageWindow::contentViewFrame(const QSizeF& frameSize, double titleBarHeight) {
    // The content view follows the window's width and ends where the title bar begins.
    return {0, 0, frameSize.width(), frameSize.height() - titleBarHeight};
}

QRectF TCImageWindow::cocoaFrameOf(const QWidget* view) const {
    return kit::cocoaRect(QRectF(view->geometry()), height());
}

void TCImageWindow::placeCocoa(QWidget* view, const QRectF& frame) {
    view->setGeometry(kit::cocoaRect(frame, height()).toRect());
}

// --- title bar and layout --------------------------------------------------------------------------------

void TCImageWindow::_createTitlebarView() {
    titleBarContainer_ = new QNTitlebarContainer(this);
    _recalculateFrameForTitleBarContainer();
    titleBarContainer_->lower();  // beneath the content view and the buttons
    titleBarContainer_->show();
    setTitleBarView(new QNTitlebarView);
}

void TCImageWindow::setTitleBarView(QWidget* view) {
    if (!view || view == titleBarView_) {
        return;
    }
    if (titleBarView_) {
        titleBarView_->hide();
        titleBarView_->deleteLater();
    }
    titleBarView_ = view;
    titleBarContainer_->setTitleBarView(view);  // the container owns it
}

void TCImageWindow::_recalculateFrameForTitleBarContainer() {
    placeCocoa(titleBarContainer_, titleBarContainerFrame(size(), titleBarHeight_));
}

QAbstractButton* TCImageWindow::standardWindowButton(int kind) const {
    if (kind < kit::StandardWindowButton::Close || kind > kit::StandardWindowButton::Zoom) {
        return nullptr;
    }
    return systemButtons_[static_cast<size_t>(kind)];
}

QAbstractButton* TCImageWindow::_windowButtonToLayout(int kind, QAbstractButton* userProvided) const {
    QAbstractButton* system = standardWindowButton(kind);
    if (userProvided) {
        if (system) {
            system->hide();
        }
        return userProvided;
    }
    if (system) {
        system->show();
    }
    return system;
}

void TCImageWindow::_layoutTrafficLightsAndContent() {
    if (!titleBarContainer_) {
        return;  // not set up yet
    }
    _recalculateFrameForTitleBarContainer();
    const QRectF container = titleBarContainerFrame(size(), titleBarHeight_);
    const std::array<QAbstractButton*, 3> buttons{_windowButtonToLayout(0, closeButton_),
                                                  _windowButtonToLayout(1, minimizeButton_),
                                                  _windowButtonToLayout(2, zoomButton_)};
    std::array<QSizeF, 3> sizes{};
    for (size_t i = 0; i < buttons.size(); ++i) {
        sizes[i] = buttons[i] ? QSizeF(buttons[i]->size()) : QSizeF(0, 0);
    }
    const auto frames = trafficLightFrames(
        container, sizes,
        {trafficLightButtonsLeftMargin_, trafficLightSeparation_, trafficLightButtonsTopMargin_,
         topButtonMoveUp_, centerTrafficLightButtons_, verticalTrafficLightButtons_});
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]) {
            placeCocoa(buttons[i], frames[i]);
            buttons[i]->raise();
        }
    }
    if (QAbstractButton* fullScreen = _windowButtonToLayout(kFullScreenButtonKind, fullScreenButton_)) {
        if (!fullScreenButtonRightMarginSet_) {
            const QRectF current = cocoaFrameOf(fullScreen);
            setFullScreenButtonRightMargin(container.width() - (current.x() + current.width()));
        }
        placeCocoa(fullScreen,
                   fullScreenButtonFrame(container, QSizeF(fullScreen->size()), fullScreenButtonRightMargin_,
                                         fullScreenButtonTopMargin_, centerFullScreenButton_));
        fullScreen->raise();
    }
    _repositionContentView();
    updateWindowButtons();
}

void TCImageWindow::_repositionContentView() {
    const QRectF frame = contentViewFrame(size(), titleBarHeight_);
    if (cocoaFrameOf(contentView_) != frame) {
        placeCocoa(contentView_, frame);
        contentView_->update();
    }
}

void TCImageWindow::setContentView(QWidget* view) {
    if (!view || view == contentView_) {
        return;
    }
    contentView_->hide();
    contentView_->deleteLater();
    contentView_ = view;
    view->setParent(this);
    view->stackUnder(systemButtons_[0]);
    view->show();
    _repositionContentView();
}

void TCImageWindow::_displayWindowAndTitlebar() {
    if (titleBarView_) {
        titleBarView_->update();
    }
}

void TCImageWindow::_hideTitleBarView(bool hidden) {
    if (titleBarView_) {
        titleBarView_->setHidden(hidden);
    }
}

// --- settings --------------------------------------------------------------------------------------------

void TCImageWindow::setTitleBarHeight(double height) {
    if (height == titleBarHeight_) {
        return;
    }
    titleBarHeight_ = cachedTitleBarHeight_ = height;
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
}

void TCImageWindow::setTrafficLightButtonsLeftMargin(double margin) {
    if (margin == trafficLightButtonsLeftMargin_) {
        return;
    }
    trafficLightButtonsLeftMargin_ = margin;
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
}

void TCImageWindow::setFullScreenButtonRightMargin(double margin) {
    if (fullScreenButtonRightMarginSet_ && margin == fullScreenButtonRightMargin_) {
        return;
    }
    fullScreenButtonRightMargin_ = margin;
    fullScreenButtonRightMarginSet_ = true;
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
}

void TCImageWindow::setShowsTitle(bool shows) {
    if (shows != showsTitle_) {
        showsTitle_ = shows;
        _displayWindowAndTitlebar();
    }
}

void TCImageWindow::setShowsBaselineSeparator(bool shows) {
    if (shows != showsBaselineSeparator_) {
        showsBaselineSeparator_ = shows;
        _displayWindowAndTitlebar();
    }
}

void TCImageWindow::setCenterFullScreenButton(bool center) {
    if (center != centerFullScreenButton_) {
        centerFullScreenButton_ = center;
        _layoutTrafficLightsAndContent();
    }
}

void TCImageWindow::setCenterTrafficLightButtons(bool center) {
    if (center != centerTrafficLightButtons_) {
        centerTrafficLightButtons_ = center;
        _layoutTrafficLightsAndContent();
    }
}

void TCImageWindow::setVerticalTrafficLightButtons(bool vertical) {
    if (vertical != verticalTrafficLightButtons_) {
        verticalTrafficLightButtons_ = vertical;
        _layoutTrafficLightsAndContent();
    }
}

void TCImageWindow::setTrafficLightSeparation(double separation) {
    if (separation != trafficLightSeparation_) {
        trafficLightSeparation_ = separation;
        _layoutTrafficLightsAndContent();
    }
}

// --- custom buttons --------------------------------------------------------------------------------------

void TCImageWindow::replaceCustomButton(QPointer<QAbstractButton>& slot, QAbstractButton* button, int kind,
                                        void (TCImageWindow::*action)()) {
    if (button == slot) {
        return;
    }
    if (slot) {
        slot->hide();
        slot->deleteLater();
    }
    slot = button;
    if (!button) {
        return;
    }
    connect(button, &QAbstractButton::clicked, this, action);
    button->setParent(this);
    const QAbstractButton* system = standardWindowButton(kind);
    // Cocoa origins are bottom-left: a button of another height keeps the system button's bottom edge.
    const QPointF origin = system ? cocoaFrameOf(system).topLeft() : QPointF(0, 0);
    placeCocoa(button, QRectF(origin, QSizeF(button->size())));
    button->show();
    button->raise();
}

void TCImageWindow::setCloseButton(QAbstractButton* button) {
    replaceCustomButton(closeButton_, button, 0, &TCImageWindow::performClose);
}

void TCImageWindow::setMinimizeButton(QAbstractButton* button) {
    replaceCustomButton(minimizeButton_, button, 1, &TCImageWindow::performMiniaturize);
}

void TCImageWindow::setZoomButton(QAbstractButton* button) {
    replaceCustomButton(zoomButton_, button, 2, &TCImageWindow::performZoom);
}

void TCImageWindow::setFullScreenButton(QAbstractButton* button) {
    replaceCustomButton(fullScreenButton_, button, kFullScreenButtonKind, &TCImageWindow::toggleFullScreen);
}

// --- delegate and window behaviour ----------------------------------------------------------------------

kit::WindowDelegate* TCImageWindow::delegate() const {
    return delegateProxy_->secondaryDelegate();
}

void TCImageWindow::setDelegate(kit::WindowDelegate* delegate) {
    delegateProxy_->setSecondaryDelegate(delegate);
}

bool TCImageWindow::drawsAsMain() const {
    return isActiveWindow() && QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void TCImageWindow::performClose() {
    if (delegateProxy_->windowShouldClose(this)) {
        close();
    }
}

bool TCImageWindow::canMiniaturize() const {
    return !isModal();  // a modal dialog stays in front of what it holds up
}

bool TCImageWindow::canZoom() const {
    return !isModal() && minimumSize() != maximumSize();  // a fixed layout keeps its size
}

void TCImageWindow::updateWindowButtons() {
    systemButtons_[1]->setEnabled(canMiniaturize());
    systemButtons_[2]->setEnabled(canZoom());
}

void TCImageWindow::performMiniaturize() {
    if (canMiniaturize()) {
        showMinimized();
    }
}

void TCImageWindow::performZoom() {
    if (!canZoom()) {
        return;
    }
    if (isMaximized()) {
        showNormal();
    } else {
        showMaximized();
    }
}

void TCImageWindow::toggleFullScreen() {
    if (isFullScreen()) {
        showNormal();
    } else {
        showFullScreen();
    }
}

void TCImageWindow::windowWillEnterFullScreen() {
    if (!hideTitleBarInFullScreen_) {
        return;
    }
    titleBarHeight_ = 0;  // the cached height stays for the way back
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
    _hideTitleBarView(true);
}

void TCImageWindow::windowWillExitFullScreen() {
    if (!hideTitleBarInFullScreen_) {
        return;
    }
    titleBarHeight_ = cachedTitleBarHeight_;
    _layoutTrafficLightsAndContent();
    _displayWindowAndTitlebar();
    _hideTitleBarView(false);
}

void TCImageWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    _layoutTrafficLightsAndContent();
}

void TCImageWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    _layoutTrafficLightsAndContent();
}

void TCImageWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    switch (event->type()) {
        case QEvent::ActivationChange:
            _displayWindowAndTitlebar();
            _layoutTrafficLightsAndContent();
            for (kit::StandardWindowButton* button : systemButtons_) {
                button->update();  // grey while the window is not active
            }
            break;
        case QEvent::WindowTitleChange:
            _layoutTrafficLightsAndContent();
            _displayWindowAndTitlebar();
            break;
        case QEvent::WindowStateChange: {
            const bool was = static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowFullScreen;
            if (!was && isFullScreen()) {
                windowWillEnterFullScreen();
            } else if (was && !isFullScreen()) {
                windowWillExitFullScreen();
            }
            break;
        }
        default:
            break;
    }
}

void TCImageWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closing_) {
        return;  // already told: one close is enough
    }
    closing_ = true;
    delegateProxy_->windowWillClose(this);
}

void TCImageWindow::showEvent(QShowEvent* event) {
    closing_ = false;
    updateWindowButtons();  // a modal run sets the modality just before it shows the window
    QWidget::showEvent(event);
}
