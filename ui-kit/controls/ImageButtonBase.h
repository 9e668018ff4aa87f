#pragma once

#include "ui-kit/NamedImage.h"

#include <QAbstractButton>
#include <QRectF>

namespace kit {

class HoverArea;

// What the kit's image buttons share: images chosen by state, hover tracking and a usable flag of their
// own. The flag (`setButtonEnabled`) is separate from QWidget's enabled state, which it leaves alone; a
// button switched off by it shows its switched-off look and cannot be activated by any path: a press,
// a release that ends a press begun earlier, the keyboard or a shortcut. A button is usable when both
// flags allow it. Geometry is Qt's (origin top left), which is also the Cocoa button's, as buttons are
// flipped views.
class ImageButtonBase : public QAbstractButton {
    Q_OBJECT

public:
    enum class State { Normal, Pressed, Hover, SwitchedOff };

    explicit ImageButtonBase(QWidget* parent = nullptr);

    void setButtonEnabled(bool enabled);
    bool buttonEnabled() const { return isDisabled_; }  // the original's name means "usable"
    bool isUsable() const { return isEnabled() && isDisabled_; }
    bool isFocus() const { return isFocus_; }
    void setIsFocus(bool focus) { isFocus_ = focus; }  // does not redraw
    bool isTracking() const { return isTracking_; }
    State state() const;

    const NamedImage& normalImage() const { return normalImage_; }
    const NamedImage& activeImage() const { return activeImage_; }
    const NamedImage& hoverImage() const { return hoverImage_; }
    const NamedImage& disableImage() const { return disableImage_; }
    // The image each state draws: pressed the active one, hover the hover one, switched off the disable one.
    const NamedImage& stateImage(State state) const;
    QRectF dstRect() const { return dstRect_; }
    QRectF srcRect() const { return srcRect_; }

protected:
    // Loads the images by name, places them at the origin at their own size, starts hover tracking and
    // redraws. A name that no resource has gives a null image.
    void loadImages(const QString& normal, const QString& active, const QString& hover,
                    const QString& disable);
    // Tells a subclass that the state may have changed, before the redraw (label colours follow the state).
    virtual void stateChanged() {}
    void refresh();
    // The system's own button look, for a button whose images were never loaded.
    void paintPlainButton(QPainter& painter);

    // The state's image drawn from its source part into the destination rectangle; the system look when the
    // images were never loaded.
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

    NamedImage normalImage_;
    NamedImage activeImage_;
    NamedImage hoverImage_;
    NamedImage disableImage_;
    QRectF dstRect_;
    QRectF srcRect_;

private:
    // The events that could press the button: a switched-off button swallows them.
    static bool isActivation(const QEvent* event);

    bool isTracking_ = false;
    bool isFocus_ = false;
    bool isDisabled_ = true;
    HoverArea* hoverArea_ = nullptr;
};

}  // namespace kit
