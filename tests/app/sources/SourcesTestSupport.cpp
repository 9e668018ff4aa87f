#include "tests/app/sources/SourcesTestSupport.h"

#include "tests/support/kit/KitTestSupport.h"

#include <QDeadlineTimer>
#include <QPainter>
#include <QTest>

namespace sourcestest {

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(10);
    }
    return true;
}

QString screenshot(QWidget* widget, const QString& name) {
    QImage image(widget->size() + QSize(40, 40), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0x8A, 0x8F, 0x99));
    QPainter painter(&image);
    painter.drawImage(QPoint(20, 20), widget->grab().toImage());
    painter.end();
    return kittest::saveScreenshot(image, name, QStringLiteral("sources"));
}

}  // namespace sourcestest
