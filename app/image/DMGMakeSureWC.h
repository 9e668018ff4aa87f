#pragma once

#include <QObject>

#include <memory>

class CancelTextImageButton;
class DMGMakeSureWCDelegate;
class QLabel;
class QWidget;
class TCImageWindow;
class TextImageButton;

// The question before a disk image or archive: "Cancel" or the window's close button ends it with nothing
// started; "Create Image" closes it and then tells the delegate (not owned) to begin.
class DMGMakeSureWC : public QObject {
    Q_OBJECT

public:
    DMGMakeSureWC();
    ~DMGMakeSureWC() override;
    DMGMakeSureWC(const DMGMakeSureWC&) = delete;
    DMGMakeSureWC& operator=(const DMGMakeSureWC&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    void closeWindow();
    void cancelButtonAction();
    void doneButtonAction();

    CancelTextImageButton* cancelButton() const { return cancelButton_; }
    TextImageButton* doneButton() const { return doneButton_; }
    DMGMakeSureWCDelegate* delegate() const { return delegate_; }
    void setDelegate(DMGMakeSureWCDelegate* delegate) { delegate_ = delegate; }

private:
    void loadWindow();
    void windowDidLoad();

    std::unique_ptr<TCImageWindow> window_;
    CancelTextImageButton* cancelButton_ = nullptr;
    TextImageButton* doneButton_ = nullptr;
    DMGMakeSureWCDelegate* delegate_ = nullptr;
};
