#include "ui-kit/backgrounds/SortSelectBgView.h"

#include "ui-kit/HoverArea.h"
#include "ui-kit/Palette.h"

#include <QMouseEvent>
#include <QPainter>

#include <limits>

SortSelectBgView::SortSelectBgView(QWidget* parent) : QWidget(parent) {
    new kit::HoverArea(
        this, [this] { mouseChanged(true); }, [this] { mouseChanged(false); });
}

int SortSelectBgView::intValue(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        value =
            std::min<long long>(value * 10 + (text.at(i).unicode() - u'0'), std::numeric_limits<int>::max());
    }
    return static_cast<int>(negative ? -value : value);
}

void SortSelectBgView::mouseChanged(bool inside) {
    isMouseIn_ = inside;
    if (delegate_) {
        delegate_->mouseInView(inside, intValue(identifier_));
    }
    update();
}

void SortSelectBgView::paintEvent(QPaintEvent* /*event*/) {
    if (isMouseIn_) {
        QPainter(this).fillRect(rect(), kit::blue());
    }
}

void SortSelectBgView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (delegate_) {
        delegate_->selectSortType(this);
    }
}
