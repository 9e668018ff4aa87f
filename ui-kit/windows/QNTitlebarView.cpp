#include "ui-kit/windows/QNTitlebarView.h"

#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/windows/TCImageWindow.h"

#include "platform/UserDefaults.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr double kCornerRadius = 16;

}  // namespace

QNTitlebarView::QNTitlebarView(QWidget* parent) : QWidget(parent) {}

QPainterPath QNTitlebarView::titleBarPath(const QRectF& frame) {
    const double minX = frame.left();
    const double maxX = frame.right();
    const double minY = frame.top();  // Cocoa: the bottom edge
    const double maxY = frame.bottom();
    QPainterPath path(QPointF(minX, minY));
    path.lineTo(minX, maxY - kCornerRadius);
    kit::cocoaArc(path, {minX + kCornerRadius, maxY - kCornerRadius}, kCornerRadius, 180, 90);
    path.lineTo(maxX - kCornerRadius, maxY);
    kit::cocoaArc(path, {maxX - kCornerRadius, maxY - kCornerRadius}, kCornerRadius, 90, 0);
    path.lineTo(maxX, minY);
    path.closeSubpath();
    return path;
}

QRectF QNTitlebarView::titleFrame(const QRectF& bounds, const QSizeF& titleSize) {
    return {bounds.x() + bounds.width() * 0.5 - titleSize.width() * 0.5,
            bounds.y() + bounds.height() - titleSize.height() - 2, titleSize.width(), titleSize.height()};
}

void QNTitlebarView::getTitleFrame(QRectF* frame, TitleAttributes* attributes,
                                   const TCImageWindow* window) const {
    const bool main = window->drawsAsMain();
    TitleAttributes result;
    const auto shadow = main ? window->titleTextShadow() : window->inactiveTitleTextShadow();
    if (shadow) {
        result.shadowColor = shadow->color;
        result.shadowOffset = shadow->offset;
        result.shadowBlurRadius = shadow->blurRadius;
    } else {
        result.shadowColor = QColor::fromRgbF(1, 1, 1, 0.5f);
        result.shadowOffset = {0, -1};
        result.shadowBlurRadius = 10;
    }
    const QColor color = main ? window->titleTextColor() : window->inactiveTitleTextColor();
    result.color =
        color.isValid() ? color : QColor::fromRgbF(56.0f / 255, 56.0f / 255, 56.0f / 255, main ? 1.0f : 0.5f);
    result.font = kit::systemFont(13);
    if (frame) {
        const QSizeF size = QFontMetricsF(result.font).size(Qt::TextSingleLine, window->windowTitle());
        *frame = kit::cocoaRect(titleFrame(QRectF(QPointF(0, 0), QSizeF(this->size())), size), height());
    }
    if (attributes) {
        *attributes = result;
    }
}

bool QNTitlebarView::miniaturizeOnDoubleClick() {
    return platform::UserDefaults::objectForKey(QStringLiteral("AppleMiniaturizeOnDoubleClick")).toBool();
}

void QNTitlebarView::paintEvent(QPaintEvent* /*event*/) {
    const auto* window = qobject_cast<const TCImageWindow*>(this->window());
    if (!window) {
        return;
    }
    const bool main = window->drawsAsMain();
    const QRectF bounds(QPointF(0, 0), QSizeF(size()));
    const QPainterPath clip = kit::cocoaPath(titleBarPath(bounds), height());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (window->titleBarDrawingBlock()) {
        window->titleBarDrawingBlock()(painter, main, bounds, clip);
    } else {
        // The default ground is a gradient from the clear colour to the clear colour: nothing shows but
        // the clip, which stays for the title.
        painter.setClipPath(clip);
    }
    if (window->showsTitle() && (!window->isFullScreen() || window->showsTitleInFullscreen())) {
        QRectF frame;
        TitleAttributes attributes;
        getTitleFrame(&frame, &attributes, window);
        painter.setFont(attributes.font);
        // The shadow is drawn at its offset, without blur.
        painter.setPen(attributes.shadowColor);
        painter.drawText(frame.translated(attributes.shadowOffset.x(), -attributes.shadowOffset.y()),
                         Qt::TextSingleLine, window->windowTitle());
        painter.setPen(attributes.color);
        painter.drawText(frame, Qt::TextSingleLine, window->windowTitle());
    }
}

void QNTitlebarView::mousePressEvent(QMouseEvent* event) {
    clickCount_ = 1;
    event->ignore();  // the container moves the window
}

void QNTitlebarView::mouseDoubleClickEvent(QMouseEvent* event) {
    clickCount_ = 2;
    event->ignore();
}

void QNTitlebarView::mouseReleaseEvent(QMouseEvent* event) {
    const bool doubleClick = clickCount_ == 2;
    clickCount_ = 0;
    event->ignore();
    if (!doubleClick || !miniaturizeOnDoubleClick()) {
        return;
    }
    if (auto* titled = qobject_cast<TCImageWindow*>(window())) {
        titled->performMiniaturize();
    } else {
        window()->showMinimized();
    }
}
