#pragma once

#include "platform/CancelFlag.h"

#include <QPointer>
#include <QSizeF>
#include <QWidget>

#include <optional>

class TextImageButton;

// Shown while a format runs; the screen closes it when the command has ended. "Stop" asks the running tool
// to end through the format's cancel flag, so a hung erase never holds the window for good. The hosting
// window is not owned.
class FormatingViewController : public QWidget {
    Q_OBJECT

public:
    static constexpr QSizeF kViewSize{360, 150};

    explicit FormatingViewController(QWidget* parent = nullptr);

    void closeWindow();
    // The format this view shows; Stop is usable until it is pressed.
    void setCancelFlag(const platform::CancelFlag& flag);
    void stopButAction();

    QWidget* superDelegate() const { return superDelegate_; }
    void setSuperDelegate(QWidget* window) { superDelegate_ = window; }
    TextImageButton* stopBut() const { return stopBut_; }

private:
    QPointer<QWidget> superDelegate_;
    TextImageButton* stopBut_ = nullptr;
    std::optional<platform::CancelFlag> cancel_;
};
