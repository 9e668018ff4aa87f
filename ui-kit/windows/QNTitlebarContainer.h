#pragma once

#include <QPointer>
#include <QWidget>

// The strip at the top of a TCImageWindow that holds the title-bar view; dragging it moves the window,
// except in full screen.
class QNTitlebarContainer : public QWidget {
    Q_OBJECT

public:
    explicit QNTitlebarContainer(QWidget* window);

    QWidget* titleBarView() const { return titleBarView_; }
    // Takes the view into the container, filling it and following its size.
    void setTitleBarView(QWidget* view);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPointer<QWidget> titleBarView_;
};
