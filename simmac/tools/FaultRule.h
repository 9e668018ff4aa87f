#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace simmac {

// One rule of ".sim/faults.plist": which calls it matches and how the tool misbehaves for them.
class FaultRule {
public:
    explicit FaultRule(QVariantMap rule) : rule_(std::move(rule)) {}

    // "Tool" equal, "Verb" equal ignoring case, "ArgsContain" a substring of the arguments joined by blanks;
    // a key that is absent matches everything.
    bool matches(const QString& tool, const QString& verb, const QStringList& argv) const;

    QString action() const { return text("Action"); }
    QString text(const char* key) const { return rule_.value(QLatin1String(key)).toString(); }
    int number(const char* key, int fallback) const;
    bool flag(const char* key) const { return rule_.value(QLatin1String(key)).toBool(); }
    QStringList lines() const { return rule_.value(QStringLiteral("Lines")).toStringList(); }
    const QVariantMap& map() const { return rule_; }

private:
    QVariantMap rule_;
};

}  // namespace simmac
