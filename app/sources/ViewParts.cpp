#include "app/sources/ViewParts.h"

#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/getColor.h"

#include <QLabel>

namespace sources {

QColor textColor(double alpha) {
    return getColor(79, 79, 98, static_cast<float>(alpha));
}

QLabel* addLabel(QWidget* parent, const QRectF& frame, int pixelSize, const QColor& color) {
    QLabel* label = kit::addLabel(parent, frame, kit::systemFont(pixelSize), color);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

}  // namespace sources
