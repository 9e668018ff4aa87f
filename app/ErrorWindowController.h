#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLabel;
class TCImageWindow;
class TextImageButton;

// The application's one error dialog: a message and a "Done" button in a clear window that moves by its
// background. Pressing "Done" or the window's close button closes the window and ends its modal run.
class ErrorWindowController : public QObject {
    Q_OBJECT

public:
    ErrorWindowController();
    ~ErrorWindowController() override;
    ErrorWindowController(const ErrorWindowController&) = delete;
    ErrorWindowController& operator=(const ErrorWindowController&) = delete;

    // How a screen shows an error: the screen's previous dialog is released, a new one is made, centred,
    // given the message and run modally; this returns when the dialog has closed. The screen keeps the
    // closed dialog in `errorWC` until its next error.
    static void showError(std::unique_ptr<ErrorWindowController>& errorWC, const QString& message);

    // The window, loaded at the first call.
    TCImageWindow* window();
    void changeErrorLabelStr(const QString& text);
    void closeWindow();
    void okButtonAction();

    QLabel* errorLabel() const { return errorLabel_; }
    TextImageButton* okButton() const { return okButton_; }

private:
    void loadWindow();
    void windowDidLoad();

    std::unique_ptr<TCImageWindow> window_;
    QLabel* errorLabel_ = nullptr;
    TextImageButton* okButton_ = nullptr;
};
