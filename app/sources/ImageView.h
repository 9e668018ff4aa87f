#pragma once

#include "ui-kit/NamedImage.h"

#include <QString>
#include <QWidget>

namespace sources {

// An image view: one named image scaled into the view. The name stays readable, so that what a view shows
// can be asked by name.
class ImageView : public QWidget {
    Q_OBJECT

public:
    explicit ImageView(QWidget* parent = nullptr);
    void setImageName(const QString& name);
    const QString& imageName() const { return image_.name(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    kit::NamedImage image_;
};

}  // namespace sources
