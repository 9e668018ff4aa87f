#pragma once

#include <QStringList>
#include <QWidget>

class QMimeData;

class DragViewDelegate {
public:
    virtual ~DragViewDelegate() = default;
    virtual void viewDragAction(const QStringList& /*paths*/) {}
    virtual void selectFileButtonAction(QObject* /*sender*/) {}
};

// The drop area of a source panel: takes files and folders dragged from a file manager and hands their
// Mac paths, in drag order, to the delegate (not owned; its owner clears it). A drag that carries local
// files is taken as files even when it also carries an image; a drag of an image alone is taken and
// nobody is told; a drag with neither is refused as it enters, and a drop is only reported when taken.
class DragView : public QWidget {
    Q_OBJECT

public:
    explicit DragView(QWidget* parent = nullptr);

    DragViewDelegate* delegate() const { return delegate_; }
    void setDelegate(DragViewDelegate* delegate) { delegate_ = delegate; }

    // Passes the paths on unchanged; checking them is the delegate's business.
    void viewDragAction(const QStringList& paths);

    // The Mac paths of the drag's local files (those inside the simulated Mac when there is one).
    static QStringList droppedPaths(const QMimeData* data);
    static bool carriesImage(const QMimeData* data);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    DragViewDelegate* delegate_ = nullptr;
};
