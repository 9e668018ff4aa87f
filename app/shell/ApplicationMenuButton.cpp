#include "app/shell/ApplicationMenuButton.h"

#include "ui-kit/getColor.h"

#include <QPainter>

namespace shell {

namespace {

constexpr double kLineWidth = 12;
constexpr double kLineGap = 4;

}  // namespace

ApplicationMenuButton::ApplicationMenuButton(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::NoFocus);  // F10 opens it from the keyboard
    setAttribute(Qt::WA_Hover);
    setToolTip(QStringLiteral("Tavrun menu (F10)"));
    setAccessibleName(QStringLiteral("Tavrun menu"));
}

void ApplicationMenuButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (underMouse() || isDown()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(getColor(65, 98, 255, isDown() ? 0.25 : 0.12));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }
    painter.setPen(QPen(getColor(79, 79, 98, 1), 1.5, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre = QRectF(rect()).center();
    for (const double dy : {-kLineGap, 0.0, kLineGap}) {
        painter.drawLine(QPointF(centre.x() - kLineWidth / 2, centre.y() + dy),
                         QPointF(centre.x() + kLineWidth / 2, centre.y() + dy));
    }
}

}  // namespace shell
