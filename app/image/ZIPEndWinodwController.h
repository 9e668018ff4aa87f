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

// The outcome of an image or archive job, in one of two views: success ("Done", and a link that shows the
// image or archive in the file browser and leaves the window open) or failure (the message and "Cancel").
// Either button and the window's close button close the window and end its modal run.
class ZIPEndWinodwController : public QObject {
    Q_OBJECT

public:
    // The phrase of the success text that is drawn in the kit's blue.
    static inline const QString kLinkPhrase = QStringLiteral("the copy on the destination drive.");

    ZIPEndWinodwController();
    ~ZIPEndWinodwController() override;
    ZIPEndWinodwController(const ZIPEndWinodwController&) = delete;
    ZIPEndWinodwController& operator=(const ZIPEndWinodwController&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    // True shows the failure view, false the success view.
    void showFaile(bool failed);
    void setOpenLabel();
    void openPathButtonAction();
    void closeWindow();
    void failCancelButtonAction();
    void succCancelButtonAction();

    // Tests see what the link would show instead of a file browser starting; an empty function restores it.
    static void setRevealForTesting(std::function<bool(const QString& path)> reveal);

    QWidget* sucView() const { return sucView_; }
    QWidget* failView() const { return failView_; }
    QLabel* openLabel() const { return openLabel_; }
    KVHandButton* openButton() const { return openButton_; }
    TextImageButton* failCancelButton() const { return failCancelButton_; }
    TextImageButton* succCancelButton() const { return succCancelButton_; }
    QLabel* errorLabel() const { return errorLabel_; }
    const QString& openUrl() const { return openUrl_; }
    void setOpenUrl(const QString& url) { openUrl_ = url; }

private:
    void loadWindow();
    void windowDidLoad();
    QWidget* addView(const QString& title);

    std::unique_ptr<TCImageWindow> window_;
    QWidget* sucView_ = nullptr;
    QWidget* failView_ = nullptr;
    QLabel* openLabel_ = nullptr;
    KVHandButton* openButton_ = nullptr;
    TextImageButton* failCancelButton_ = nullptr;
    TextImageButton* succCancelButton_ = nullptr;
    QLabel* errorLabel_ = nullptr;
    QString openUrl_;
};
