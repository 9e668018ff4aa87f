#include "app/disk-tool/FormatTypeViewController.h"

#include "app/disk-tool/FormatTypeVCDelegate.h"
#include "ui-kit/HoverArea.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/getColor.h"

#include <QLabel>

namespace {

const std::array<QString, 4> kTypeTexts{QStringLiteral("ExFAT"), QStringLiteral("MS-DOS FAT32"),
                                        QStringLiteral("Journaled HFS+"), QStringLiteral("APFS")};

}  // namespace

FormatTypeViewController::FormatTypeViewController(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    for (size_t i = 0; i < views_.size(); ++i) {
        const int index = static_cast<int>(i);
        auto* row = new SortSelectBgView(this);
        row->setIdentifier(QString::number(index));
        row->setGeometry(0, index * kRowHeight, static_cast<int>(kViewSize.width()), kRowHeight);
        views_[i] = row;
        labels_[i] = kit::addLabel(row, QRectF(12, 0, kViewSize.width() - 16, kRowHeight), {.pixelSize = 12});
        labels_[i]->setText(kTypeTexts[i]);
        labels_[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    awakeFromNib();
}

FormatTypeViewController::~FormatTypeViewController() {
    trackingArea_.reset();  // no pointer notices while the rows go
    for (SortSelectBgView* row : views_) {
        row->setDelegate(nullptr);
    }
}

void FormatTypeViewController::awakeFromNib() {
    for (SortSelectBgView* row : views_) {
        row->setDelegate(this);
    }
    trackingArea_ = std::make_unique<kit::HoverArea>(
        this, [this] { mouseEntered(); }, [this] { mouseExited(); });
}

QString FormatTypeViewController::typeText(int index) {
    return index >= 0 && index < static_cast<int>(kTypeTexts.size()) ? kTypeTexts[static_cast<size_t>(index)]
                                                                     : QString();
}

void FormatTypeViewController::mouseEntered() {
    if (delegate_) {
        delegate_->mouseEixtView(false);
    }
}

void FormatTypeViewController::mouseExited() {
    if (delegate_) {
        delegate_->mouseEixtView(true);
    }
}

void FormatTypeViewController::selectSortType(SortSelectBgView* row) {
    if (delegate_) {
        delegate_->selectFormatbyType(SortSelectBgView::intValue(row->identifier()));
    }
}

void FormatTypeViewController::mouseInView(bool inside, int tag) {
    if (!inside) {
        for (QLabel* label : labels_) {
            kit::setTextColor(label, kit::darkText());
        }
    } else if (tag >= 0 && tag < static_cast<int>(labels_.size())) {
        kit::setTextColor(labels_[static_cast<size_t>(tag)], getColor(255, 255, 255, 1));
    }
}
