#pragma once

#include "app/disk-tool/FormatTypeVCDelegate.h"

#include <QPointF>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <chrono>
#include <memory>

class FormatTypeViewController;
class MakeSureFormatVCDelegate;
class QLabel;
class QLineEdit;
class QPushButton;
class RPAAttachedWindow;
class TextImageButton;

// The format confirmation, "Format '<name>'?": an editable name and the file-system type, which a small
// menu can change (except for an APFS volume). "Continue" hands the name and the type text, unchecked, to
// the delegate and closes; "Cancel" only closes. The menu is a child window of the hosting window
// (`superDelegate`); it closes by itself 3 seconds after it opens unless the pointer has entered it, and
// once entered it stays until the pointer leaves it or a type is chosen. The hosting window and the delegate
// are not owned.
class MakeSureFormatViewController : public QWidget, public FormatTypeVCDelegate {
    Q_OBJECT

public:
    static constexpr QSizeF kViewSize{460, 250};
    // Where the menu hangs, in the hosting window's Cocoa coordinates.
    static constexpr QPointF kMenuPoint{237.0, -15.0};
    static constexpr std::chrono::milliseconds kMenuWait{3000};

    explicit MakeSureFormatViewController(QWidget* parent = nullptr);
    ~MakeSureFormatViewController() override;

    void setName(const QString& name, const QString& type);
    void chengTextStart();
    void okButtonAction();
    void noButtonAction();
    void closeWindow();
    void openMenuAction();
    void closeMattachedWindow();
    void mouseEixtView(bool exited) override;
    void selectFormatbyType(int index) override;

    QWidget* superDelegate() const { return superDelegate_; }
    void setSuperDelegate(QWidget* window) { superDelegate_ = window; }
    MakeSureFormatVCDelegate* delegate() const { return delegate_; }
    void setDelegate(MakeSureFormatVCDelegate* delegate) { delegate_ = delegate; }
    TextImageButton* okButton() const { return okButton_; }
    TextImageButton* noButton() const { return noButton_; }
    QLabel* nameLabel() const { return nameLabel_; }
    QLabel* nodeLabel() const { return nodeLabel_; }
    QLineEdit* nameTextFiled() const { return nameTextFiled_; }
    QLabel* typeLabel() const { return typeLabel_; }
    QLabel* openImageV() const { return openImageV_; }
    QPushButton* typeSelectBut() const { return typeSelectBut_; }
    bool isPopSortWin() const { return isPopSortWin_; }
    FormatTypeViewController* formatTypeVC() const { return formatTypeVC_.get(); }
    RPAAttachedWindow* sortAttachedWindow() const { return sortAttachedWindow_.get(); }

private:
    void awakeFromNib();
    void releaseMenu();

    TextImageButton* okButton_ = nullptr;
    TextImageButton* noButton_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLabel* nodeLabel_ = nullptr;
    QLineEdit* nameTextFiled_ = nullptr;
    QLabel* typeLabel_ = nullptr;
    QLabel* openImageV_ = nullptr;
    QPushButton* typeSelectBut_ = nullptr;
    QPointer<QWidget> superDelegate_;
    bool isPopSortWin_ = false;
    std::unique_ptr<FormatTypeViewController> formatTypeVC_;
    std::unique_ptr<RPAAttachedWindow> sortAttachedWindow_;  // goes before the controller whose view it shows
    MakeSureFormatVCDelegate* delegate_ = nullptr;
    int menuOpenings_ = 0;  // a wait of an earlier opening does not close a later one
};
