#pragma once

#include <QColor>

// A colour's red, green, blue and alpha components as an RGB colour (the title bar's gradient stops).
QColor QN_CGColorCreate(const QColor& color);
