#include "ui-kit/tables/KVNSTableView.h"

#include "platform/NotificationCenter.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/NamedImage.h"
#include "ui-kit/tables/CustomHeaderView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QTimer>

#include <algorithm>

namespace {

const QString kSpacePreviewFile = QStringLiteral("SpacePreviewFile");

void postSpacePreviewFile() {
    platform::NotificationCenter::defaultCenter().post(kSpacePreviewFile);
}

QLabel* imageView(QWidget* parent, const QString& name) {
    auto* view = new QLabel(parent);
    view->setPixmap(kit::NamedImage::imageNamed(name).pixmap());
    view->setScaledContents(true);
    return view;
}

}  // namespace

KVNSTableView::KVNSTableView(QWidget* parent) : QTableView(parent), header_(new kit::CustomHeaderView(this)) {
    setHorizontalHeader(header_);
    header_->setStretchLastSection(true);
    verticalHeader()->hide();
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    _setupHeaderCell();
}

KVNSTableView::~KVNSTableView() = default;

void KVNSTableView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    _setupHeaderCell();
}

void KVNSTableView::_setupHeaderCell() {
    header_->setupHeaderCells();
    header_->setFixedHeight(kHeaderHeight);
}

void KVNSTableView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        postSpacePreviewFile();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void KVNSTableView::pressureChangeWithEvent(int stage) {
    if (stage != kForceClickStage || isClicking_) {
        return;
    }
    isClicking_ = true;
    postSpacePreviewFile();
    QTimer::singleShot(kForceClickRearmMs, this, [this] { mouseUp(); });
}

void KVNSTableView::mouseUp() {
    isClicking_ = false;
}

void KVNSTableView::mouseReleaseEvent(QMouseEvent* event) {
    mouseUp();
    QTableView::mouseReleaseEvent(event);
}

float KVNSTableView::getLableHight() {
    // The user's first preferred language ("AppleLanguages"), in any of the forms it is written in
    // ("de-Latn-DE", "de-DE", "de"): so German matches "de", and only Brazilian Portuguese "pt-BR".
    const QLocale first(QLocale().uiLanguages().value(0));
    static const QStringList longer = {QStringLiteral("de"), QStringLiteral("fr"), QStringLiteral("es"),
                                       QStringLiteral("it"), QStringLiteral("pt-BR")};
    const QStringList forms = first.uiLanguages();
    const bool isLonger =
        std::any_of(forms.begin(), forms.end(), [](const QString& form) { return longer.contains(form); });
    return isLonger ? 40.0f : 25.0f;
}

QRect KVNSTableView::nodeViewFrame() const {
    const QSize table = viewport()->size();
    // The placeholder's coordinates are Cocoa's: the hint stands on the middle line, not below it.
    return kit::cocoaRect(QRectF(table.width() / 2 - 200, table.height() / 2, 400, 50), table.height())
        .toRect();
}

void KVNSTableView::changeNoValue(bool hasValues) {
    if (hasValues) {
        noValueView_.reset();
        nodeView_ = nullptr;
        background_ = nullptr;
        return;
    }
    if (noValueView_) {
        return;
    }
    noValueView_ = std::make_unique<QWidget>(viewport());
    noValueView_->setGeometry(viewport()->rect());
    background_ = imageView(noValueView_.get(), QStringLiteral("bg_150"));
    background_->setObjectName(QStringLiteral("bg_150"));
    background_->setGeometry(noValueView_->rect());

    nodeView_ = new QWidget(noValueView_.get());
    nodeView_->setGeometry(nodeViewFrame());
    // The arrow and the label are laid out in the node view's own Cocoa coordinates (y up).
    const qreal nodeHeight = nodeView_->height();
    QLabel* arrow = imageView(nodeView_, QStringLiteral("arrow"));
    arrow->setObjectName(QStringLiteral("arrow"));
    arrow->setGeometry(kit::cocoaRect({0, 0, 82, 39}, nodeHeight).toRect());
    auto* label = new QLabel(nodeView_);
    label->setObjectName(QStringLiteral("label"));
    label->setGeometry(kit::cocoaRect({82, 0, 420, getLableHight()}, nodeHeight).toRect());
    label->setFont(kit::systemFont(14));
    QPalette grey = label->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    label->setPalette(grey);
    noValueView_->show();
}

void KVNSTableView::changeFrame() {
    if (nodeView_) {
        nodeView_->setGeometry(nodeViewFrame());
    }
}

bool KVNSTableView::viewportEvent(QEvent* event) {
    // The placeholder and its image follow the table's size; the arrow and label wait for changeFrame().
    if (event->type() == QEvent::Resize && noValueView_) {
        noValueView_->setGeometry(viewport()->rect());
        background_->setGeometry(noValueView_->rect());
    }
    return QTableView::viewportEvent(event);
}
