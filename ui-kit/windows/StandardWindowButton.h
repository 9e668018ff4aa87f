#pragma once

#include <QAbstractButton>

#include <functional>

namespace kit {

// The window's own close, minimise and zoom buttons, which the window server draws on a Mac: a coloured
// circle each, grey while the window is not active or the button is disabled. A click runs the button's
// action, which the window sets (performClose and its siblings) and a window controller may replace (its
// closeWindow).
class StandardWindowButton : public QAbstractButton {
    Q_OBJECT

public:
    enum Kind { Close = 0, Miniaturize = 1, Zoom = 2 };

    static constexpr QSizeF kSize{14, 16};
    // Where the system puts the button in a window `frameHeight` high, in the window's Cocoa coordinates.
    static QRectF systemFrame(Kind kind, double frameHeight);

    StandardWindowButton(Kind kind, QWidget* parent);
    Kind kind() const { return kind_; }
    void setAction(std::function<void()> action) { action_ = std::move(action); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
    std::function<void()> action_;
};

}  // namespace kit
