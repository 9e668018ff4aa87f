#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class KVHandButton;
class QLabel;
class QWidget;
class TCImageWindow;
class TextImageButton;

// The outcome of a copy, in one of two views: success ("Done", and a link that opens the destination
// folder and leaves the window open) or failure (the message and "Cancel"). Either button and the window's
// close button close the window and end its modal run.
class CopySorFWindowController : public QObject {
    Q_OBJECT

public:
    // The phrase of the success text that is drawn as a link.
    static inline const QString kLinkPhrase = QStringLiteral("the copy on the destination drive.");

    CopySorFWindowController();
    ~CopySorFWindowController() override;
    CopySorFWindowController(const CopySorFWindowController&) = delete;
    CopySorFWindowController& operator=(const CopySorFWindowController&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    // True shows the failure view, false the success view.
    void showFaile(bool failed);
    // Draws the link phrase of the success text in the kit's blue.
    void setOpenLabel();
    void openPathButtonAction();
    void closeWindow();
    void failCancelButtonAction();
    void succCancelButtonAction();

    // Tests see what the link would open instead of a file browser starting; an empty function restores it.
    static void setOpenFolderForTesting(std::function<bool(const QString& folder)> open);

    TextImageButton* failCancelButton() const { return failCancelButton_; }
    TextImageButton* succCancelButton() const { return succCancelButton_; }
    KVHandButton* openButton() const { return openButton_; }
    QWidget* failView() const { return failView_; }
    QWidget* sucView() const { return sucView_; }
    QLabel* openLabel() const { return openLabel_; }
    QLabel* errorLable() const { return errorLable_; }
    const QString& openUrl() const { return openUrl_; }
    void setOpenUrl(const QString& url) { openUrl_ = url; }

private:
    void loadWindow();
    void windowDidLoad();
    QWidget* addView(const QString& title);

    std::unique_ptr<TCImageWindow> window_;
    TextImageButton* failCancelButton_ = nullptr;
    TextImageButton* succCancelButton_ = nullptr;
    KVHandButton* openButton_ = nullptr;
    QWidget* failView_ = nullptr;
    QWidget* sucView_ = nullptr;
    QLabel* openLabel_ = nullptr;
    QString openUrl_;
    QLabel* errorLable_ = nullptr;
};
