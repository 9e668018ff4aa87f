#pragma once

#include <QObject>
#include <QString>

#include <memory>

class CancelTextImageButton;
class QLabel;
class QWidget;
class TCImageWindow;
class TextImageButton;

namespace bootable {

// What the clone's two questions share: a clear window, movable by its background, with a title, a message
// and two buttons: the safe answer, the one that leaves the disks as they are, is the default, drawn
// "btn_pri" on the right, and both Return and Escape give it; the other is drawn "btn_sec" on the left.
// Either button and the window's close button close the window and end its modal run; what else a button
// does is the subclass's.
class ConfirmWindow : public QObject {
    Q_OBJECT

public:
    enum class SafeAnswer { Cancel, Done };

    ConfirmWindow(QString title, QString message, QString cancelTitle, QString doneTitle, SafeAnswer safe);
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

    const QString title_;
    const QString message_;
    const QString cancelTitle_;
    const QString doneTitle_;
    const SafeAnswer safe_;
    std::unique_ptr<TCImageWindow> window_;
    QLabel* titleLabel_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    CancelTextImageButton* cancelButton_ = nullptr;
    TextImageButton* doneButton_ = nullptr;
};

}  // namespace bootable
