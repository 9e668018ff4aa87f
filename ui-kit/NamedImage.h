#pragma once

#include <QPixmap>
#include <QSizeF>
#include <QString>

class QPainter;
class QRectF;

namespace kit {

// An image of the application's resources, found by its documented name ("btn_pri", "btn_pri_hover",
// "ic_close", …): the project's own drawings, compiled into the program as Qt resources. Images are shared:
// each name is drawn once per process, at the screen's pixel density, and handed out as an implicitly shared
// value that remembers the name it was loaded under. A name that no resource has gives a null image.
class NamedImage {
public:
    NamedImage() = default;

    static NamedImage imageNamed(const QString& name);

    bool isNull() const { return pixmap_.isNull(); }
    const QString& name() const { return name_; }
    QSizeF size() const { return size_; }  // in points
    const QPixmap& pixmap() const { return pixmap_; }

    // Draws the whole image, or the part `source` of it (in points), scaled into `target`.
    void draw(QPainter& painter, const QRectF& target) const;
    void draw(QPainter& painter, const QRectF& target, const QRectF& source) const;

private:
    NamedImage(QString name, QPixmap pixmap, QSizeF size)
        : name_(std::move(name)), pixmap_(std::move(pixmap)), size_(size) {}

    QString name_;
    QPixmap pixmap_;
    QSizeF size_;
};

}  // namespace kit
