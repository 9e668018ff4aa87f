#pragma once

#include "app/sources/JobProgressWindow.h"

#include <QString>

#include <memory>

class ZIPEndWinodwController;
class ZIPProgressWCDelegate;

// The window of a running image or archive job: the current status text or zip line, the percentage and
// "Cancel". It ends once (`end`), in one of three ways, and opens the result window itself: at 100 the
// success view; at "Cancel" or a failure the failure view with the message; at the window's close button
// (or any other close) nothing, the job being cancelled. Whatever arrives after that end changes nothing.
class ZIPProgressWindowController : public sources::JobProgressWindow {
    Q_OBJECT

public:
    static inline const QString kStoppedMessage = QStringLiteral("You have stopped the process.");

    ZIPProgressWindowController();
    ~ZIPProgressWindowController() override;

    // A status text, a path or a chunk of zip's output, and the percent; 100 or more ends in the success
    // view.
    void changePathValue(const QString& text, float percent);
    // Ends in the failure view with `message` and, below it, the job's `reason`.
    void showErrorView(const QString& message, const QString& reason = QString());
    // What the status line shows of a report's text: of a zip chunk holding several lines, the lines after
    // the first.
    static QString shownText(const QString& text);

    bool end() const { return hasEnded(); }
    // The result window this one opened, if any.
    ZIPEndWinodwController* endWC() const { return endWC_.get(); }

    ZIPProgressWCDelegate* delegate() const { return delegate_; }
    void setDelegate(ZIPProgressWCDelegate* delegate) { delegate_ = delegate; }

private:
    void cancelJob() override;
    void showResult(bool failed, const QString& message, const QString& reason) override;

    ZIPProgressWCDelegate* delegate_ = nullptr;
    std::unique_ptr<ZIPEndWinodwController> endWC_;
};
