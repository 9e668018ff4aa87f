#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QNTitlebarContainer;
namespace kit {
class StandardWindowButton;
}
class TCImageWindowDelegateProxy;
namespace kit {
class WindowDelegate;
}

// The window of the application's titled windows. It is transparent (what shows is what its views
// paint) and movable by its background; over the top of its frame it lays a title bar of a height the
// screen chooses, into whose view (`titleBarView`) screens put their own views; the close, minimise and
// zoom buttons are placed from margins and flags; the content view ends where the title bar begins.
//
// The window itself is the frame view. The documented geometry is kept in the static functions below in
// the window's Cocoa coordinates (origin bottom left) and converted where the views are placed.
class TCImageWindow : public QWidget {
    Q_OBJECT

public:
    struct TitleShadow {
        QColor color;
        QPointF offset;  // Cocoa: y up
        double blurRadius = 0;
    };
    // Paints the title bar instead of the default; gets the painter, whether the window draws as main, the
    // title bar's rectangle and the clipping path (both in the title bar view's own coordinates).
    using TitleBarDrawingBlock = std::function<void(QPainter& painter, bool drawsAsMain, const QRectF& frame,
                                                    const QPainterPath& clip)>;

    struct TrafficLightSettings {
        double leftMargin = 0;
        double separation = 0;
        double topMargin = 3;
        double moveUp = 0;
        bool center = true;
        bool vertical = false;
    };

    // A window whose content area is `contentSize` below the system's title bar.
    explicit TCImageWindow(const QSizeF& contentSize = QSizeF(), QWidget* parent = nullptr);
    ~TCImageWindow() override;
    TCImageWindow(const TCImageWindow&) = delete;
    TCImageWindow& operator=(const TCImageWindow&) = delete;

    QWidget* titleBarView() const { return titleBarView_; }
    void setTitleBarView(QWidget* view);
    QNTitlebarContainer* titleBarContainer() const { return titleBarContainer_; }
    QWidget* contentView() const { return contentView_; }
    void setContentView(QWidget* view);
    QWidget* themeFrameView() { return this; }
    // The system's buttons: 0 close, 1 minimise, 2 zoom; this window has no separate full-screen button (7).
    QAbstractButton* standardWindowButton(int kind) const;

    QAbstractButton* closeButton() const { return closeButton_; }
    QAbstractButton* minimizeButton() const { return minimizeButton_; }
    QAbstractButton* zoomButton() const { return zoomButton_; }
    QAbstractButton* fullScreenButton() const { return fullScreenButton_; }
    // Custom buttons that take the system buttons' places; the window owns them and gives them their action.
    void setCloseButton(QAbstractButton* button);
    void setMinimizeButton(QAbstractButton* button);
    void setZoomButton(QAbstractButton* button);
    void setFullScreenButton(QAbstractButton* button);

    double titleBarHeight() const { return titleBarHeight_; }
    void setTitleBarHeight(double height);
    double cachedTitleBarHeight() const { return cachedTitleBarHeight_; }
    bool showsBaselineSeparator() const { return showsBaselineSeparator_; }
    void setShowsBaselineSeparator(bool shows);
    double trafficLightButtonsLeftMargin() const { return trafficLightButtonsLeftMargin_; }
    void setTrafficLightButtonsLeftMargin(double margin);
    double fullScreenButtonRightMargin() const { return fullScreenButtonRightMargin_; }
    void setFullScreenButtonRightMargin(double margin);
    bool hasFullScreenButtonRightMargin() const { return fullScreenButtonRightMarginSet_; }
    bool showsTitle() const { return showsTitle_; }
    void setShowsTitle(bool shows);
    bool centerFullScreenButton() const { return centerFullScreenButton_; }
    void setCenterFullScreenButton(bool center);
    bool centerTrafficLightButtons() const { return centerTrafficLightButtons_; }
    void setCenterTrafficLightButtons(bool center);
    bool verticalTrafficLightButtons() const { return verticalTrafficLightButtons_; }
    void setVerticalTrafficLightButtons(bool vertical);
    double trafficLightSeparation() const { return trafficLightSeparation_; }
    void setTrafficLightSeparation(double separation);

