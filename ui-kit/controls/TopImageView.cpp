#include "ui-kit/controls/TopImageView.h"

#include "ui-kit/windows/WindowMover.h"

TopImageView::TopImageView(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    new kit::WindowMover(this);
}
