#pragma once

#include "platform/CancelFlag.h"

#include <QFont>
#include <QPointer>
#include <QSizeF>
#include <QStringList>
#include <QWidget>

#include <optional>

class AidProgress;
class QLabel;
class QStandardItemModel;
class QTableView;
class ShowAidVCDelegate;
class TextImageButton;

// The First Aid output window: one table row per piece of tool output (however many lines it holds), a bar
// that shows the run running, without a percentage (how long a check takes is not known), until the value
// 101 marks the end and fills it, a header that then gives the verdict, and "Complete", usable only from
// then on. "Stop" asks the running tool to end through the run's cancel flag; the end value follows once
// it has. Main thread only: the screen hands the tool's output over from its First Aid
// thread in the order it came. The hosting window (`superDelegate`) and the delegate are not owned.
class ShowAidViewControllrt : public QWidget {
    Q_OBJECT

public:
    static constexpr QSizeF kViewSize{520, 400};
    static constexpr float kEndValue = 101.0f;
    static constexpr double kTextWidth = 450.0;

    explicit ShowAidViewControllrt(QWidget* parent = nullptr);

    void changeShowOutPut(const QString& text);
    void setProgressValue(float value);
    // The header's text once the run has ended.
    void showVerdict(const QString& verdict);
    void completeButAction();
    void closeWindow();
    // The run this window shows; Stop is usable while it runs.
    void setCancelFlag(const platform::CancelFlag& flag);
    void stopButAction();

    int numberOfRowsInTableView() const { return static_cast<int>(allShowStrArr.size()); }
    QString objectValueForRow(int row) const { return allShowStrArr.value(row); }
    double heightOfRow(int row) const;

    // The size the text takes laid out in the font at the width, without padding.
    static QSizeF sizeofString(const QString& text, const QFont& font, double width);
    // A row's height from its text's: at least 20, and 36 for anything over 30 and under 36.
    static double rowHeightForTextHeight(double textHeight);

    QWidget* superDelegate() const { return superDelegate_; }
    void setSuperDelegate(QWidget* window) { superDelegate_ = window; }
    ShowAidVCDelegate* delegate() const { return delegate_; }
    void setDelegate(ShowAidVCDelegate* delegate) { delegate_ = delegate; }
    QTableView* showTableView() const { return showTableView_; }
    TextImageButton* completeBut() const { return completeBut_; }
    TextImageButton* stopBut() const { return stopBut_; }
    AidProgress* progress() const { return progress_; }
    QLabel* iconImageView() const { return iconImageView_; }
    QLabel* nodeLabel() const { return nodeLabel_; }

private:
    void awakeFromNib();

    QStringList allShowStrArr;
    QTableView* showTableView_ = nullptr;
    QStandardItemModel* rows_ = nullptr;
    TextImageButton* completeBut_ = nullptr;
    TextImageButton* stopBut_ = nullptr;
    AidProgress* progress_ = nullptr;
    QPointer<QWidget> superDelegate_;
    ShowAidVCDelegate* delegate_ = nullptr;
    QLabel* iconImageView_ = nullptr;
    QLabel* nodeLabel_ = nullptr;
    std::optional<platform::CancelFlag> cancel_;
};
