#pragma once

#include <QString>

#include <string_view>

namespace platform {

class Folder;

// What a folder copy tells and asks its caller, on the copying thread: whether to go on before each entry and
// between the chunks of a big file, which entry comes next, and each entry that failed or vanished.
class CopyWatch {
public:
    virtual ~CopyWatch() = default;
    // False stops the copy before its next entry or chunk; what was stopped halfway is removed.
    virtual bool goOn() { return true; }
    // The entry `name` of `folder` is about to be copied.
    virtual void next(const Folder& /*folder*/, std::string_view /*name*/) {}
    // The entry could not be copied; `error` is the errno that said why.
    virtual void failed(const QString& /*macPath*/, int /*error*/) {}
    // The entry was listed but had gone when it was to be copied: it is left out.
    virtual void vanished(const QString& /*macPath*/) {}
};

}  // namespace platform
