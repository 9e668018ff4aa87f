#pragma once

#include <QObject>
#include <QSizeF>
#include <QUrl>

#include <memory>

class KVHandButton;
class QLabel;
class TCImageWindow;

// The About window: the product's name, version, introduction and rights notice, and a link that opens the
// product's web page in the browser while the window stays open. Made anew for each "About" choice and run
// modally; its close button closes it and ends the run.
class TCPreferenceWindowController : public QObject {
    Q_OBJECT

public:
    static constexpr QSizeF kContentSize{650, 300};
    static constexpr double kTitleBarHeight = 22;
    static inline const QUrl kProductURL{QStringLiteral("https://tavrun.example/")};

    TCPreferenceWindowController();
    ~TCPreferenceWindowController() override;
    TCPreferenceWindowController(const TCPreferenceWindowController&) = delete;
    TCPreferenceWindowController& operator=(const TCPreferenceWindowController&) = delete;

    // The window, loaded at the first call; the caller centres it and runs it.
    TCImageWindow* window();
    void setAboutLink();
    void linkButtonAction();
    void closeWindow();

    QLabel* name() const { return name_; }
    QLabel* verson() const { return verson_; }
    QLabel* Introduction() const { return Introduction_; }
    QLabel* copyright() const { return copyright_; }
    KVHandButton* linkButton() const { return linkButton_; }
    QLabel* titleLabel() const { return titleLabel_; }

private:
    void loadWindow();
    void windowDidLoad();

    QLabel* name_ = nullptr;
    QLabel* verson_ = nullptr;
    QLabel* Introduction_ = nullptr;
    QLabel* copyright_ = nullptr;
    KVHandButton* linkButton_ = nullptr;
    std::unique_ptr<TCImageWindow> aWindow;
    QLabel* titleLabel_ = nullptr;
    QWidget* titleBarView = nullptr;
};
