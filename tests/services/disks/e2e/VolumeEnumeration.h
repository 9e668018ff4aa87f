#pragma once

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "services/disks/CVolumeMgr.h"

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
