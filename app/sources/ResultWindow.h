#pragma once

#include "app/sources/DialogParts.h"

#include <QObject>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class KVHandButton;
class QLabel;
class QWidget;
class TCImageWindow;
class TextImageButton;

namespace sources {

// The outcome of a job, in one of two views that the owner chooses before the window runs: success (its
// text and "Done") or failure (the message, the job's reason below it where there is one, and "Cancel").
// Until then both views are hidden. Either button and the window's close button close the window and end
// its modal run. A success text can hold a link: its phrase drawn in the kit's blue under a button with the
// pointing hand, which shows the result and leaves the window open.
class ResultWindow : public QObject {
    Q_OBJECT

public:
    // The phrase of a success text that is drawn as a link.
    static inline const QString kLinkPhrase = QStringLiteral("the copy on the destination drive.");

    ~ResultWindow() override;
    ResultWindow(const ResultWindow&) = delete;
    ResultWindow& operator=(const ResultWindow&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    // True shows the failure view, false the success view; then a success text of more than ten characters
    // gets its link phrase drawn in the kit's blue.
    void showFaile(bool failed);
    // The failure view with `message` and, below it, `reason` (the job's own words: each of its lines, up to
    // the layout's `reasonLines`, elided in the middle; whole in its tool tip); no reason when it is empty.
    void showFailure(const QString& message, const QString& reason = QString());
    void setOpenLabel();
    // The link: shows the result; where it cannot, the success text says where the result is.
    void openPathButtonAction();
    void closeWindow();
    void failCancelButtonAction();
    void succCancelButtonAction();

    TextImageButton* failCancelButton() const { return failCancelButton_; }
    TextImageButton* succCancelButton() const { return succCancelButton_; }
    KVHandButton* openButton() const { return openButton_; }
    QWidget* failView() const { return failView_; }
    QWidget* sucView() const { return sucView_; }
    QLabel* openLabel() const { return openLabel_; }
    QLabel* messageLabel() const { return errorLabel_; }
    QLabel* reasonLabel() const { return reasonLabel_; }
    const QString& openUrl() const { return openUrl_; }
    void setOpenUrl(const QString& url) { openUrl_ = url; }

protected:
    struct Texts {
        QString successTitle;
        QString successText;
        QString failureTitle;
        // The link of the success text: shows the result at the address it is given, false when it could
        // not; then the success text becomes `linkFailedText` (%1: where the result is). Empty: no link.
        std::function<bool(const QString& url)> openLink{};
        QString linkFailedText{};
    };
    // In the content view's Cocoa coordinates; both views fill the content view.
    struct Layout {
        QSizeF contentSize{420, 190};
        TitleBar titleBar = TitleBar::System;
        QRectF titleFrame{30, 136, 360, 26};
        QRectF messageFrame{30, 76, 360, 52};  // the reason's lines lie right below it
        int reasonLines = 1;
        QRectF doneFrame{150, 20, 120, 36};
        QRectF failCancelFrame{150, 20, 120, 36};
    };

    ResultWindow(Texts texts, Layout layout);

    // The subclass's own views, once the shared ones are made.
    virtual void addViews() {}

private:
    void loadWindow();
    void windowDidLoad();
    QWidget* addView(const QString& title);

    const Texts texts_;
    const Layout layout_;
    std::unique_ptr<TCImageWindow> window_;
    TextImageButton* failCancelButton_ = nullptr;
    TextImageButton* succCancelButton_ = nullptr;
    KVHandButton* openButton_ = nullptr;
    QWidget* failView_ = nullptr;
    QWidget* sucView_ = nullptr;
    QLabel* openLabel_ = nullptr;
    QLabel* errorLabel_ = nullptr;
    QLabel* reasonLabel_ = nullptr;
    QString openUrl_;
};

}  // namespace sources
