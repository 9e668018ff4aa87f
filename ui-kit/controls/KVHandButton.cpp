#include "ui-kit/controls/KVHandButton.h"

#include "ui-kit/HoverArea.h"

KVHandButton::KVHandButton(QWidget* parent) : QPushButton(parent) {
    new kit::HoverArea(
        this, [this] { setCursor(Qt::PointingHandCursor); }, [this] { setCursor(Qt::ArrowCursor); });
}
