#pragma once

#include "platform/NotificationCenter.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>
#include <QRectF>

#include <memory>

class TCWindowButtonGroup;
class QWindow;

// An image button that can take the place of a title-bar window's close, minimise, zoom or full-screen
// button. It shows one of five images: pressed while held down; roll-over while enabled and the pointer is
// over any button of its group; active or active-not-key by its window's key status while enabled; inactive
// while disabled. The pointer counts as over the button within 4 points of its edge. Setting an image does
// not redisplay; the next state change shows it.
class TCWindowButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr double kTrackingMargin = 4;

    static std::unique_ptr<TCWindowButton> windowButtonWithSize(const QSizeF& size,
                                                                const QString& groupIdentifier);
    TCWindowButton(const QSizeF& size, const QString& groupIdentifier, QWidget* parent = nullptr);
    ~TCWindowButton() override;
    TCWindowButton(const TCWindowButton&) = delete;
    TCWindowButton& operator=(const TCWindowButton&) = delete;

    const QString& groupIdentifier() const { return groupIdentifier_; }
    // Looked up at each use.
    TCWindowButtonGroup* group() const;

    QPixmap activeImage() const { return activeImage_; }
    void setActiveImage(const QPixmap& image) { activeImage_ = image; }
    QPixmap activeNotKeyWindowImage() const { return activeNotKeyWindowImage_; }
    void setActiveNotKeyWindowImage(const QPixmap& image) { activeNotKeyWindowImage_ = image; }
    QPixmap inactiveImage() const { return inactiveImage_; }
    void setInactiveImage(const QPixmap& image) { inactiveImage_ = image; }
    QPixmap rolloverImage() const { return rolloverImage_; }
    void setRolloverImage(const QPixmap& image) { rolloverImage_ = image; }
    // Shown while the button is held down.
    QPixmap pressedImage() const { return pressedImage_; }
    void setPressedImage(const QPixmap& image) { pressedImage_ = image; }
    // The image shown when the button is not held down.
    QPixmap image() const { return image_; }

    void updateRollOverImage();
    void updateImage();
    void updateActiveImage();

    // The area the pointer is tracked in, in the button's own coordinates.
    QRectF mouseTrackingArea() const { return mouseTrackingArea_; }

protected:
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setImage(const QPixmap& image);
    void updateTrackingAreas();
    void viewWillMoveToWindow();
    void trackPointer(const QPointF& globalPosition, bool inWindow);
    void mouseEntered();
    void mouseExited();
    void windowWillEnterFullScreen();
    void windowWillExitFullScreen();

    QString groupIdentifier_;
    QPixmap activeImage_;
    QPixmap activeNotKeyWindowImage_;
    QPixmap inactiveImage_;
    QPixmap rolloverImage_;
    QPixmap pressedImage_;
    QPixmap image_;
    QRectF mouseTrackingArea_;
    bool pointerInside_ = false;
    QPointer<QWidget> observedWindow_;
    QPointer<QWindow> observedHandle_;
    platform::NotificationCenter::Token groupObserver_;
};
