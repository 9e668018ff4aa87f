#pragma once

#include "ui-kit/NamedImage.h"

#include <QAbstractButton>
#include <QString>

namespace sources {

// A plain button that is one named image scaled into it (a panel's drive icon, a check box). The name stays
// readable, so that what a button shows can be asked by name.
class ImageButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit ImageButton(QWidget* parent = nullptr);
    void setImageName(const QString& name);
    const QString& imageName() const { return image_.name(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    kit::NamedImage image_;
};

}  // namespace sources
