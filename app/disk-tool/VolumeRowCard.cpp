#include "app/disk-tool/VolumeRowCard.h"

#include "app/disk-tool/VolumeCommands.h"
#include "app/sources/DialogParts.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/NamedImage.h"
#include "ui-kit/Palette.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/DiskSizeProgress.h"
#include "ui-kit/controls/TextImageButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QTextDocument>

namespace disktool {
namespace {

// In Qt coordinates from the card's top edge: a row is 48 or 88 points high and the views keep their
// distance from the top, so a 48-point row shows the upper part and the selected 88-point row the buttons
// too. The size and the bar keep their distance from the right edge.
constexpr QRect kIconFrame{24, 8, 32, 32};
constexpr QRect kNameFrame{68, 5, 330, 20};
constexpr QRect kTypeFrame{68, 25, 200, 16};
constexpr QRect kEditFrame{68, 3, 300, 24};
constexpr QRect kSaveFrame{376, 3, 72, 24};
constexpr int kSizeTop = 6;
constexpr int kBarTop = 28;
constexpr int kSizeWidth = 220;
constexpr int kRightMargin = 22;
constexpr int kButtonsTop = 54;
constexpr int kButtonWidth = 72;
constexpr int kButtonStep = 80;
constexpr double kCardInset = 8;  // on both sides, as the card is drawn in a row without a scroll bar

constexpr const char* kIdentifiers[VolumeRowCard::kButtonCount] = {"open",   "mount", "fristaid", "rename",
                                                                   "format", "eject", "save"};

QLabel* rowLabel(QWidget* card, const char* identifier, const QRect& frame, int pixelSize, float alpha) {
    QLabel* label = kit::makeLabel(card, {.pixelSize = pixelSize, .color = kit::darkText(alpha)});
    label->setObjectName(QLatin1String(identifier));
    label->setGeometry(frame);
    return label;
}

// A label's text, shortened in the middle to the label's width, and whole as its tooltip; tooltips take
// markup, so the text is escaped for them.
void showText(QLabel* label, const QString& text) {
    label->setText(sources::elidedName(text, label->font(), label->width()));
    label->setToolTip(Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap));
}

QString iconName(const VolumeObj& volume) {
    if (volume.bCanEject) {
        return QStringLiteral("ic_repair_usb");
    }
    return volume.volumeMountPoint == u"/" ? QStringLiteral("ic_repair_os")
                                           : QStringLiteral("ic_repair_disk");
}

}  // namespace

VolumeRowCard::VolumeRowCard(QWidget* parent)
    : RepairDiskTableCellView(parent),
      icon_(new QLabel(this)),
      name_(rowLabel(this, "name", kNameFrame, 14, 1)),
      type_(rowLabel(this, "type", kTypeFrame, 12, 0.6f)),
      activity_(rowLabel(this, "activity", kTypeFrame, 12, 1)),
      size_(rowLabel(this, "size", QRect(0, kSizeTop, kSizeWidth, 18), 12, 0.8f)),
      edit_(new QWidget(this)),
      field_(new QLineEdit(edit_)),
      bar_(new DiskSizeProgress(this)) {
    icon_->setGeometry(kIconFrame);
    icon_->setScaledContents(true);
    size_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    kit::setTextColor(activity_, kit::blue());
    activity_->hide();
    edit_->setObjectName(QStringLiteral("editname"));
    edit_->setGeometry(kEditFrame);
    field_->setFont(kit::systemFont(13));
    field_->setGeometry(edit_->rect());
    bar_->setObjectName(QStringLiteral("pro"));
    bar_->setGeometry(0, kBarTop, kSizeWidth, 6);  // its width is the bar's scale
    for (int index = 0; index < kButtonCount; ++index) {
        auto* button = new TextImageButton(this);
        button->setObjectName(QLatin1String(kIdentifiers[index]));
        button->setGeometry(
            index == Save ? kSaveFrame
                          : QRect(kNameFrame.left() + index * kButtonStep, kButtonsTop, kButtonWidth, 24));
        buttons_[static_cast<size_t>(index)] = button;
    }
}

QString VolumeRowCard::identifier(Button button) {
    return QLatin1String(kIdentifiers[button]);
}

void VolumeRowCard::showVolume(const VolumeObj& volume, bool renaming, const QString& activity) {
    icon_->setPixmap(kit::NamedImage::imageNamed(iconName(volume)).pixmap());
    showText(name_, volume.volumeName);
    name_->setVisible(!renaming);
    showText(type_, volume.diskType);
    showText(activity_, activity);
    type_->setVisible(activity.isEmpty());
    activity_->setVisible(!activity.isEmpty());
    showText(size_, sizeText(volume));
    field_->setText(volume.volumeName);
    edit_->setVisible(renaming);
    bar_->changeProgressValue(usedPercent(volume));
}

QList<kit::DrawnShape> VolumeRowCard::backgroundShapes(const QSizeF& size) const {
    QList<kit::DrawnShape> shapes = RepairDiskTableCellView::backgroundShapes(size);
    for (kit::DrawnShape& shape : shapes) {
        shape.rect.setWidth(size.width() - 2 * kCardInset);
    }
    // The table draws its rows' backgrounds at a fixed width: beside a scroll bar they would show round the
    // narrower card, so the card lies on the table's white.
    shapes.prepend(kit::DrawnShape::fill(QRectF(QPointF(), size), 0, QColor(Qt::white)));
    return shapes;
}

void VolumeRowCard::resizeEvent(QResizeEvent* event) {
    RepairDiskTableCellView::resizeEvent(event);
    const int left = width() - kRightMargin - kSizeWidth;
    size_->move(left, kSizeTop);
    bar_->move(left, kBarTop);
}

}  // namespace disktool
