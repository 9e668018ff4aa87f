#pragma once

// Readable failure messages for the Qt values the suites compare; every suite includes this header first
// (the suite helper of the build passes it to the compiler). Without these, gtest prints the string views
// as containers, one character at a time.
#include <QByteArray>
#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <ostream>

QT_BEGIN_NAMESPACE

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(QLatin1String text, std::ostream* out) {
    *out << '"' << QString(text).toStdString() << '"';
}

inline void PrintTo(QStringView text, std::ostream* out) {
    *out << '"' << text.toString().toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '{' << list.join(QStringLiteral(", ")).toStdString() << '}';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << "\" (" << bytes.size() << " bytes)";
}

inline void PrintTo(const QVariant& value, std::ostream* out) {
    *out << value.toString().toStdString() << " (" << value.typeName() << ')';
}

QT_END_NAMESPACE
