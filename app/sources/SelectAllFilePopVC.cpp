#include "app/sources/SelectAllFilePopVC.h"

#include "app/sources/SelectAllFileVCDelegate.h"
#include "ui-kit/HoverArea.h"
#include "ui-kit/Labels.h"
#include "ui-kit/Palette.h"
#include "ui-kit/getColor.h"

#include <QLabel>

SelectAllFilePopVC::SelectAllFilePopVC(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    view_1_ = addRow(0, QStringLiteral("Copy All Files"), label_1_);
    view_2_ = addRow(1, QStringLiteral("Copy Some Files"), label_2_);
    awakeFromNib();
}

SelectAllFilePopVC::~SelectAllFilePopVC() {
    trackingArea_.reset();  // no pointer notices while the rows go
    view_1_->setDelegate(nullptr);
    view_2_->setDelegate(nullptr);
}

SortSelectBgView* SelectAllFilePopVC::addRow(int index, const QString& title, QLabel*& label) {
    auto* row = new SortSelectBgView(this);
    row->setIdentifier(QString::number(index));
    row->setGeometry(0, index * kRowHeight, static_cast<int>(kViewSize.width()), kRowHeight);
    label = kit::addLabel(row, QRectF(12, 0, kViewSize.width() - 16, kRowHeight),
                          {.pixelSize = 12, .clickThrough = true});
    label->setText(title);
    return row;
}

void SelectAllFilePopVC::awakeFromNib() {
    view_1_->setDelegate(this);
    view_2_->setDelegate(this);
    trackingArea_ = std::make_unique<kit::HoverArea>(
        this, [this] { mouseEntered(); }, [this] { mouseExited(); }, [](QPointF) {});
}

void SelectAllFilePopVC::mouseEntered() {
    if (delegate_) {
        delegate_->mouseEixtView(false);
    }
}

void SelectAllFilePopVC::mouseExited() {
    if (delegate_) {
        delegate_->mouseEixtView(true);
    }
}

void SelectAllFilePopVC::mouseInView(bool inside, int tag) {
    if (!inside) {
        kit::setTextColor(label_1_, kit::darkText());
        kit::setTextColor(label_2_, kit::darkText());
    } else if (tag == 0) {
        kit::setTextColor(label_1_, getColor(255, 255, 255, 1));
    } else if (tag == 1) {
        kit::setTextColor(label_2_, getColor(255, 255, 255, 1));
    }
}

void SelectAllFilePopVC::selectSortType(SortSelectBgView* row) {
    if (delegate_) {
        delegate_->selectFormatbyType(static_cast<quint64>(SortSelectBgView::intValue(row->identifier())));
    }
}
