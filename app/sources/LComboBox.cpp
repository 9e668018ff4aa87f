#include "app/sources/LComboBox.h"

#include "app/sources/LComboBoxDelegate.h"
#include "ui-kit/CocoaGeometry.h"
#include "ui-kit/Labels.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/TCImageButton.h"

#include <QLabel>

namespace {

// The combo's layout, in its Cocoa coordinates.
constexpr QRectF kIconFrame{10, 7, 16, 16};
constexpr QRectF kTextFrame{34, 6, 140, 18};
constexpr QRectF kSearchFrame{182, 7, 16, 16};
constexpr QRectF kOpenFrame{210, 9, 12, 12};

}  // namespace

LComboBox::LComboBox(QWidget* parent) : QWidget(parent) {
    resize(kViewSize.toSize());
    view_ = new LComboBoxSubView(this);
    view_->setGeometry(rect());
    iconImageView_ = new kit::ImageControl(view_, kit::ImageControl::Role::View);
    iconImageView_->setAttribute(Qt::WA_TransparentForMouseEvents);
    kit::setCocoaFrame(iconImageView_, kIconFrame);
    strLabel_ = kit::addLabel(view_, kTextFrame, {.pixelSize = 13, .clickThrough = true});
    searchButton_ = new kit::ImageControl(view_);
    searchButton_->setImageName(QStringLiteral("ic_search"));
    kit::setCocoaFrame(searchButton_, kSearchFrame);
    searchButton_->hide();
    openButton_ = new TCImageButton(view_);
    kit::setCocoaFrame(openButton_, kOpenFrame);
    connect(openButton_, &QAbstractButton::clicked, this, &LComboBox::openMenu);
    connect(searchButton_, &QAbstractButton::clicked, this, &LComboBox::searchButtonAction);
    view_->setDelegate(this);
}

LComboBox::~LComboBox() {
    view_->setDelegate(nullptr);
}

void LComboBox::setStrLabelValue(const QString& text) {
    iconImageView_->setImageName(QStringLiteral("ic_filter"));
    strLabel_->setText(text);
    searchButton_->hide();
    isCanOpen_ = false;
    openButton_->setButtonEnabled(false);
    openButton_->setImageFromFileNormalName(QStringLiteral("ic_open"), QStringLiteral("ic_open_press"),
                                            QStringLiteral("ic_open_hover"),
                                            QStringLiteral("ic_open_disable"));
}

void LComboBox::setlComboBoxEnde(bool canOpen) {
    isCanOpen_ = canOpen;
    openButton_->setButtonEnabled(canOpen);
}

void LComboBox::doSelect() {
    if (isCanOpen_) {
        openMenu();
    }
}

void LComboBox::openMenu() {
    if (lconboBoxDelegate_) {
        lconboBoxDelegate_->showSelectAllVC();
    }
}

void LComboBox::searchButtonAction() {
    if (lconboBoxDelegate_) {
        lconboBoxDelegate_->doShowSearchView();
    }
}

void LComboBox::changeSelectType(quint64 choice) {
    iconImageView_->setImageName(QStringLiteral("ic_filter"));
    if (choice != 0) {
        strLabel_->setText(QStringLiteral("Copy Some Files"));
        searchButton_->show();
        return;
    }
    strLabel_->setText(QStringLiteral("Copy All Files"));
    searchButton_->hide();
    if (lconboBoxDelegate_) {
        lconboBoxDelegate_->changeSelectCopyType();
    }
}
