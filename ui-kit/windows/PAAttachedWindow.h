#pragma once

#include "ui-kit/windows/AttachedWindowBase.h"

// The plain attached window: a white rounded body with a thin white border and no visible arrow, with a
// shadow. It has no delegate and does not react to losing the key window.
class PAAttachedWindow : public kit::AttachedWindowBase<QWidget>,
                         public kit::AttachedWindowInitialisers<PAAttachedWindow> {
public:
    using kit::AttachedWindowInitialisers<PAAttachedWindow>::initWithView;
    // Null for a null view.
    static std::unique_ptr<PAAttachedWindow> initWithView(QWidget* view, const QPointF& point,
                                                          QWidget* window, AttachedWindowSide side,
                                                          float distance);

private:
    PAAttachedWindow(QWidget* view, const QPointF& point, QWidget* window, AttachedWindowSide side,
                     float distance);
};
