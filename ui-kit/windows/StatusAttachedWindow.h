#pragma once

#include "ui-kit/windows/AttachedWindowBase.h"
#include "ui-kit/windows/PopBaseWindow.h"

namespace kit {
class HoverArea;
}

class StatusAttachedWindowDelegate {
public:
    virtual ~StatusAttachedWindowDelegate() = default;
    // The attached window stopped being the key window.
    virtual void isHiddenWindow() {}
    // The pointer entered (true) or left (false) the window.
    virtual void mouseInWindow(bool /*inside*/) {}
};

// The attached window of the Disk Tool's dialogs, run modally: a white rounded body, movable by its
// background, with a shadow. Over the window server's blur the body is nearly opaque with a white border;
// where there is no blur it is opaque with a grey edge. It draws no arrow but keeps 10 points of room for
// one on its arrow side. Closing it, however that happens, stops its own modal run and no other. Its
// delegate is not owned; the owner clears it before it goes.
class StatusAttachedWindow : public kit::AttachedWindowBase<PopBaseWindow>,
                             public kit::AttachedWindowInitialisers<StatusAttachedWindow> {
public:
    using kit::AttachedWindowInitialisers<StatusAttachedWindow>::initWithView;
    // Null for a null view.
    static std::unique_ptr<StatusAttachedWindow> initWithView(QWidget* view, const QPointF& point,
                                                              QWidget* window, AttachedWindowSide side,
                                                              float distance);
    ~StatusAttachedWindow() override;

    StatusAttachedWindowDelegate* mattachedWDelegate() const { return mattachedWDelegate_; }
    void setMattachedWDelegate(StatusAttachedWindowDelegate* delegate) { mattachedWDelegate_ = delegate; }

    void closeMattachedWindow();
    // The window server's background blur has no stand-in here: the request is only logged.
    void setWindowBackgroundBlurRadius(int radius);
    static bool canBlurBackground();

    // The system version (major x 100 + minor) decides the fill's alpha and the blur. The application
    // installs its reader at start-up; without one the version counts as unknown (1000).
    using SystemVersionFunction = int (*)();
    static void setSystemVersionFunction(SystemVersionFunction function);
    static int systemVersion();

protected:
    void resignedKey() override { closeMattachedWindow(); }
    void windowWillClose() override;

private:
    StatusAttachedWindow(QWidget* view, const QPointF& point, QWidget* window, AttachedWindowSide side,
                         float distance);
    void updateTrackingAreas();
    void mouseEntered();
    void mouseExited();

    StatusAttachedWindowDelegate* mattachedWDelegate_ = nullptr;
    std::unique_ptr<kit::HoverArea> trackingArea_;
};
