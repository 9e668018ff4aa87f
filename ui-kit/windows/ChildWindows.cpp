#include "ui-kit/windows/ChildWindows.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace kit {

namespace {

// Lives as a QObject child of the parent window, so it goes when the parent goes.
class ChildLink : public QObject {
    Q_OBJECT

public:
    ChildLink(QWidget* parent, QWidget* child) : QObject(parent), parent_(parent), child_(child) {
        lastParentPos_ = parent->pos();
        parent->installEventFilter(this);
        connect(child, &QObject::destroyed, this, &QObject::deleteLater);
        if (QWindow* parentHandle = windowHandle(parent)) {
            if (QWindow* childHandle = windowHandle(child)) {
                childHandle->setTransientParent(parentHandle);
            }
        }
    }
    ChildLink(const ChildLink&) = delete;
    ChildLink& operator=(const ChildLink&) = delete;

    QWidget* child() const { return child_; }

    // Takes effect at once; the link object itself goes on the next pass of the event loop.
    void detach() {
        parent_->removeEventFilter(this);
        if (child_ && child_->windowHandle()) {
            child_->windowHandle()->setTransientParent(nullptr);
        }
        child_ = nullptr;
        deleteLater();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        QWidget* child = child_;
        if (watched != parent_ || !child) {
            return false;
        }
        switch (event->type()) {
            case QEvent::Move: {
                const QPoint delta = parent_->pos() - lastParentPos_;
                lastParentPos_ = parent_->pos();
                child->move(child->pos() + delta);
                break;
            }
            case QEvent::Hide:
                hiddenWithParent_ = child->isVisible();
                child->hide();
                break;
            case QEvent::Show:
                if (hiddenWithParent_) {
                    hiddenWithParent_ = false;
                    child->show();
                }
                break;
            default:
                break;
        }
        return false;
    }

private:
    static QWindow* windowHandle(QWidget* window) {
        window->winId();  // creates the native window, so that it can take a transient parent
        return window->windowHandle();
    }

    QWidget* parent_;
    QPointer<QWidget> child_;
    QPoint lastParentPos_;
    bool hiddenWithParent_ = false;
};

ChildLink* linkFor(const QWidget* parent, const QWidget* child) {
    for (ChildLink* link : parent->findChildren<ChildLink*>(Qt::FindDirectChildrenOnly)) {
        if (link->child() && link->child() == child) {
            return link;
        }
    }
    return nullptr;
}

}  // namespace

void ChildWindows::addChildWindow(QWidget* parent, QWidget* child) {
    if (!parent || !child || parent == child || linkFor(parent, child)) {
        return;
    }
    new ChildLink(parent, child);
}

void ChildWindows::removeChildWindow(QWidget* parent, QWidget* child) {
    if (!parent) {
        return;
    }
    if (ChildLink* link = linkFor(parent, child)) {
        link->detach();
    }
}

QList<QWidget*> ChildWindows::childWindows(const QWidget* parent) {
    QList<QWidget*> children;
    for (ChildLink* link : parent->findChildren<ChildLink*>(Qt::FindDirectChildrenOnly)) {
        if (link->child()) {
            children.append(link->child());
        }
    }
    return children;
}

}  // namespace kit

#include "ChildWindows.moc"
