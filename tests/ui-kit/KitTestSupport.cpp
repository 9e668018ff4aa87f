#include "tests/ui-kit/KitTestSupport.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <cstdlib>

namespace kittest {

QImage render(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QColor pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

bool sameColor(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

void hover(QWidget* widget, bool inside) {
    if (inside) {
        QTest::mouseMove(widget, widget->rect().center());
    } else {
        QTest::mouseMove(widget->window(), QPoint(widget->window()->width() - 1, widget->window()->height() - 1));
    }
    QCoreApplication::processEvents();
}

QString saveScreenshot(const QImage& image, const QString& name) {
    const QString folder = testsupport::buildDir() + QStringLiteral("/screenshots/ui-kit");
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    image.save(path);
    return path;
}

}  // namespace kittest
