#include "ui-kit/TCAdditions.h"

QColor QN_CGColorCreate(const QColor& color) { return color.toRgb(); }
