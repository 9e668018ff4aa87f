#include "platform/Bundle.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "services/utilities/KVLinkUrl.h"
#include "services/utilities/KVPublicUtilities.h"
#include "services/utilities/SystemFolder.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::UserDefaults;

namespace {

class BundleResources : public ::testing::Test {
protected:
    void SetUp() override { platform::Bundle::setResourcesFolderForTesting(dir_.path()); }
    void TearDown() override { platform::Bundle::setResourcesFolderForTesting({}); }

    void write(const QString& name, const QVariant& value) const {
        QFile out(dir_.filePath(name + ".plist"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(platform::PropertyList::toXml(value));
    }
    QVariantMap read(const QString& name) const {
        return platform::PropertyList::fromHostFile(dir_.filePath(name + ".plist"))
            .value_or(QVariant())
            .toMap();
    }
    static void setLanguages(const QStringList& languages) {
        UserDefaults::setObject(languages, QStringLiteral("AppleLanguages"), UserDefaults::globalDomain);
    }

    testsupport::TempSimRoot sim_;  // the user's defaults live in the simulated Mac
    QTemporaryDir dir_;
};

const QVariantMap kLinks{
    {"en",
     QVariantMap{
         {"OnlineHelp", "https://en/help"}, {"Support", "https://en/support"}, {"IniURL", "https://en/ini"}}},
    {"de", QVariantMap{{"OnlineHelp", "https://de/hilfe"}, {"Support", ""}}},
    {"INSTALL_VERSION", "2.1.0"},
    {"upDataTimeStr", "earlier"},
    {"isBootable", "YES"},
    {"VersionCheck", 210},
};

TEST_F(BundleResources, LinkTableFallsBackToEnglish) {
    write("PrivateData", kLinks);
    setLanguages({"de", "en"});
    EXPECT_EQ(KVPublicUtilities::GetCurrentLanaguage(), "de");
    EXPECT_EQ(KVLinkUrl::GetUrl("OnlineHelp"), QStringLiteral("https://de/hilfe"));
    EXPECT_EQ(KVLinkUrl::GetUrl("Support"), QStringLiteral("https://en/support")) << "empty value: English";
    EXPECT_EQ(KVLinkUrl::GetUrl("IniURL"), QStringLiteral("https://en/ini")) << "missing key: English";
    EXPECT_FALSE(KVLinkUrl::GetUrl("SupportTeam")) << "in neither table";

    setLanguages({"fr-FR", "de"});
    EXPECT_EQ(KVLinkUrl::GetUrl("OnlineHelp"), QStringLiteral("https://en/help"))
        << "no table for the language";
}

TEST_F(BundleResources, LinkTableWithoutLanguagesOrEnglish) {
    write("PrivateData", kLinks);
    EXPECT_EQ(KVPublicUtilities::GetCurrentLanaguage(), "");
    EXPECT_EQ(KVLinkUrl::GetUrl("OnlineHelp"), QStringLiteral("https://en/help"));

    setLanguages({"de"});
    write("PrivateData", QVariantMap{{"de", kLinks.value("de")}});
    EXPECT_EQ(KVLinkUrl::GetUrl("OnlineHelp"), QStringLiteral("https://de/hilfe"));
    EXPECT_FALSE(KVLinkUrl::GetUrl("Support")) << "empty in German and no English table";
    QFile::remove(dir_.filePath("PrivateData.plist"));
    EXPECT_FALSE(KVLinkUrl::GetUrl("OnlineHelp"));
}

TEST_F(BundleResources, ApplicationDomainComesBeforeTheGlobalOne) {
    setLanguages({"de"});
    UserDefaults::setObject(QStringList{"it", "en"}, QStringLiteral("AppleLanguages"));
    EXPECT_EQ(KVPublicUtilities::GetCurrentLanaguage(), "it");
}

TEST_F(BundleResources, PrivateDataReaders) {
    EXPECT_FALSE(KVPublicUtilities::getInstallVersion());
    EXPECT_FALSE(KVPublicUtilities::getUpDataTimeStr());
    EXPECT_FALSE(KVPublicUtilities::isBootable());
    write("PrivateData", kLinks);
    EXPECT_EQ(KVPublicUtilities::getInstallVersion(), QStringLiteral("2.1.0"));
    EXPECT_EQ(KVPublicUtilities::getUpDataTimeStr(), QStringLiteral("earlier"));
    EXPECT_TRUE(KVPublicUtilities::isBootable());
    QVariantMap notBootable = kLinks;
    notBootable["isBootable"] = "yes";
    write("PrivateData", notBootable);
    EXPECT_FALSE(KVPublicUtilities::isBootable()) << "only the exact text YES";
}

TEST_F(BundleResources, UpdateTimeIsWrittenBackWholeKeepingTheRest) {
    write("PrivateData", kLinks);
    KVPublicUtilities::writeUpDataTimeStr("2024-05-01 10:00:00");
    const QVariantMap written = read("PrivateData");
    EXPECT_EQ(written.value("upDataTimeStr"), "2024-05-01 10:00:00");
    QVariantMap expected = kLinks;
    expected["upDataTimeStr"] = "2024-05-01 10:00:00";
    EXPECT_EQ(written, expected);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"PrivateData.plist"})
        << "no temporary left";

