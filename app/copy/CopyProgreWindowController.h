#pragma once

#include "ui-kit/windows/WindowDelegate.h"

#include <QObject>
#include <QString>

#include <memory>

class CancelTextImageButton;
class CopyProgreWCDelegate;
class CopySorFWindowController;
class ProgressView;
class QLabel;
class QProgressBar;
class QWidget;
class TCImageWindow;

// The window of a running copy: the item being copied, the percentage and "Cancel". It ends once, in one of
// three ways, and opens the result window itself: at 100 the success view; at "Cancel" or a failure the
// failure view with the message; at the window's close button (or any other close) nothing, the run being
// cancelled. Whatever arrives after that end changes nothing.
class CopyProgreWindowController : public QObject, private kit::WindowDelegate {
    Q_OBJECT

public:
    CopyProgreWindowController();
    ~CopyProgreWindowController() override;
    CopyProgreWindowController(const CopyProgreWindowController&) = delete;
    CopyProgreWindowController& operator=(const CopyProgreWindowController&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    void changePathValue(const QString& path);
    // 100 or more ends the run in the success view.
    void changeProValue(float percent);
    void cancelButtonAction();
    // Ends the run in the failure view with `message`.
    void showFailView(const QString& message);
    // The window's close button: the run is cancelled and no result window follows.
    void closeWindow();

    // The run has ended, one way or another.
    bool isFinished() const { return finished_; }
    // The result window this one opened, if any.
    CopySorFWindowController* resultWC() const { return sorFWC_.get(); }

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
    CopyProgreWCDelegate* delegate() const { return delegate_; }
    void setDelegate(CopyProgreWCDelegate* delegate) { delegate_ = delegate; }

private:
    void loadWindow();
    void windowDidLoad();
    void windowWillClose(QWidget* window) override;
    // Marks the end, stops the spinner and closes the window, ending exactly its own modal run.
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
    CopyProgreWCDelegate* delegate_ = nullptr;
    std::unique_ptr<CopySorFWindowController> sorFWC_;
    bool finished_ = false;
};
