#pragma once

#include "app/sources/ResultWindow.h"

#include <QStringList>

#include <functional>

// The outcome of a copy: success ("Done", and a link that opens the destination folder, which may stand on
// the Desktop) or failure, below which the first items that failed are named.
class CopySorFWindowController : public sources::ResultWindow {
    Q_OBJECT

public:
    static constexpr int kNamedFailures = 3;

    CopySorFWindowController();

    // The success text says that the copy went to the Desktop, the destination not taking it.
    void showOnDesktop();
    // The first `kNamedFailures` of `paths`, a line each, and "and N more" of the `count` failures.
    static QString failureList(const QStringList& paths, int count);

    QLabel* errorLable() const { return messageLabel(); }

    // Tests see what the link would open instead of a file browser starting; an empty function restores it.
    static void setOpenFolderForTesting(std::function<bool(const QString& folder)> open);
};