    // These only store: the value takes effect at the next layout or redisplay.
    double trafficLightButtonsTopMargin() const { return trafficLightButtonsTopMargin_; }
    void setTrafficLightButtonsTopMargin(double margin) { trafficLightButtonsTopMargin_ = margin; }
    double fullScreenButtonTopMargin() const { return fullScreenButtonTopMargin_; }
    void setFullScreenButtonTopMargin(double margin) { fullScreenButtonTopMargin_ = margin; }
    double topButtonMoveUp() const { return topButtonMoveUp_; }
    void setTopButtonMoveUp(double moveUp) { topButtonMoveUp_ = moveUp; }
    bool hideTitleBarInFullScreen() const { return hideTitleBarInFullScreen_; }
    void setHideTitleBarInFullScreen(bool hide) { hideTitleBarInFullScreen_ = hide; }
    bool showsTitleInFullscreen() const { return showsTitleInFullscreen_; }
    void setShowsTitleInFullscreen(bool shows) { showsTitleInFullscreen_ = shows; }
    const TitleBarDrawingBlock& titleBarDrawingBlock() const { return titleBarDrawingBlock_; }
    void setTitleBarDrawingBlock(TitleBarDrawingBlock block) { titleBarDrawingBlock_ = std::move(block); }

    // Colours for the window while it draws as main and while it does not. Only the title colours and
    // shadows take part in the default painting; the others are kept for a drawing block's owner.
    QColor titleBarStartColor() const { return titleBarStartColor_; }
    void setTitleBarStartColor(const QColor& color) { titleBarStartColor_ = color; }
    QColor titleBarEndColor() const { return titleBarEndColor_; }
    void setTitleBarEndColor(const QColor& color) { titleBarEndColor_ = color; }
    QColor baselineSeparatorColor() const { return baselineSeparatorColor_; }
    void setBaselineSeparatorColor(const QColor& color) { baselineSeparatorColor_ = color; }
    QColor titleTextColor() const { return titleTextColor_; }
    void setTitleTextColor(const QColor& color) { titleTextColor_ = color; }
    std::optional<TitleShadow> titleTextShadow() const { return titleTextShadow_; }
    void setTitleTextShadow(std::optional<TitleShadow> shadow) { titleTextShadow_ = shadow; }
    QColor inactiveTitleBarStartColor() const { return inactiveTitleBarStartColor_; }
    void setInactiveTitleBarStartColor(const QColor& color) { inactiveTitleBarStartColor_ = color; }
    QColor inactiveTitleBarEndColor() const { return inactiveTitleBarEndColor_; }
    void setInactiveTitleBarEndColor(const QColor& color) { inactiveTitleBarEndColor_ = color; }
    QColor inactiveBaselineSeparatorColor() const { return inactiveBaselineSeparatorColor_; }
    void setInactiveBaselineSeparatorColor(const QColor& color) { inactiveBaselineSeparatorColor_ = color; }
    QColor inactiveTitleTextColor() const { return inactiveTitleTextColor_; }
    void setInactiveTitleTextColor(const QColor& color) { inactiveTitleTextColor_ = color; }
    std::optional<TitleShadow> inactiveTitleTextShadow() const { return inactiveTitleTextShadow_; }
    void setInactiveTitleTextShadow(std::optional<TitleShadow> shadow) { inactiveTitleTextShadow_ = shadow; }

    void setTitle(const QString& title) { setWindowTitle(title); }
    kit::WindowDelegate* delegate() const;
    // Not owned: the owner clears it (setDelegate(nullptr)) before it goes.
    void setDelegate(kit::WindowDelegate* delegate);
    TCImageWindowDelegateProxy* delegateProxy() const { return delegateProxy_.get(); }

