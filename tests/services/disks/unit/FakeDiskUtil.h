#pragma once

#include "platform/PropertyList.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A tool root whose "/usr/sbin/diskutil" answers "list -plist" and "info -plist <dev>" from property
// lists the test writes, and records each call.
class FakeDiskUtil {
public:
    FakeDiskUtil()
        : toolEnv_("TAVRUN_TOOL_ROOT", tools_.path()), dataEnv_("FAKE_DISKUTIL_DIR", data_.path()) {
        QDir().mkpath(tools_.filePath("usr/sbin"));
        QDir().mkpath(data_.filePath("info"));
        QFile::link(QStringLiteral(FAKEDISKUTIL_PATH), tools_.filePath("usr/sbin/diskutil"));
    }

    void setDisks(const QVariantList& disks) const {
        write("list.plist", QVariantMap{{"AllDisksAndPartitions", disks}});
    }
    void setInfo(const QString& device, const QVariantMap& info) const {
        write("info/" + device + ".plist", info);
    }
    QStringList calls() const {
        QFile in(data_.filePath("calls.txt"));
        return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                            : QStringList();
    }

private:
    void write(const QString& name, const QVariant& value) const {
        QFile out(data_.filePath(name));
        if (out.open(QIODevice::WriteOnly)) {
            out.write(platform::PropertyList::toXml(value));
        }
    }

    QTemporaryDir tools_;
    QTemporaryDir data_;
    testsupport::ScopedEnv toolEnv_;
    testsupport::ScopedEnv dataEnv_;
};
