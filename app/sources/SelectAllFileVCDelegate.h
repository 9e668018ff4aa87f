#pragma once

#include <QtGlobal>

// What the copy-type chooser tells the one who opened it.
class SelectAllFileVCDelegate {
public:
    virtual ~SelectAllFileVCDelegate() = default;
    // The user chose a row: 0 all files, 1 some files.
    virtual void selectFormatbyType(quint64 /*choice*/) {}
    // True when the pointer has left the chooser, false when it has entered it.
    virtual void mouseEixtView(bool /*exited*/) {}
};
