#pragma once

#include <QColor>

// The kit's named colours: every fixed device-RGB colour that more than one view or screen uses.
namespace kit {

// 65, 98, 255: the main blue (the left column, links, the secondary buttons' titles).
QColor blue(float alpha = 1);
// 79, 79, 98: headings, messages and list text.
QColor darkText(float alpha = 1);
// 66, 66, 88: the disk picker's popover, body and edge.
QColor popoverEdge();
// 148, 148, 160: switched-off titles and small print.
QColor greyText(float alpha = 1);
// 242, 247, 255: the screens' light background.
QColor paleBlue();
// 237, 243, 253: a row or tile under the pointer.
QColor rowHighlight();
// 207, 222, 250 and 78, 109, 255: the progress bars' track and fill.
QColor barTrack();
QColor barFill();
// 184, 196, 255: the edge of text fields and attached windows.
QColor fieldBorder();

}  // namespace kit
