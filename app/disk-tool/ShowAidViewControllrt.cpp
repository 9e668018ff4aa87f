#include "app/disk-tool/ShowAidViewControllrt.h"

#include "app/disk-tool/ShowAidVCDelegate.h"
#include "app/sources/DialogParts.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/NamedImage.h"
#include "ui-kit/controls/AidProgress.h"
#include "ui-kit/controls/ControlParts.h"
#include "ui-kit/controls/DialogKeys.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/TROverlayScrollView.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>
#include <limits>

namespace {

// The layout, in the view's Cocoa coordinates.
constexpr QRectF kIconFrame{25, 344, 32, 32};
constexpr QRectF kNodeFrame{70, 338, 425, 44};
constexpr QRectF kTableFrame{25, 108, 470, 220};
constexpr QRectF kProgressFrame{25, 84, 470, 8};
constexpr QRectF kStopFrame{240, 22, 120, 36};
constexpr QRectF kCompleteFrame{375, 22, 120, 36};

constexpr int kFontSize = 12;
// A tool that writes a huge piece, or one without line feeds, still gives a row the table can show.
constexpr qsizetype kRowCharacters = 600;
constexpr int kRowLines = 12;

QString bounded(const QString& row) {
    qsizetype cut = std::min(row.size(), kRowCharacters);
    int lines = 1;
    for (qsizetype i = 0; i < cut; ++i) {
        if (row[i] == u'\n' && ++lines > kRowLines) {
            cut = i;
        }
    }
    return cut < row.size() ? row.left(cut) + u'…' : row;
}

}  // namespace

ShowAidViewControllrt::ShowAidViewControllrt(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    iconImageView_ = new QLabel(this);
    iconImageView_->setPixmap(kit::NamedImage::imageNamed(QStringLiteral("ic_repair_disk")).pixmap());
    kit::setCocoaFrame(iconImageView_, kIconFrame);
    nodeLabel_ = kit::addLabel(this, kNodeFrame, {.pixelSize = 13});
    nodeLabel_->setWordWrap(true);
    nodeLabel_->setText(
        QStringLiteral("First Aid is checking the volume. Keep the disk connected until it has "
                       "finished."));

    showTableView_ = new QTableView(this);
    rows_ = new QStandardItemModel(0, 1, showTableView_);
    showTableView_->setModel(rows_);
    showTableView_->horizontalHeader()->hide();
    showTableView_->verticalHeader()->hide();
    showTableView_->horizontalHeader()->setStretchLastSection(true);
    showTableView_->setShowGrid(false);
    showTableView_->setWordWrap(true);
    showTableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    showTableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    showTableView_->setFont(kit::systemFont(kFontSize));
    showTableView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    kit::setCocoaFrame(showTableView_, kTableFrame);
    TROverlayScrollView::installOn(showTableView_);

    progress_ = new AidProgress(this);
    kit::setCocoaFrame(progress_, kProgressFrame);
    stopBut_ = kit::addImageButton(this, kStopFrame, QStringLiteral("btn_sec"), QStringLiteral("Stop"));
    stopBut_->setButtonEnabled(false);
    completeBut_ =
        kit::addImageButton(this, kCompleteFrame, QStringLiteral("btn_pri"), QStringLiteral("Complete"));
    awakeFromNib();
}

void ShowAidViewControllrt::awakeFromNib() {
    allShowStrArr.clear();
    completeBut_->setButtonEnabled(false);
    connect(completeBut_, &QAbstractButton::clicked, this, &ShowAidViewControllrt::completeButAction);
    connect(stopBut_, &QAbstractButton::clicked, this, &ShowAidViewControllrt::stopButAction);
    kit::DialogKeys::install(this, {completeBut_}, {completeBut_});
    progress_->changeProgressValue(1.0f);
}

void ShowAidViewControllrt::changeShowOutPut(const QString& text) {
    QString row = text;
    if (row.endsWith(u'\n')) {
        row.chop(1);
    }
    row = bounded(row);
    allShowStrArr.append(row);
    auto* item = new QStandardItem(row);  // owned by the model
    item->setEditable(false);
    rows_->appendRow(item);
    const int last = numberOfRowsInTableView() - 1;
    showTableView_->setRowHeight(last, static_cast<int>(heightOfRow(last)));
    showTableView_->scrollToBottom();
}

void ShowAidViewControllrt::setProgressValue(float value) {
    // A count of pieces says nothing of how far a check has come: the bar only shows that it runs.
    progress_->setRunning(value != kEndValue);
    if (value == kEndValue) {
        progress_->changeProgressValue(100.0f);
        completeBut_->setButtonEnabled(true);
        stopBut_->setButtonEnabled(false);
        cancel_.reset();
    }
}

void ShowAidViewControllrt::showVerdict(const QString& verdict) {
    nodeLabel_->setText(verdict);
}

void ShowAidViewControllrt::setCancelFlag(const platform::CancelFlag& flag) {
    cancel_ = flag;
    stopBut_->setButtonEnabled(true);
    progress_->setRunning(true);  // from the start, before the tool has said anything
}

void ShowAidViewControllrt::stopButAction() {
    if (cancel_) {
        cancel_->request();
    }
    stopBut_->setButtonEnabled(false);
}

void ShowAidViewControllrt::completeButAction() {
    closeWindow();
    if (delegate_) {
        delegate_->closeShowAidWindow();
    }
}

void ShowAidViewControllrt::closeWindow() {
    if (superDelegate_) {
        superDelegate_->close();
    }
}

double ShowAidViewControllrt::heightOfRow(int row) const {
    const QSizeF size = sizeofString(objectValueForRow(row), kit::systemFont(kFontSize), kTextWidth);
    return rowHeightForTextHeight(size.height());
}

QSizeF ShowAidViewControllrt::sizeofString(const QString& text, const QFont& font, double width) {
    const QRectF bounds(0, 0, width, std::numeric_limits<float>::max());
    return QFontMetricsF(font).boundingRect(bounds, Qt::TextWordWrap, text).size();
}

double ShowAidViewControllrt::rowHeightForTextHeight(double textHeight) {
    if (textHeight > 30.0 && textHeight < 36.0) {
        return 36.0;
    }
    return std::max(textHeight, 20.0);
}
