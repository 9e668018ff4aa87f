#pragma once

#include <QString>

// The text for `key` in the application's default strings table, or the key itself where the table has no
// entry; a null key gives the empty string, never a null one.
QString getLocalizedString(const QString& key);
