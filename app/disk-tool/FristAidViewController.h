#pragma once

#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QWidget>

class FristAidVCDelegate;
class QLabel;
class QPushButton;
class TextImageButton;

// The First Aid confirmation, "Run First Aid on '<name>'?": "Cancel" only closes it; the check button
// (verify) and "Run" (repair) close it first and then tell the delegate. Shown in a modal attached window
// (`superDelegate`, not owned), whose closing ends the modal run. The delegate is not owned either.
class FristAidViewController : public QWidget {
    Q_OBJECT

public:
    static constexpr QSizeF kViewSize{440, 170};

    explicit FristAidViewController(QWidget* parent = nullptr);

    void changeAidDiskName(const QString& name);
    void closeWindow();
    void checkButAction();
    void repaireButAction();

    QWidget* superDelegate() const { return superDelegate_; }
    void setSuperDelegate(QWidget* window) { superDelegate_ = window; }
    FristAidVCDelegate* delegate() const { return delegate_; }
    void setDelegate(FristAidVCDelegate* delegate) { delegate_ = delegate; }
    TextImageButton* cancelBut() const { return cancelBut_; }
    QPushButton* checkBut() const { return checkBut_; }
    TextImageButton* repairBut() const { return repairBut_; }
    QLabel* topLabel() const { return topLabel_; }

private:
    void awakeFromNib();

    TextImageButton* cancelBut_ = nullptr;
    QPushButton* checkBut_ = nullptr;
    TextImageButton* repairBut_ = nullptr;
    QLabel* topLabel_ = nullptr;
    QPointer<QWidget> superDelegate_;
    FristAidVCDelegate* delegate_ = nullptr;
};
