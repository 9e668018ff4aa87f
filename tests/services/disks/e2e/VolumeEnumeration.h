#pragma once

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "services/disks/CVolumeMgr.h"

#include "tests/support/SimMac.h"
#include "tests/support/TestEnv.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

// The enumeration as the Disk Tool runs it: on the global queue, the result handed to the main thread.
inline QList<QVariantMap> enumerateVolumes() {
    CVolumeMgr().changeIValue();
    struct Delivery {
        std::optional<QList<QVariantMap>> result;
        bool delivered = false;
    };
    // Shared, so that an enumeration that ends after the deadline writes into nothing this frame held.
    auto delivery = std::make_shared<Delivery>();
    platform::globalAsync([delivery] {
        auto volumes = CVolumeMgr().enumDiskVolumesInfo();
        platform::mainAsync([delivery, volumes = std::move(volumes)] {
            delivery->result = volumes;
            delivery->delivered = true;
        });
    });
    // Past the enumeration's own deadline, so that only an enumeration that overruns it fails here.
    const auto wait = disk::enumerationDeadline() + std::chrono::seconds(30);
    EXPECT_TRUE(testsupport::waitUntil([&] { return delivery->delivered; }, static_cast<int>(wait.count())))
        << "the enumeration did not end";
    EXPECT_TRUE(delivery->result) << "the enumeration was busy";
    return delivery->result.value_or(QList<QVariantMap>());
}

inline QStringList volumeNames(const QList<QVariantMap>& volumes) {
    QStringList names;
    for (const QVariantMap& v : volumes) {
        names << v.value(QStringLiteral("volumeName")).toString();
    }
    return names;
}
