#pragma once

#include <QPushButton>

namespace shell {

// The title-bar button that opens the application menu in the main window, where the desktop shows no
// global menu bar: the usual three-line glyph, lit under the pointer and while its menu is open.
class ApplicationMenuButton : public QPushButton {
    Q_OBJECT

public:
    explicit ApplicationMenuButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace shell
