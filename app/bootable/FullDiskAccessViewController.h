#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLabel;
class TCImageWindow;
class TextImageButton;

// Leads the user to the system's Full Disk Access list: its button opens that list in the privacy settings
// (on macOS 10.14 and later, which have it) and closes the prompt; the window's close button only closes it.
class FullDiskAccessViewController : public QObject {
    Q_OBJECT

public:
    static inline const QString kFullDiskAccessURL =
        QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles");

    FullDiskAccessViewController();
    ~FullDiskAccessViewController() override;
    FullDiskAccessViewController(const FullDiskAccessViewController&) = delete;
    FullDiskAccessViewController& operator=(const FullDiskAccessViewController&) = delete;

    // The window, loaded at the first call.
    TCImageWindow* window();
    void openSetView();
    void closeWindow();

    TextImageButton* openButton() const { return openButton_; }

private:
    void loadWindow();
    void awakeFromNib();

    std::unique_ptr<TCImageWindow> window_;
    TextImageButton* openButton_ = nullptr;
};
