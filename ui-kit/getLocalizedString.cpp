#include "ui-kit/getLocalizedString.h"

#include <QCoreApplication>

QString getLocalizedString(const QString& key) {
    if (key.isNull()) {
        return QStringLiteral("");
    }
    // The default table is the installed translator's context "Localizable"; without an entry Qt hands the
    // key back, as the bundle lookup does.
    return QCoreApplication::translate("Localizable", key.toUtf8().constData());
}
