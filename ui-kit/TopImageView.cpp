#include "ui-kit/TopImageView.h"

#include "ui-kit/WindowMover.h"

TopImageView::TopImageView(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    new WindowMover(this);  // owned by the view
}
