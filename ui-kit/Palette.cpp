#include "ui-kit/Palette.h"

#include "ui-kit/getColor.h"

namespace kit {

QColor blue(float alpha) {
    return getColor(65, 98, 255, alpha);
}

QColor darkText(float alpha) {
    return getColor(79, 79, 98, alpha);
}

QColor popoverEdge() {
    return getColor(66, 66, 88, 1);
}

QColor greyText(float alpha) {
    return getColor(148, 148, 160, alpha);
}

QColor paleBlue() {
    return getColor(242, 247, 255, 1);
}

QColor rowHighlight() {
    return getColor(237, 243, 253, 1);
}

QColor barTrack() {
    return getColor(207, 222, 250, 1);
}

QColor barFill() {
    return getColor(78, 109, 255, 1);
}

QColor fieldBorder() {
    return getColor(184, 196, 255, 1);
}

}  // namespace kit
