#pragma once

#include <QObject>

#include <memory>

class CancelTextImageButton;
class CopyMakeSureWCDelegate;
class QLabel;
class QWidget;
class TCImageWindow;
class TextImageButton;

// The question before a copy: "Cancel" or the window's close button ends it with nothing started; "Copy Now"
// closes it and then tells the delegate (not owned) to begin.
class CopyMakeSureWC : public QObject {
    Q_OBJECT

public:
    CopyMakeSureWC();
    ~CopyMakeSureWC() override;
    CopyMakeSureWC(const CopyMakeSureWC&) = delete;
    CopyMakeSureWC& operator=(const CopyMakeSureWC&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    void closeWindow();
    void cancelButtonAction();
    void doneButtonAction();

    QLabel* titleLabel() const { return titleLabel_; }
    QWidget* titleBarView() const;
    CancelTextImageButton* cancelButton() const { return cancelButton_; }
    TextImageButton* doneButton() const { return doneButton_; }
    CopyMakeSureWCDelegate* delegate() const { return delegate_; }
    void setDelegate(CopyMakeSureWCDelegate* delegate) { delegate_ = delegate; }

private:
    void loadWindow();
    void windowDidLoad();

    std::unique_ptr<TCImageWindow> window_;
    QLabel* titleLabel_ = nullptr;
    CancelTextImageButton* cancelButton_ = nullptr;
    TextImageButton* doneButton_ = nullptr;
    CopyMakeSureWCDelegate* delegate_ = nullptr;
};
