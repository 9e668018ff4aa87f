#include "platform/Bundle.h"
#include "platform/TestSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(TestSettings, PutsBackWhatEachSetterReplacedLatestFirst) {
    const QString shipped = platform::Bundle::resourcesFolder();
    platform::Bundle::setResourcesFolderForTesting(QStringLiteral("/first"));
    platform::Bundle::setResourcesFolderForTesting(QStringLiteral("/second"));
    ASSERT_EQ(platform::Bundle::resourcesFolder(), "/second");
    platform::restoreTestSettings();
    EXPECT_EQ(platform::Bundle::resourcesFolder(), shipped);
}

}  // namespace
