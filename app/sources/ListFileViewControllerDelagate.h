#pragma once

#include "services/files/FileNode.h"

#include <QtGlobal>

// What the file list tells its host window; every call is made on the main thread.
class ListFileViewControllerDelagate {
public:
    virtual ~ListFileViewControllerDelagate() = default;
    // A size total runs (true) and the host must not close; it ends with `closeWindowWithSelect`.
    virtual void getSelectFilesSize(bool /*busy*/) {}
    // "Done": the list's tree, with its check states, and the bytes of what is checked.
    virtual void closeWindowWithSelect(const SharedFileNodeList& /*roots*/, qint64 /*total*/) {}
};
