#pragma once

#include "ui-kit/windows/WindowDelegate.h"

#include <QObject>
#include <QString>

#include <memory>

class CancelTextImageButton;
class ProgressView;
class QLabel;
class QWidget;
class TCImageWindow;
namespace kit {
class Spinner;
}

namespace sources {

// The window of a running job: its title, a status line, the percentage and "Cancel". It ends once, in one
// of three ways, and opens the result window itself: at 100 the success view; at "Cancel" or a failure the
// failure view with the message; at the window's close button (or any other close) nothing, the job being
// cancelled. Whatever arrives after that end changes nothing.
class JobProgressWindow : public QObject, private kit::WindowDelegate {
    Q_OBJECT

public:
    ~JobProgressWindow() override;
    JobProgressWindow(const JobProgressWindow&) = delete;
    JobProgressWindow& operator=(const JobProgressWindow&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    // The job's thread runs from `jobStarted` to `jobStopped`: a "Cancel" meanwhile ends the window only once
    // the thread has stopped, so that nothing is written after the failure view says the job stopped.
    void jobStarted() { jobRunning_ = true; }
    void jobStopped();
    void cancelButtonAction();
    // The window's close button: the job is cancelled and no result window follows.
    void closeWindow();

    TCImageWindow* aWindow() const { return window_.get(); }
    QLabel* titleLabel() const { return titleLabel_; }
    QWidget* titleBarView() const;
    ProgressView* rogressView() const { return rogressView_; }
    QLabel* pathLabel() const { return pathLabel_; }
    CancelTextImageButton* cancelButton() const { return cancelButton_; }
    QWidget* normalView() const { return normalView_; }
    kit::Spinner* proView() const { return proView_; }
    const QString& openUrl() const { return openUrl_; }
    void setOpenUrl(const QString& url) { openUrl_ = url; }

protected:
    // `title` heads the window; `stoppedMessage` is the failure view's after "Cancel".
    JobProgressWindow(QString title, QString stoppedMessage);

    bool hasEnded() const { return ended_; }
    // Shows the percent; 100 or more ends in the success view.
    void showPercent(float percent);
    // Ends in the failure view with `message` and the job's `reason` below it (none when empty).
    void endInFailure(const QString& message, const QString& reason = QString());

    // Tells the job to stop.
    virtual void cancelJob() = 0;
    // Opens the result window, once the run has ended.
    virtual void showResult(bool failed, const QString& message, const QString& reason) = 0;

private:
    void loadWindow();
    void windowDidLoad();
    void windowWillClose(QWidget* window) override;
    // Marks the end, stops the spinner and closes the window, ending exactly its own modal run.
    void finish();

    const QString title_;
    const QString stoppedMessage_;
    std::unique_ptr<TCImageWindow> window_;
    QLabel* titleLabel_ = nullptr;
    ProgressView* rogressView_ = nullptr;
    QLabel* pathLabel_ = nullptr;
    CancelTextImageButton* cancelButton_ = nullptr;
    QWidget* normalView_ = nullptr;
    kit::Spinner* proView_ = nullptr;
    QString openUrl_;
    bool ended_ = false;
    bool jobRunning_ = false;
    bool stopping_ = false;  // "Cancel" was pressed and waits for the job's thread
};

}  // namespace sources
