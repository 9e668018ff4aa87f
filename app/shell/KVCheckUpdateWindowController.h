#pragma once

#include "app/shell/MyNSApplication.h"
#include "app/shell/UpdateOffer.h"
#include "ui-kit/windows/WindowDelegate.h"

#include <QList>
#include <QObject>
#include <QRectF>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>

class QFont;
class QLabel;
class QProgressBar;
class QScrollArea;
class TCImageWindow;
class TextImageButton;
namespace shell {
class UpdateCheck;
}

// The update window. It starts checking as it loads and shows one of four views: checking, then no network,
// no update, or the newer release's new features with "Install Now", which opens the download page. The
// check never holds the window up; a window that has closed hears nothing more from it. Made anew for each
// "Check for Updates" choice and run modally; there is no retry. A Quit while it is open fades it out first
// and quits when the fade has ended.
//
// Text that comes from the release description is shown as plain text, its tool tips too.
class KVCheckUpdateWindowController : public QObject, public kit::WindowDelegate {
    Q_OBJECT

public:
    static constexpr QSizeF kContentSize{542, 300};
    static constexpr double kTitleBarHeight = 22;
    static constexpr double kListWidth = 414;
    static constexpr double kListMinimumHeight = 121;
    static inline const QUrl kDownloadURL{QStringLiteral("https://tavrun.example/download/")};

    // The feature list's height and its rows' frames in the list's Cocoa coordinates: the rows stacked from
    // the top, one under the other, each as high as its text needs.
    struct FeatureListLayout {
        double height = 0;
        QList<QRectF> rows;
    };

    KVCheckUpdateWindowController();
    ~KVCheckUpdateWindowController() override;
    KVCheckUpdateWindowController(const KVCheckUpdateWindowController&) = delete;
    KVCheckUpdateWindowController& operator=(const KVCheckUpdateWindowController&) = delete;

    // The window, loaded (and the check started) at the first call; the caller centres it and runs it.
    TCImageWindow* window();
    void getVersionChange();
    // Shows the update view with the release's features when its "VersionCheck" is above the bundle's own,
    // else the no-update view.
    void whatIsNewVersionDiff(const QVariantMap& description);
    static double heightForStringDrawing(const QString& text, const QFont& font, double width);
    static FeatureListLayout featureListLayout(const QStringList& texts);
    void updateClickHereAction();
    void closeWindow();
    void closeWindowAction();
    // The standard close path fades the window out and closes it when the fade has ended.
    bool windowShouldClose(QWidget* window) override;
    void windowWillClose(QWidget* window) override;
    // A Quit asked while the window is open: the first fades the window out, remembers it and answers
    // cancel; any later one answers terminate-now.
    MyNSApplication::TerminateReply applicationShouldTerminate();
    // A fade has ended: a window faded out completely stops its run and closes, and then, when a Quit
    // faded it, the application is asked to terminate again.
    void animationDidStop(bool finished);
    // How the window asks the application to terminate (its delegate's terminate).
    void setTerminateApplication(std::function<void()> terminate) {
        terminateApplication_ = std::move(terminate);
    }
    bool shuttingDown() const { return shuttingDown_; }

    QWidget* checkProgressView() const { return checkProgressView_; }
    QWidget* noNetworkView() const { return noNetworkView_; }
    QWidget* noUpdateView() const { return noUpdateView_; }
    QWidget* haveUpdateView() const { return haveUpdateView_; }
    QLabel* versionLabel() const { return versionLabel_; }
    QScrollArea* changeValueScrollView() const { return changeValueScrollView_; }
    QProgressBar* progressBar() const { return progressBar_; }
    QWidget* showVersionScrollView() const { return showVersionScrollView_; }
    QLabel* titleLabel() const { return titleLabel_; }
    TextImageButton* installButton() const { return installButton_; }
    // The buttons of the no-network and no-update views.
    TextImageButton* noNetworkButton() const { return noNetworkButton_; }
    TextImageButton* noUpdateButton() const { return noUpdateButton_; }

private:
    void awakeFromNib();
    void loadWindow();
    void windowDidLoad();
    QWidget* addView();
    TextImageButton* addDoneButton(QWidget* view);
    void showOnly(QWidget* view);
    void showFeatures(const QList<shell::FeatureLine>& features);
    void fadeOut();

    std::unique_ptr<TCImageWindow> aWindow;
    QWidget* checkProgressView_ = nullptr;
    QWidget* noNetworkView_ = nullptr;
    QWidget* noUpdateView_ = nullptr;
    QWidget* haveUpdateView_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QScrollArea* changeValueScrollView_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QWidget* showVersionScrollView_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    QWidget* titleBarView = nullptr;
    TextImageButton* installButton_ = nullptr;
    TextImageButton* noNetworkButton_ = nullptr;
    TextImageButton* noUpdateButton_ = nullptr;
    std::unique_ptr<shell::UpdateCheck> check_;
    bool shuttingDown_ = false;
    std::function<void()> terminateApplication_;
};
