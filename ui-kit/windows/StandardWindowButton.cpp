#include "ui-kit/windows/StandardWindowButton.h"

#include <QPainter>

namespace kit {

QRectF StandardWindowButton::systemFrame(Kind kind, double frameHeight) {
    // 7 points from the left, 6 points apart, centred in the system's 22-point title bar.
    return {7.0 + 20.0 * static_cast<int>(kind), frameHeight - 3 - kSize.height(), kSize.width(),
            kSize.height()};
}

StandardWindowButton::StandardWindowButton(Kind kind, QWidget* parent)
    : QAbstractButton(parent), kind_(kind) {
    resize(kSize.toSize());
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        // The action may close or delete the window, and this button with it: it runs from a copy.
        if (const std::function<void()> action = action_) {
            action();
        }
    });
}

void StandardWindowButton::paintEvent(QPaintEvent* /*event*/) {
    static constexpr QRgb kColors[] = {0xFFFF5F57, 0xFFFEBC2E, 0xFF28C840};
    // Grey while the window is not active, and a button that cannot act is grey too.
    QColor color = window()->isActiveWindow() && isEnabled() ? QColor::fromRgba(kColors[kind_])
                                                             : QColor(0xDC, 0xDC, 0xDC);
    if (isDown()) {
        color = color.darker(125);
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(color.darker(115));
    painter.setBrush(color);
    painter.drawEllipse(QRectF(1.5, 2.5, 11, 11));
}

}  // namespace kit
