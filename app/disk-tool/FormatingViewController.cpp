#include "app/disk-tool/FormatingViewController.h"

#include "app/disk-tool/DialogParts.h"

#include <QLabel>

FormatingViewController::FormatingViewController(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    disktool::addLabel(this, QRectF(30, 70, 300, 28), 16, disktool::textColor(), true)
        ->setText(QStringLiteral("Formatting…"));
    QLabel* note = disktool::addLabel(this, QRectF(30, 24, 300, 40), 12, disktool::textColor(0.8));
    note->setWordWrap(true);
    note->setText(QStringLiteral("Please wait, and keep the disk connected until the format has finished."));
}

void FormatingViewController::closeWindow() {
    if (superDelegate_) {
        superDelegate_->close();
    }
}
