#include "ui-kit/NamedImage.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

// The resources live in a static library: their registration has to be pulled in by a call (outside any
// namespace, as Q_INIT_RESOURCE declares the registration function where it stands).
static void initImageResources() {
    Q_INIT_RESOURCE(images);
}

namespace kit {

namespace {

QHash<QString, NamedImage>& cache() {
    static auto* images = new QHash<QString, NamedImage>;  // never destroyed: the process may exit without Qt
    return *images;
}

}  // namespace

NamedImage NamedImage::imageNamed(const QString& name) {
    static const bool initialised = (initImageResources(), true);
    Q_UNUSED(initialised);
    if (name.isEmpty()) {
        return {};
    }
    if (auto found = cache().constFind(name); found != cache().constEnd()) {
        return *found;
    }
    NamedImage image;
    const QString svgPath = QStringLiteral(":/images/%1.svg").arg(name);
    if (QFile::exists(svgPath)) {
        QSvgRenderer renderer(svgPath);
        const QSizeF size = renderer.defaultSize();
        const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
        QPixmap pixmap((size * ratio).toSize());
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(QPointF(0, 0), size));
        painter.end();
        image = NamedImage(name, pixmap, size);
    }
    cache().insert(name, image);  // a missing name is remembered as missing
    return image;
}

void NamedImage::draw(QPainter& painter, const QRectF& target) const {
    draw(painter, target, QRectF(QPointF(0, 0), size_));
}

void NamedImage::draw(QPainter& painter, const QRectF& target, const QRectF& source) const {
    if (isNull()) {
        return;
    }
    const qreal ratio = pixmap_.devicePixelRatio();
    const QRectF pixels(source.topLeft() * ratio, source.size() * ratio);
    painter.drawPixmap(target, pixmap_, pixels);
}

}  // namespace kit
