#include "ui-kit/controls/DragView.h"

#include "platform/LogCategories.h"
#include "platform/MacPath.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

DragView::DragView(QWidget* parent) : QWidget(parent) {
    setAcceptDrops(true);
}

void DragView::viewDragAction(const QStringList& paths) {
    if (delegate_) {
        delegate_->viewDragAction(paths);
    }
}

QStringList DragView::droppedPaths(const QMimeData* data) {
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            continue;
        }
        if (const auto path = platform::macPath(url.toLocalFile())) {
            paths.append(*path);
        } else {
            qCWarning(lcUiKit) << "dropped file outside the Mac left out:" << url.toLocalFile();
        }
    }
    return paths;
}

bool DragView::carriesImage(const QMimeData* data) {
    return (data->hasImage() && !data->imageData().isNull()) ||
           !data->data(QStringLiteral("image/tiff")).isEmpty();
}

void DragView::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    const bool takes = !droppedPaths(mime).isEmpty() || carriesImage(mime);
    // The drop only reads names, so it asks the source for a copy.
    if (takes && (event->possibleActions() & Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void DragView::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (const QStringList paths = droppedPaths(mime); !paths.isEmpty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        viewDragAction(paths);
    } else if (carriesImage(mime)) {
        // An image is taken but not kept.
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        const bool emptyImage = mime->hasImage() || mime->hasFormat(QStringLiteral("image/tiff"));
        qCWarning(lcUiKit) << (emptyImage ? "Error: MyNSView performDragOperation zPasteboardData == nil"
                                          : "Error MyNSView performDragOperation");
        event->ignore();
    }
    update();
}

void DragView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
