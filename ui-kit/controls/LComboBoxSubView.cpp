#include "ui-kit/controls/LComboBoxSubView.h"

#include <QMouseEvent>

LComboBoxSubView::LComboBoxSubView(QWidget* parent) : QWidget(parent) {}

void LComboBoxSubView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (delegate_) {
        delegate_->doSelect();
    }
}
