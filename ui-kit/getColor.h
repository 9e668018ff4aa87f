#pragma once

#include <QColor>

// A device-RGB colour from components on the scale 0 to 255 and an alpha on the scale 0 to 1 (the alpha is
// taken as it is, never divided by 255).
QColor getColor(float red, float green, float blue, float alpha);
