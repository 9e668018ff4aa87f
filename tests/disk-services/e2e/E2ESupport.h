#pragma once

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "services/CVolumeMgr.h"

#include "tests/disk-services/QtPrinting.h"
#include "tests/support/SimMac.h"
#include "tests/support/TestEnv.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

// The enumeration as the Disk Tool runs it: on the global queue, the result handed to the main thread.
inline QList<QVariantMap> enumerateVolumes() {
    CVolumeMgr().changeIValue();
    std::optional<QList<QVariantMap>> result;
    bool delivered = false;
    platform::globalAsync([&] {
        auto volumes = CVolumeMgr().enumDiskVolumesInfo();
        platform::mainAsync([&, volumes = std::move(volumes)] {
            result = volumes;
            delivered = true;
        });
    });
    EXPECT_TRUE(testsupport::waitUntil([&] { return delivered; }, 60000));
    EXPECT_TRUE(result) << "the enumeration was busy";
    return result.value_or(QList<QVariantMap>());
}

inline QStringList volumeNames(const QList<QVariantMap>& volumes) {
    QStringList names;
    for (const QVariantMap& v : volumes) {
        names << v.value(QStringLiteral("volumeName")).toString();
    }
    return names;
}

// hdiutil create and attach of a small disk image holding one file; the image's whole disk ("disk6").
inline QString attachImage(const testsupport::SimMac& sim, const QString& volumeName) {
    const QString source = QStringLiteral("/tmp/com.Belmora.clone");
    platform::FileSystem::mkpath(source);
    platform::FileSystem::writeAtomically(source + QStringLiteral("/readme.txt"), "image content\n");
    const QString image = QStringLiteral("/Tavrun_dmg/") + volumeName + QStringLiteral(".dmg");
    platform::FileSystem::mkpath(QStringLiteral("/Tavrun_dmg"));
    const testsupport::ToolRun created = sim.run(
        QStringLiteral("/usr/bin/hdiutil"), {"create", image, "-volname", volumeName, "-size", "60000000",
                                             "-fs", "HFS+", "-format", "UDRW", "-srcfolder", source});
    EXPECT_EQ(created.exitCode, 0) << created.err.toStdString();
    const testsupport::ToolRun attached = sim.run(QStringLiteral("/usr/bin/hdiutil"), {"attach", image});
    EXPECT_EQ(attached.exitCode, 0) << attached.err.toStdString();
    return QString::fromUtf8(attached.out.split('\t').value(0).trimmed()).remove(QStringLiteral("/dev/"));
}

// The arguments of the simulated tools' calls, in order, for one tool.
inline QList<QStringList> toolCalls(const testsupport::SimMac& sim, const QString& tool) {
    QList<QStringList> calls;
    for (const QJsonObject& call : sim.calls()) {
        if (call.value(QStringLiteral("phase")) == QStringLiteral("start") &&
            call.value(QStringLiteral("tool")) == tool) {
            QStringList argv;
            for (const QJsonValue& arg : call.value(QStringLiteral("argv")).toArray()) {
                argv << arg.toString();
            }
            calls << argv;
        }
    }
    return calls;
}
