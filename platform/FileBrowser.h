#pragma once

#include <QString>

namespace platform {

// The platform's file browser (the Finder on a Mac), started without waiting for it. Each call answers false
// when the browser cannot be started or the path cannot be mapped.

// Shows the folder that holds the item.
bool revealInFileBrowser(const QString& macPath);
// Opens the item itself: a folder in the browser, a file with its application.
bool openInFileBrowser(const QString& macPath);

}  // namespace platform
