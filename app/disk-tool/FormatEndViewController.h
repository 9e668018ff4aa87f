#pragma once

#include <QPointer>
#include <QSizeF>
#include <QWidget>

class QLabel;
class TextImageButton;
namespace disktool {
struct CommandResult;
}

// The closing message of a format, with "OK" (or Escape), which closes it. It says whether the format
// succeeded, failed (with the tool's reason) or was stopped, and what the look at the volume afterwards could
// not confirm; the volume list shows what the disk holds now. The hosting window is not owned.
class FormatEndViewController : public QWidget {
    Q_OBJECT

public:
    static constexpr QSizeF kViewSize{360, 180};

    explicit FormatEndViewController(QWidget* parent = nullptr);

    void changeResult(const disktool::CommandResult& result);
    void closeWindow();

    QWidget* superDelegate() const { return superDelegate_; }
    void setSuperDelegate(QWidget* window) { superDelegate_ = window; }
    TextImageButton* closeButton() const { return closeButton_; }
    QLabel* titleLabel() const { return titleLabel_; }
    QLabel* messageLabel() const { return messageLabel_; }

private:
    void awakeFromNib();

    TextImageButton* closeButton_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    QPointer<QWidget> superDelegate_;
};
