#pragma once

#include <QtGlobal>

// What a `GetFilesSize` tells its owner, on the main thread.
class GetFilesSizeDelegate {
public:
    virtual ~GetFilesSizeDelegate() = default;
    // The bytes of everything checked.
    virtual void allCopyFilesSize(qint64 /*total*/) {}
};
