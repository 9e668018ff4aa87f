#pragma once

#include "ui-kit/windows/WindowDelegate.h"

#include <QObject>
#include <QString>

#include <memory>

class CancelTextImageButton;
class ProgressView;
class QLabel;
class QProgressBar;
class QWidget;
class TCImageWindow;
class ZIPEndWinodwController;
class ZIPProgressWCDelegate;

// The window of a running image or archive job: the current status text or zip line, the percentage and
// "Cancel". It ends once (`end`), in one of three ways, and opens the result window itself: at 100 the
// success view; at "Cancel" or a failure the failure view with the message; at the window's close button
// (or any other close) nothing, the job being cancelled. Whatever arrives after that end changes nothing.
class ZIPProgressWindowController : public QObject, private kit::WindowDelegate {
    Q_OBJECT

public:
    static inline const QString kStoppedMessage = QStringLiteral("You have stopped the process.");

    ZIPProgressWindowController();
    ~ZIPProgressWindowController() override;
    ZIPProgressWindowController(const ZIPProgressWindowController&) = delete;
    ZIPProgressWindowController& operator=(const ZIPProgressWindowController&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    // A status text, a path or a chunk of zip's output, and the percent; 100 or more ends in the success
    // view.
    void changePathValue(const QString& text, float percent);
    void cancelButtonAction();
    // The window's close button: the job is cancelled and no result window follows.
    void closeWindow();
    // Ends in the failure view with `message`.
    void showErrorView(const QString& message);
    // What the status line shows of a report's text: of a zip chunk holding several lines, the lines after
    // the first.
    static QString shownText(const QString& text);

    bool end() const { return end_; }
    // The result window this one opened, if any.
    ZIPEndWinodwController* endWC() const { return endWC_.get(); }

    TCImageWindow* aWindow() const { return window_.get(); }
    QLabel* titleLabel() const { return titleLabel_; }
    QWidget* titleBarView() const;
    ProgressView* rogressView() const { return rogressView_; }
    QLabel* pathLabel() const { return pathLabel_; }
    CancelTextImageButton* cancelButton() const { return cancelButton_; }
    QWidget* normalView() const { return normalView_; }
    QProgressBar* proView() const { return proView_; }
    const QString& openUrl() const { return openUrl_; }
    void setOpenUrl(const QString& url) { openUrl_ = url; }
    ZIPProgressWCDelegate* delegate() const { return delegate_; }
    void setDelegate(ZIPProgressWCDelegate* delegate) { delegate_ = delegate; }

private:
    void loadWindow();
    void windowDidLoad();
    void windowWillClose(QWidget* window) override;
    // Sets `end`, stops the spinner and closes the window, ending exactly its own modal run.
    void finish();
    void showResult(bool failed, const QString& message);

    std::unique_ptr<TCImageWindow> window_;
    QLabel* titleLabel_ = nullptr;
    ProgressView* rogressView_ = nullptr;
    QLabel* pathLabel_ = nullptr;
    CancelTextImageButton* cancelButton_ = nullptr;
    QWidget* normalView_ = nullptr;
    QProgressBar* proView_ = nullptr;
    QString openUrl_;
    bool end_ = false;
    ZIPProgressWCDelegate* delegate_ = nullptr;
    std::unique_ptr<ZIPEndWinodwController> endWC_;
};
