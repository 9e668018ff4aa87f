#pragma once

#include "app/sources/JobProgressWindow.h"

#include <QString>

#include <memory>

class CopyProgreWCDelegate;
class CopySorFWindowController;

// The window of a running copy: the item being copied, the percentage and "Cancel". It ends once, in one of
// three ways, and opens the result window itself: at 100 the success view; at "Cancel" or a failure the
// failure view with the message; at the window's close button (or any other close) nothing, the run being
// cancelled. Whatever arrives after that end changes nothing.
class CopyProgreWindowController : public sources::JobProgressWindow {
    Q_OBJECT

public:
    CopyProgreWindowController();
    ~CopyProgreWindowController() override;

    void changePathValue(const QString& path);
    // 100 or more ends the run in the success view.
    void changeProValue(float percent);
    // Ends the run in the failure view with `message` and, below it, `reason`.
    void showFailView(const QString& message, const QString& reason = QString());
    // The copy's folder stands on the Desktop: the success view says so.
    void setOnDesktop(bool onDesktop) { onDesktop_ = onDesktop; }

    // The run has ended, one way or another.
    bool isFinished() const { return hasEnded(); }
    // The result window this one opened, if any.
    CopySorFWindowController* resultWC() const { return sorFWC_.get(); }

    CopyProgreWCDelegate* delegate() const { return delegate_; }
    void setDelegate(CopyProgreWCDelegate* delegate) { delegate_ = delegate; }

private:
    void cancelJob() override;
    void showResult(bool failed, const QString& message, const QString& reason) override;

    CopyProgreWCDelegate* delegate_ = nullptr;
    bool onDesktop_ = false;
    std::unique_ptr<CopySorFWindowController> sorFWC_;
};
