#pragma once

#include "ui-kit/NamedImage.h"

#include <QRectF>
#include <QString>

#include <optional>

class NewButton;
class QPainter;
class QWidget;

class NewButtonDelegate {
public:
    virtual ~NewButtonDelegate() = default;
    virtual void clickButtonAction(NewButton* /*cell*/) {}
};

// The cell of a list row that shows an icon and a text label. A click in the row's leading 15 x 30 points
// is reported to the delegate (not owned; its owner clears it), at most once per 0.2 seconds across every
// such cell of the process. Rectangles are in the list's coordinates (flipped, origin top left).
class NewButton {
public:
    static constexpr int kHitNone = 0;
    static constexpr int kHitContentArea = 1;
    static constexpr int kHitTrackableArea = 4;
    static constexpr int kLatchMilliseconds = 200;

    const std::optional<QString>& label() const { return label_; }
    void setLabel(std::optional<QString> label) { label_ = std::move(label); }
    const kit::NamedImage& iconImageCell() const { return icon_; }
    void setIconImageCell(const kit::NamedImage& icon) { icon_ = icon; }
    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }
    NewButtonDelegate* delegate() const { return delegate_; }
    void setDelegate(NewButtonDelegate* delegate) { delegate_ = delegate; }

    static QSizeF _imageSize() { return {800, 22}; }
    static QSizeF _iconImageSzie() { return {18, 18}; }
    // The label's rectangle (empty without a label), and the icon's (empty without an icon).
    QRectF imageRectForBounds(const QRectF& bounds) const;
    QRectF iconImageRectForBounds(const QRectF& bounds) const;

    void drawWithFrame(QPainter& painter, const QRectF& frame, const QWidget* view) const;
    // A press at `point`: the hit flags when it lands in the click area while no click was reported in the
    // last 0.2 seconds (the delegate is then told), else kHitNone.
    int hitTestForEvent(const QPointF& point, const QRectF& cellFrame);
    // Opens the shared latch again.
    static void changeVlaue();

private:
    std::optional<QString> label_;
    kit::NamedImage icon_;
    QString name_;
    NewButtonDelegate* delegate_ = nullptr;
};
