#pragma once

#include <QWidget>

class SelectBgViewDelegate {
public:
    virtual ~SelectBgViewDelegate() = default;
    virtual void mouseInSelectBgView(bool /*inside*/) {}
    virtual void mouseDownAction() {}
};

// The ground of a source or destination panel: paints nothing, reports the pointer's entry and exit (once
// each) and clicks to the panel (not owned; its owner clears it).
class SelectBgView : public QWidget {
    Q_OBJECT

public:
    explicit SelectBgView(QWidget* parent = nullptr);

    SelectBgViewDelegate* delegate() const { return delegate_; }
    void setDelegate(SelectBgViewDelegate* delegate) { delegate_ = delegate; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    SelectBgViewDelegate* delegate_ = nullptr;
};