    // The active window of the active application.
    bool drawsAsMain() const;

    void performClose();
    // Neither a modal window nor one of a fixed size (minimum and maximum the same) can be zoomed; a modal
    // window cannot be miniaturised. Their buttons show it.
    void performMiniaturize();
    void performZoom();
    bool canMiniaturize() const;
    bool canZoom() const;
    void toggleFullScreen();

    // --- geometry, in the window's Cocoa coordinates ---
    static QRectF titleBarContainerFrame(const QSizeF& frameSize, double titleBarHeight);
    // Close, minimise and zoom frames for buttons of these sizes (a missing button counts as size 0).
    static std::array<QRectF, 3> trafficLightFrames(const QRectF& container,
                                                    const std::array<QSizeF, 3>& sizes,
                                                    const TrafficLightSettings& settings);
    static QRectF fullScreenButtonFrame(const QRectF& container, const QSizeF& size, double rightMargin,
                                        double topMargin, bool center);
    static QRectF contentViewFrame(const QSizeF& frameSize, double titleBarHeight);
    // Measured once per process from the system's window and buttons.
    static double _minimumTitlebarHeight();
    static double _defaultTrafficLightLeftMargin();
    static double _defaultTrafficLightSeparation();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void _doInitialWindowSetup();
    void _createTitlebarView();
    void _recalculateFrameForTitleBarContainer();
    void _layoutTrafficLightsAndContent();
    void _repositionContentView();
    QAbstractButton* _windowButtonToLayout(int kind, QAbstractButton* userProvided) const;
    void _displayWindowAndTitlebar();
    void updateWindowButtons();
    void _hideTitleBarView(bool hidden);
    void windowWillEnterFullScreen();
    void windowWillExitFullScreen();
    void replaceCustomButton(QPointer<QAbstractButton>& slot, QAbstractButton* button, int kind,
                             void (TCImageWindow::*action)());
    QRectF cocoaFrameOf(const QWidget* view) const;
    void placeCocoa(QWidget* view, const QRectF& frame);

    QPointer<QWidget> titleBarView_;
    QPointer<QAbstractButton> closeButton_;
    QPointer<QAbstractButton> minimizeButton_;
    QPointer<QAbstractButton> zoomButton_;
    QPointer<QAbstractButton> fullScreenButton_;
    QNTitlebarContainer* titleBarContainer_ = nullptr;
    QWidget* contentView_ = nullptr;
    std::array<kit::StandardWindowButton*, 3> systemButtons_{};
    std::unique_ptr<TCImageWindowDelegateProxy> delegateProxy_;

    double titleBarHeight_ = 0;
    double cachedTitleBarHeight_ = 0;
    bool showsBaselineSeparator_ = true;
    double trafficLightButtonsLeftMargin_ = 0;
    double fullScreenButtonRightMargin_ = 0;
    bool fullScreenButtonRightMarginSet_ = false;
    bool showsTitle_ = false;
    bool centerFullScreenButton_ = false;
    bool centerTrafficLightButtons_ = true;
    bool verticalTrafficLightButtons_ = false;
    double trafficLightSeparation_ = 0;
    double trafficLightButtonsTopMargin_ = 3;
    double fullScreenButtonTopMargin_ = 3;
    double topButtonMoveUp_ = 0;
    bool hideTitleBarInFullScreen_ = false;
    TitleBarDrawingBlock titleBarDrawingBlock_;
    bool showsTitleInFullscreen_ = false;
    QColor titleBarStartColor_;
    QColor titleBarEndColor_;
    QColor baselineSeparatorColor_;
    QColor titleTextColor_;
    std::optional<TitleShadow> titleTextShadow_;
    QColor inactiveTitleBarStartColor_;
    QColor inactiveTitleBarEndColor_;
    QColor inactiveBaselineSeparatorColor_;
    QColor inactiveTitleTextColor_;
    std::optional<TitleShadow> inactiveTitleTextShadow_;
    bool closing_ = false;
};