    QFile::remove(dir_.filePath("PrivateData.plist"));
    KVPublicUtilities::writeUpDataTimeStr("later");
    EXPECT_FALSE(QFile::exists(dir_.filePath("PrivateData.plist"))) << "a missing file is not created";
}

TEST_F(BundleResources, SystemFilesMatchExactlyUpToTheEntryCount) {
    EXPECT_FALSE(SystemFolder::isSystemFileWithFilePath("/System")) << "no table";
    write("SystemFile", QVariantMap{{"0", "/System"}, {"1", "/private"}, {"3", "/Library"}});
    EXPECT_TRUE(SystemFolder::isSystemFileWithFilePath("/System"));
    EXPECT_TRUE(SystemFolder::isSystemFileWithFilePath("/private"));
    EXPECT_FALSE(SystemFolder::isSystemFileWithFilePath("/system")) << "case-sensitive";
    EXPECT_FALSE(SystemFolder::isSystemFileWithFilePath("/System/Library")) << "exact, not a prefix";
    EXPECT_FALSE(SystemFolder::isSystemFileWithFilePath("/Library")) << "key 3 lies past the count of 3";
    EXPECT_FALSE(SystemFolder::isSystemFileWithFilePath(""));
    write("SystemFile", QVariantList{"/System"});
    EXPECT_FALSE(SystemFolder::isSystemFileWithFilePath("/System")) << "not a dictionary";
}

TEST(ShippedResources, AreCompleteAndWellFormed) {
    platform::Bundle::setResourcesFolderForTesting(QStringLiteral(TAVRUN_SOURCE_DIR "/resources"));
    testsupport::TempSimRoot sim;
    for (const char* key : {"OnlineHelp", "Support", "SupportTeam", "IniURL"}) {
        const auto url = KVLinkUrl::GetUrl(QLatin1String(key));
        ASSERT_TRUE(url) << key;
        EXPECT_TRUE(url->startsWith("https://")) << key;
    }
    EXPECT_TRUE(KVPublicUtilities::getInstallVersion());
    const auto privateData = platform::PropertyList::fromHostFile(
        QStringLiteral(TAVRUN_SOURCE_DIR "/resources/PrivateData.plist"));
    ASSERT_TRUE(privateData);
    EXPECT_EQ(privateData->toMap().value("VersionCheck").typeId(), QMetaType::LongLong);

    const auto table =
        platform::PropertyList::fromHostFile(QStringLiteral(TAVRUN_SOURCE_DIR "/resources/SystemFile.plist"));
    ASSERT_TRUE(table);
    const QVariantMap entries = table->toMap();
    ASSERT_FALSE(entries.isEmpty());
    for (qsizetype j = 0; j < entries.size(); ++j) {
        const QString path = entries.value(QString::number(j)).toString();
        EXPECT_TRUE(path.startsWith(u'/')) << "entry " << j << " missing or not absolute";
        EXPECT_TRUE(SystemFolder::isSystemFileWithFilePath(path));
    }
    EXPECT_FALSE(SystemFolder::isSystemFileWithFilePath("/Users"));
    EXPECT_FALSE(SystemFolder::isSystemFileWithFilePath("/Applications"));
    platform::Bundle::setResourcesFolderForTesting({});
}

}  // namespace

namespace {

TEST(DateText, LongDateAndShortTimeOfTheLocale) {
    const QLocale locale;
    const QDateTime when(QDate(2024, 5, 1), QTime(14, 30));
    const QString text = locale.toString(when.date(), QLocale::LongFormat) + u' ' +
                         locale.toString(when.time(), QLocale::ShortFormat);
    EXPECT_EQ(KVPublicUtilities::convertDateFromString(text), when);
    EXPECT_FALSE(KVPublicUtilities::convertDateFromString("2024-05-01 14:30:00"));
    EXPECT_FALSE(KVPublicUtilities::convertDateFromString(""));
}

}  // namespace
