#pragma once

#include <QString>
#include <QWidget>

class SortSelectBgView;

class SortSelectBgViewDelegate {
public:
    virtual ~SortSelectBgViewDelegate() = default;
    virtual void selectSortType(SortSelectBgView* /*row*/) {}
    virtual void mouseInView(bool /*inside*/, int /*tag*/) {}
};

// One row of a small chooser: lights up blue under the pointer and reports entry, exit and clicks with its
// number, which is its identifier read as an integer (leading digits; anything else gives 0). The delegate
// is not owned; its owner clears it before it goes.
class SortSelectBgView : public QWidget {
    Q_OBJECT

public:
    explicit SortSelectBgView(QWidget* parent = nullptr);

    SortSelectBgViewDelegate* delegate() const { return delegate_; }
    void setDelegate(SortSelectBgViewDelegate* delegate) { delegate_ = delegate; }
    const QString& identifier() const { return identifier_; }
    void setIdentifier(const QString& identifier) { identifier_ = identifier; }
    bool isMouseIn() const { return isMouseIn_; }

    // NSString's intValue: optional blanks and sign, then the leading digits; 0 when there are none.
    static int intValue(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void mouseChanged(bool inside);

    SortSelectBgViewDelegate* delegate_ = nullptr;
    QString identifier_;
    bool isMouseIn_ = false;
};
