#pragma once

#include <QWidget>

// A window without a title bar for dialogs that draw their whole look themselves: borderless, transparent
// around what its views paint, and movable by dragging anywhere on its background. Closing it tells
// windowWillClose() once per close, however the close was asked for (a close from inside that hook, or a
// second close, does not start another).
class PopBaseWindow : public QWidget {
    Q_OBJECT

public:
    explicit PopBaseWindow(QWidget* parent = nullptr);

protected:
    // Subclasses end their modal run or tell their owner here.
    virtual void windowWillClose() {}
    // Back from the Dock: the transparent window is repainted from its content.
    virtual void windowDidDeminiaturize();

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool closing_ = false;
};
