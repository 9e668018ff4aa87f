#pragma once

#include <QObject>

#include <memory>

class FullDiskAccessViewController;
class QLabel;
class QWidget;
class TCImageWindow;
class TextImageButton;

// The outcome of a clone, in one of two views that the screen chooses before the window runs: success
// ("Done") or failure (the screen's message, "Cancel", and "Check", which opens the Full Disk Access prompt
// on top). Until then both views are hidden. "Done", "Cancel" and the window's close button close the window
// and end its modal run.
class CloneSystemEndWindowController : public QObject {
    Q_OBJECT

public:
    CloneSystemEndWindowController();
    ~CloneSystemEndWindowController() override;
    CloneSystemEndWindowController(const CloneSystemEndWindowController&) = delete;
    CloneSystemEndWindowController& operator=(const CloneSystemEndWindowController&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    // True shows the failure view, false the success view.
    void showFaile(bool failed);
    void failCancelButtonAction();
    void succCancelButtonAction();
    void toCheckFullDiskAccess();
    void closeWindow();

    TextImageButton* failCancelButton() const { return failCancelButton_; }
    TextImageButton* succCancelButton() const { return succCancelButton_; }
    TextImageButton* checkFullButton() const { return checkFullButton_; }
    QWidget* failView() const { return failView_; }
    QWidget* sucView() const { return sucView_; }
    QLabel* errorLable() const { return errorLable_; }
    // The prompt opened last by "Check".
    FullDiskAccessViewController* fullDiskAccessWC() const { return fullDiskAccessWC_.get(); }

private:
    void loadWindow();
    void windowDidLoad();
    QWidget* addView(const QString& title);

    std::unique_ptr<TCImageWindow> window_;
    TextImageButton* failCancelButton_ = nullptr;
    TextImageButton* succCancelButton_ = nullptr;
    TextImageButton* checkFullButton_ = nullptr;
    QWidget* failView_ = nullptr;
    QWidget* sucView_ = nullptr;
    QLabel* errorLable_ = nullptr;
    std::unique_ptr<FullDiskAccessViewController> fullDiskAccessWC_;
};
