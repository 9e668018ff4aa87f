#include "app/disk-tool/DialogParts.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/controls/ButtonLabel.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/getColor.h"

#include <QFontMetrics>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>

namespace disktool {

QColor textColor(double alpha) {
    return getColor(79, 79, 98, static_cast<float>(alpha));
}

QLabel* makeLabel(QWidget* parent, int pixelSize, const QColor& color, bool bold) {
    return kit::makeLabel(parent, kit::systemFont(pixelSize, bold), color);
}

QLabel* addLabel(QWidget* parent, const QRectF& frame, int pixelSize, const QColor& color, bool bold) {
    return kit::addLabel(parent, frame, kit::systemFont(pixelSize, bold), color);
}

QString elidedName(const QString& name, const QFont& font, int width) {
    return QFontMetrics(font).elidedText(name, Qt::ElideMiddle, width);
}

void showWithName(QLabel* label, const QString& pattern, const QString& name) {
    const int rest =
        label->wordWrap() ? 0 : QFontMetrics(label->font()).horizontalAdvance(pattern.arg(QString()));
    label->setText(pattern.arg(elidedName(name, label->font(), label->width() - rest)));
}

QString elidedName(const QString& name) {
    return elidedName(name, kit::systemFont(13), 200);
}

void onEscape(QWidget* dialog, const std::function<void()>& cancel) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Escape), dialog);  // owned by the dialog
    QObject::connect(shortcut, &QShortcut::activated, dialog, cancel);
}

}  // namespace disktool
