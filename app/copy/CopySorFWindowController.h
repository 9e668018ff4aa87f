#pragma once

#include "app/sources/ResultWindow.h"

#include <functional>

// The outcome of a copy: success ("Done", and a link that opens the destination folder) or failure.
class CopySorFWindowController : public sources::ResultWindow {
    Q_OBJECT

public:
    CopySorFWindowController();

    QLabel* errorLable() const { return messageLabel(); }

    // Tests see what the link would open instead of a file browser starting; an empty function restores it.
    static void setOpenFolderForTesting(std::function<bool(const QString& folder)> open);
};
