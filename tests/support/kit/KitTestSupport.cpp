#include "tests/support/kit/KitTestSupport.h"

#include "tests/support/TestEnv.h"

#include "ui-kit/NamedImage.h"
#include "ui-kit/windows/ModalRun.h"

#include <QAbstractButton>
#include <QDir>
#include <QEnterEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace kittest {

QImage render(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QColor pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

bool sameColor(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

QColor imageColor(const QString& name, QPoint at) {
    return kit::NamedImage::imageNamed(name).pixmap().toImage().pixelColor(at);
}

bool showsImageColor(QWidget* widget, QPoint at, const QString& image, int tolerance) {
    return sameColor(pixel(render(widget), at.x(), at.y()), imageColor(image, at), tolerance);
}

void hover(QWidget* widget, bool inside) {
    if (inside) {
        QTest::mouseMove(widget, widget->rect().center());
    } else {
        QTest::mouseMove(widget->window(),
                         QPoint(widget->window()->width() - 1, widget->window()->height() - 1));
    }
    QCoreApplication::processEvents();
}

QString saveScreenshot(const QImage& image, const QString& name, const QString& folder) {
    const QString dir = testsupport::buildDir() + QStringLiteral("/screenshots/") + folder;
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    // Two suites may write the kit's contact sheet at the same time: each writes it whole.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && image.save(&file, "PNG")) {
        file.commit();
    }
    return path;
}

QString saveOnDesktop(QWidget* window, const QString& name, const QString& folder) {
    QImage image(window->size() + QSize(40, 40), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0x8A, 0x8F, 0x99));
    QPainter painter(&image);
    painter.drawImage(QPoint(20, 20), window->grab().toImage());
    painter.end();
    return saveScreenshot(image, name, folder);
}

void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

bool isRunning(QWidget* window) {
    return window != nullptr && window->isVisible() && kit::ModalRun::isRunning(window);
}

void ContactSheet::add(const QString& caption, const QImage& image) {
    entries_.append({caption, image});
}

void ContactSheet::addScreenshotsIn(const QString& folder, const QStringList& skip) {
    const QDir dir(folder);
    for (const QString& file : dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
        const QString name = QFileInfo(file).completeBaseName();
        const QImage image(dir.filePath(file));
        if (!skip.contains(name) && !image.isNull()) {
            add(name, image);
        }
    }
}

QImage ContactSheet::compose(int width) const {
    constexpr int kGap = 16;
    constexpr int kCaption = 18;
    // First pass places the tiles in rows; the second paints them.
    QList<QPoint> origins;
    int x = kGap;
    int y = kGap;
    int rowHeight = 0;
    for (const auto& [caption, image] : entries_) {
        const int tileWidth = std::max(image.width(), 120);
        if (x + tileWidth + kGap > width && x > kGap) {
            x = kGap;
            y += rowHeight + kCaption + kGap;
            rowHeight = 0;
        }
        origins.append({x, y});
        x += tileWidth + kGap;
        rowHeight = std::max(rowHeight, image.height());
    }
    QImage sheet(width, y + rowHeight + kCaption + kGap, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xE4, 0xE6, 0xEB));
    QPainter painter(&sheet);
    QFont font;
    font.setPixelSize(11);
    painter.setFont(font);
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        const auto& [caption, image] = entries_[i];
        painter.drawImage(origins[i], image);
        painter.setPen(QColor(0x40, 0x40, 0x50));
        painter.drawText(QRect(origins[i].x(), origins[i].y() + image.height() + 2,
                               std::max(image.width(), 120), kCaption),
                         Qt::AlignLeft | Qt::AlignTop, caption);
    }
    return sheet;
}

}  // namespace kittest
