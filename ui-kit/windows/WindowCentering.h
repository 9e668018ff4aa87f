#pragma once

#include <QRect>

class QWidget;

namespace kit {

// NSWindow's center: the window goes across the middle of its screen's usable area and somewhat above its
// middle (a third of the free height above it, two thirds below). A window larger than the area starts at
// its top left; a window without a screen stays where it is.
QRect centeredFrame(const QRect& available, const QSize& size);
void centerWindow(QWidget* window);

}  // namespace kit
