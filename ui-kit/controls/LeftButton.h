#pragma once

#include "ui-kit/controls/ImageButtonBase.h"

#include <QColor>

class QLabel;

// A tab of the main window's left column: its icon (the selected icon and the "tabon" marker while it is
// the current tab) and a wrapping title below it. Hover and press do not change how it looks.
class LeftButton : public kit::ImageButtonBase {
    Q_OBJECT

public:
    explicit LeftButton(QWidget* parent = nullptr);

    // The normal and the selected icon; the marker "tabon" comes with them.
    void setImageFromFileNormalName(const QString& normal, const QString& active);
    void setTextWithName(const QString& title);
    void setButtonAction(bool current);
    bool isAction() const { return isAction_; }
    const kit::NamedImage& selectImage() const { return selectImage_; }
    QLabel* textField() const { return textField_; }

    static QRectF labelFrame(const QSizeF& bounds, const QString& title);
    static QRectF markerFrame(const QSizeF& bounds);
    static QColor labelColor(bool current);

protected:
    void stateChanged() override;
    void paintEvent(QPaintEvent* event) override;

private:
    kit::NamedImage selectImage_;
    QLabel* textField_ = nullptr;
    bool isAction_ = false;
};
