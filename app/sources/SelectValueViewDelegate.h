#pragma once

#include "services/files/FileNode.h"

#include <QtGlobal>

class QObject;
class QWidget;

// What a source or destination panel tells the screen that owns it. `diskFrom` is the panel's number: 1 the
// source, 2 the destination.
class SelectValueViewDelegate {
public:
    virtual ~SelectValueViewDelegate() = default;
    // The user clicked the panel or its drive icon; `control` is the drive icon, where the screen anchors
    // the disk picker's popover.
    virtual void selectDiskButton(qint32 /*diskFrom*/, QWidget* /*control*/) {}
    // The user pressed the panel's close button.
    virtual void closeDiskValue(qint32 /*diskFrom*/) {}
    // Files or folders were dropped on the panel: one checked root per item, in drop order (possibly none).
    virtual void viewDragAction(const SharedFileNodeList& /*roots*/) {}
    virtual void selectFileButtonAction(QObject* /*sender*/) {}
};
