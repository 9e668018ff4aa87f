#pragma once

#include "ui-kit/controls/LComboBoxSubView.h"

#include <QSizeF>
#include <QString>
#include <QWidget>

class LComboBoxDelegate;
class QLabel;
class TCImageButton;
namespace kit {
class ImageControl;
}  // namespace kit

// The copy-type combo under a screen's source panel (232 x 30 points): says what the job takes from the
// source, "Copy All Files" (type 0) or "Copy Some Files" (type 1). A click anywhere on it, or on its
// drop-down button, asks the screen to open the chooser, but only while the combo may open
// (`setlComboBoxEnde`); in the chosen-set mode a search button beside it asks the screen to open the file
// list. The delegate is the screen (not owned).
class LComboBox : public QWidget, public LComboBoxSubViewDelegate {
    Q_OBJECT

public:
    static constexpr QSizeF kViewSize{232, 30};

    explicit LComboBox(QWidget* parent = nullptr);
    ~LComboBox() override;
    LComboBox(const LComboBox&) = delete;
    LComboBox& operator=(const LComboBox&) = delete;

    // The first set-up: the text, no search button, closed for opening.
    void setStrLabelValue(const QString& text);
    void setlComboBoxEnde(bool canOpen);
    void doSelect() override;
    void openMenu();
    void searchButtonAction();
    // Type 0 reads "Copy All Files" and tells the screen; any other reads "Copy Some Files" and shows the
    // search button.
    void changeSelectType(quint64 choice);

    bool isCanOpen() const { return isCanOpen_; }
    LComboBoxDelegate* lconboBoxDelegate() const { return lconboBoxDelegate_; }
    void setLconboBoxDelegate(LComboBoxDelegate* delegate) { lconboBoxDelegate_ = delegate; }
    LComboBoxSubView* view() const { return view_; }
    TCImageButton* openButton() const { return openButton_; }
    kit::ImageControl* searchButton() const { return searchButton_; }
    kit::ImageControl* iconImageView() const { return iconImageView_; }
    QLabel* strLabel() const { return strLabel_; }

private:
    LComboBoxSubView* view_ = nullptr;
    QLabel* strLabel_ = nullptr;
    TCImageButton* openButton_ = nullptr;
    kit::ImageControl* searchButton_ = nullptr;
    kit::ImageControl* iconImageView_ = nullptr;
    bool isCanOpen_ = false;
    LComboBoxDelegate* lconboBoxDelegate_ = nullptr;
};
