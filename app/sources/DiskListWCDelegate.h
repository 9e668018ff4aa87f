#pragma once

#include "services/files/FileNode.h"

#include <QtGlobal>

// What the file list window tells the screen that opened it, on the main thread.
class DiskListWCDelegate {
public:
    virtual ~DiskListWCDelegate() = default;
    // The user pressed "Done": `roots` is the chosen tree (the screen's from now on; the list made it from
    // its own copy) and `total` the bytes of what is checked in it. A window closed any other way tells
    // nothing.
    virtual void closeWindowWithSelect(const SharedFileNodeList& /*roots*/, qint64 /*total*/) {}
};
