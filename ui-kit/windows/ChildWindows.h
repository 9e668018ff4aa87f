#pragma once

#include <QList>

class QWidget;

namespace kit {

// Child windows (addChildWindow:ordered:): a child window is stacked above its parent window, moves by the
// same distance when the parent moves, and is hidden and shown again with it. The parent does not own its
// children; a child that is destroyed simply leaves the list. Both arguments are top-level windows.
class ChildWindows {
public:
    static void addChildWindow(QWidget* parent, QWidget* child);
    static void removeChildWindow(QWidget* parent, QWidget* child);
    static QList<QWidget*> childWindows(const QWidget* parent);
};

}  // namespace kit
