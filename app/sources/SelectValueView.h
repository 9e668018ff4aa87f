#pragma once

#include "services/files/FileNode.h"
#include "ui-kit/backgrounds/SelectBgView.h"
#include "ui-kit/controls/DragView.h"

#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class SelectValueViewDelegate;
class SizeView;
class TCImageButton;
namespace kit {
class ImageControl;
}  // namespace kit

// The panel that shows one end of a job, the source or the destination (320 x 200 points): a name line, a
// size line, a drive or folder icon and a close button over a background image that follows hover,
// selection and error, and a drop area for files and folders. It chooses nothing itself: a click asks the
// screen (its delegate, not owned), which opens the disk picker and fills the labels and the icon itself.
//
// Empty (`isHaveD` false), its background is "source", "source_hover" under the pointer; showing a value it
// is "source_sel", or "source_sel_error" while the screen marks an error. With `isCanSelect` false the
// panel is frozen: clicks, hovers, drops, the close button and background changes are ignored. A screen
// removes the drop area of a destination panel with `delete panel->dragVie()`.
class SelectValueView : public QWidget, public SelectBgViewDelegate, public DragViewDelegate {
    Q_OBJECT

public:
    static constexpr QSizeF kViewSize{320, 200};

    explicit SelectValueView(QWidget* parent = nullptr);
    ~SelectValueView() override;
    SelectValueView(const SelectValueView&) = delete;
    SelectValueView& operator=(const SelectValueView&) = delete;

    void selectDiskButton(QObject* sender);
    void openMenuButtonAction(QObject* sender);
    void mouseDownAction() override;
    void closeDiskValue(QObject* sender);
    // Paths dropped on the panel, as the drop area hands them over.
    void viewDragAction(const QStringList& paths) override;
    void selectFileButtonAction(QObject* sender) override;
    void mouseInSelectBgView(bool inside) override;
    void changeBgImageViewWithError(bool error);
    // Screens call it after setting the prompts; the panel has nothing to change.
    void setOpenIcon() {}

    // One checked root per dropped path, in order, less the names volumes keep for the system: a folder
    // with size 0 (the screen totals it later), anything else with its own size.
    static FileNodeList eumeArr(const QStringList& paths);
    // An item's own data size; 0 when it cannot be read.
    static quint64 getOneFileSizeWithPath(const QString& path);

    SelectValueViewDelegate* delegate() const { return delegate_; }
    void setDelegate(SelectValueViewDelegate* delegate) { delegate_ = delegate; }
    qint32 diskFrom() const { return diskFrom_; }
    void setDiskFrom(qint32 diskFrom) { diskFrom_ = diskFrom; }
    bool isHaveD() const { return isHaveD_; }
    void setIsHaveD(bool haveValue) { isHaveD_ = haveValue; }
    bool isCanSelect() const { return isCanSelect_; }
    void setIsCanSelect(bool canSelect) { isCanSelect_ = canSelect; }
    SelectBgView* view() const { return view_; }
    SizeView* proSizeView() const { return proSizeView_; }
    QLabel* nameLabel() const { return nameLabel_; }
    QLabel* sizeLabel() const { return sizeLabel_; }
    kit::ImageControl* selectDiskBut() const { return selectDiskBut_; }
    TCImageButton* closeDisk() const { return closeDisk_; }
    // Null once a screen has removed it.
    DragView* dragVie() const { return dragVie_; }
    kit::ImageControl* imageView() const { return imageView_; }
    kit::ImageControl* bgImageView() const { return bgImageView_; }

private:
    void awakeFromNib();

    SelectBgView* view_ = nullptr;
    SizeView* proSizeView_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    kit::ImageControl* selectDiskBut_ = nullptr;
    TCImageButton* closeDisk_ = nullptr;
    QPointer<DragView> dragVie_;
    qint32 diskFrom_ = 0;
    kit::ImageControl* imageView_ = nullptr;
    bool isHaveD_ = false;
    kit::ImageControl* bgImageView_ = nullptr;
    bool isCanSelect_ = false;
    SelectValueViewDelegate* delegate_ = nullptr;
};
