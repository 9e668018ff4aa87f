#pragma once

#include <QWidget>

class LComboBoxSubViewDelegate {
public:
    virtual ~LComboBoxSubViewDelegate() = default;
    virtual void doSelect() {}
};

// The clickable body of the copy-type combo: a click tells the delegate (not owned; its owner clears it).
class LComboBoxSubView : public QWidget {
    Q_OBJECT

public:
    explicit LComboBoxSubView(QWidget* parent = nullptr);

    LComboBoxSubViewDelegate* delegate() const { return delegate_; }
    void setDelegate(LComboBoxSubViewDelegate* delegate) { delegate_ = delegate; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    LComboBoxSubViewDelegate* delegate_ = nullptr;
};
