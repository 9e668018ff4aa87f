#pragma once

#include <QRectF>
#include <QWidget>

namespace kit {
class HoverArea;
}

class DiskListViewDelegate {
public:
    virtual ~DiskListViewDelegate() = default;
    virtual void doSelectDisk() {}
    virtual void mouseInView() {}
    virtual void mouseOutView() {}
};

// The ground of one tile of the disk picker: a pale rounded highlight under the pointer; entry, exit and
// clicks go to the tile's controller (not owned; its owner clears it).
class DiskListView : public QWidget {
    Q_OBJECT

public:
    explicit DiskListView(QWidget* parent = nullptr);
    ~DiskListView() override;
    DiskListView(const DiskListView&) = delete;
    DiskListView& operator=(const DiskListView&) = delete;

    DiskListViewDelegate* diskViewDelegate() const { return delegate_; }
    void setDiskViewDelegate(DiskListViewDelegate* delegate) { delegate_ = delegate; }
    bool mouseIn() const { return mouseIn_; }

    // The highlight, in the tile's Cocoa coordinates.
    static QRectF highlightRect();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    kit::HoverArea* hoverArea_ = nullptr;
    DiskListViewDelegate* delegate_ = nullptr;
    bool mouseIn_ = false;
};
