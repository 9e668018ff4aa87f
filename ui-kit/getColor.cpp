#include "ui-kit/getColor.h"

QColor getColor(float red, float green, float blue, float alpha) {
    return QColor::fromRgbF(static_cast<float>(static_cast<double>(red) / 255.0),
                            static_cast<float>(static_cast<double>(green) / 255.0),
                            static_cast<float>(static_cast<double>(blue) / 255.0), alpha);
}
