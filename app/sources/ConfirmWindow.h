#pragma once

#include "app/sources/DialogParts.h"

#include <QObject>
#include <QString>

#include <memory>

class CancelTextImageButton;
class QLabel;
class QWidget;
class TCImageWindow;
class TextImageButton;

namespace sources {

// What the questions before and during a job share: a clear window, movable by its background, with a
// title, a message, a "btn_sec" button on the left and a "btn_pri" button on the right; Return presses the
// right one and Escape the left. Where one answer is the safe one (it leaves the disks as they are), that
// answer is drawn "btn_pri" on the right and both keys give it. Either button and the window's close button
// close the window and end its modal run; what else a button does is the subclass's.
class ConfirmWindow : public QObject {
    Q_OBJECT

public:
    enum class SafeAnswer { None, Cancel, Done };

    struct Question {
        QString title;
        QString message;
        QString cancelTitle = QStringLiteral("Cancel");
        QString doneTitle;
        qreal contentHeight = 190;  // the message takes what the title and the buttons leave
        TitleBar titleBar = TitleBar::System;
        SafeAnswer safe = SafeAnswer::None;
    };

    explicit ConfirmWindow(Question question);
    ~ConfirmWindow() override;
    ConfirmWindow(const ConfirmWindow&) = delete;
    ConfirmWindow& operator=(const ConfirmWindow&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    void closeWindow();
    virtual void cancelButtonAction() = 0;
    virtual void doneButtonAction() = 0;

    QLabel* titleLabel() const { return titleLabel_; }
    QLabel* messageLabel() const { return messageLabel_; }
    QWidget* titleBarView() const;
    CancelTextImageButton* cancelButton() const { return cancelButton_; }
    TextImageButton* doneButton() const { return doneButton_; }

private:
    void loadWindow();
    void installKeys();

    const Question question_;
    std::unique_ptr<TCImageWindow> window_;
    QLabel* titleLabel_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    CancelTextImageButton* cancelButton_ = nullptr;
    TextImageButton* doneButton_ = nullptr;
};

}  // namespace sources
