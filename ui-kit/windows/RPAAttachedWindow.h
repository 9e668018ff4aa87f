#pragma once

#include "ui-kit/windows/AttachedWindowBase.h"

class RPAAttachedWindowDelegate {
public:
    virtual ~RPAAttachedWindowDelegate() = default;
    // The attached window stopped being the key window.
    virtual void closeMattachedWindow() {}
};

// The attached window of the screens' small pop-up choosers, shown as a child window of the screen's own
// window: a pale blue rounded body with a blue border and no visible arrow, not movable, without a shadow.
// It does not close itself when it stops being key; it tells its delegate (not owned; the owner clears it).
class RPAAttachedWindow : public kit::AttachedWindowBase<QWidget>,
                          public kit::AttachedWindowInitialisers<RPAAttachedWindow> {
public:
    using kit::AttachedWindowInitialisers<RPAAttachedWindow>::initWithView;
    // Null for a null view. The background alpha is accepted and not read.
    static std::unique_ptr<RPAAttachedWindow> initWithView(QWidget* view, const QPointF& point,
                                                           QWidget* window, AttachedWindowSide side,
                                                           float distance, float windowBgAlpha = 0.0f);

    RPAAttachedWindowDelegate* mattachedWDelegate() const { return mattachedWDelegate_; }
    void setMattachedWDelegate(RPAAttachedWindowDelegate* delegate) { mattachedWDelegate_ = delegate; }

    void closeMattachedWindow();

protected:
    void resignedKey() override { closeMattachedWindow(); }

private:
    RPAAttachedWindow(QWidget* view, const QPointF& point, QWidget* window, AttachedWindowSide side,
                      float distance);

    RPAAttachedWindowDelegate* mattachedWDelegate_ = nullptr;
};
