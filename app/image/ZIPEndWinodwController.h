#pragma once

#include "app/sources/ResultWindow.h"

#include <functional>

// The outcome of an image or archive job: success ("Done", and a link that shows the image or archive in the
// file browser) or failure.
class ZIPEndWinodwController : public sources::ResultWindow {
    Q_OBJECT

public:
    ZIPEndWinodwController();

    QLabel* errorLabel() const { return messageLabel(); }

    // Tests see what the link would show instead of a file browser starting; an empty function restores it.
    static void setRevealForTesting(std::function<bool(const QString& path)> reveal);
};
