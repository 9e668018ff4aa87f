#pragma once

class QWidget;

// NSWindow's center: the window is centred horizontally on its screen's visible area and placed somewhat
// above the middle (a third of the free height above it, two thirds below). A window without a screen
// stays where it is.
void centerWindow(QWidget* window);
