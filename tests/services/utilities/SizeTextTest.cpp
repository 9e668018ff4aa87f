#include "services/disks/CVolumeMgr.h"
#include "services/utilities/KVPublicUtilities.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct SizeRow {
    qint64 bytes;
    const char* diskSize;    // longlongDiskSize and longlongConvertVolSpace
    const char* volSpace;    // convertVolSpace (no terabyte step)
    const char* enumerator;  // convertSize2String (single precision, no terabyte step)
};

void PrintTo(const SizeRow& row, std::ostream* out) {
    *out << row.bytes;
}

class SizeTexts : public ::testing::TestWithParam<SizeRow> {};

TEST_P(SizeTexts, AtEachBoundary) {
    const SizeRow& row = GetParam();
    EXPECT_EQ(KVPublicUtilities::longlongDiskSize(row.bytes), QLatin1String(row.diskSize));
    EXPECT_EQ(KVPublicUtilities::longlongConvertVolSpace(row.bytes), QLatin1String(row.diskSize));
    EXPECT_EQ(KVPublicUtilities::convertVolSpace(static_cast<quint64>(row.bytes)),
              QLatin1String(row.volSpace));
    EXPECT_EQ(convertSize2String(static_cast<quint64>(row.bytes)), QLatin1String(row.enumerator));
}

INSTANTIATE_TEST_SUITE_P(Boundaries, SizeTexts,
                         ::testing::Values(SizeRow{0, "0 byte", "0 byte", "0 byte"},                      //
                                           SizeRow{999, "999 byte", "999 byte", "999 byte"},              //
                                           SizeRow{1000, "1.00 KB", "1.00 KB", "1.00 KB"},                //
                                           SizeRow{999999, "1000.00 KB", "1000.00 KB", "1000.00 KB"},     //
                                           SizeRow{1000000, "1.00 MB", "1.00 MB", "1.00 MB"},             //
                                           SizeRow{999999999, "1000.00 MB", "1000.00 MB", "1000.00 MB"},  //
                                           SizeRow{1000000000, "1.00 GB", "1.00 GB", "1.00 GB"},          //
                                           SizeRow{1500000000, "1.50 GB", "1.50 GB", "1.50 GB"},          //
                                           SizeRow{999999999999, "1000.00 GB", "1000.00 GB",
                                                   "1000.00 GB"},                                          //
                                           SizeRow{1000000000000, "1.00 TB", "1000.00 GB", "1000.00 GB"},  //
                                           SizeRow{1500000000000, "1.50 TB", "1500.00 GB", "1500.00 GB"},  //
                                           SizeRow{2000000000000, "2.00 TB", "2000.00 GB", "2000.00 GB"},  //
                                           SizeRow{500277790720, "500.28 GB", "500.28 GB", "500.28 GB"}));

TEST(SizeTexts, SignedVariantsPrintNegativeCountsAsBytes) {
    EXPECT_EQ(KVPublicUtilities::longlongDiskSize(-1), "-1 byte");
    EXPECT_EQ(KVPublicUtilities::longlongDiskSize(-5000000), "-5000000 byte");
}

TEST(SizeTexts, EnumeratorRoundsHugeCountsInSinglePrecision) {
    // 123,456,789,012 bytes as a float is 123,456,790,528: seven significant digits survive.
    EXPECT_EQ(convertSize2String(123456789012ULL), "123.46 GB");
    EXPECT_TRUE(convertSize2String(std::numeric_limits<quint64>::max()).endsWith(" GB"));
}

TEST(SizeTexts, MoreThan2GB) {
    EXPECT_FALSE(KVPublicUtilities::isMoreThan2GB(999999));
    EXPECT_FALSE(KVPublicUtilities::isMoreThan2GB(2048999999));  // 2048.99… truncates to 2048
    EXPECT_TRUE(KVPublicUtilities::isMoreThan2GB(2049000000));
    EXPECT_FALSE(KVPublicUtilities::isMoreThan2GB(-3000000000));
    EXPECT_TRUE(KVPublicUtilities::isMoreThan2GB(std::numeric_limits<qint64>::max()));
}

struct ParseRow {
    const char* text;
    quint64 bytes;
};

void PrintTo(const ParseRow& row, std::ostream* out) {
    *out << '"' << row.text << '"';
}

class VolSpaceFromString : public ::testing::TestWithParam<ParseRow> {};

TEST_P(VolSpaceFromString, ReadsBackSizeTextsAndNeverCrashes) {
    EXPECT_EQ(KVPublicUtilities::volSpaceFromString(QString::fromUtf8(GetParam().text)), GetParam().bytes)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VolSpaceFromString,
    ::testing::Values(ParseRow{"1.50 GB", 1500000000},
                      ParseRow{"2.00 TB", 1999999991808},  // 1e12 is not exact in single precision
                      ParseRow{"12.00 MB", 12000000}, ParseRow{"1.00 KB", 1000}, ParseRow{"0.50 KB", 500},
                      // a number of 0 or less before "KB" stays unscaled; below zero is no bytes
                      ParseRow{"0 KB", 0}, ParseRow{"-5 KB", 0}, ParseRow{"-5 MB", 0},
                      // other endings, and texts too short to carry one
                      ParseRow{"999 byte", 0}, ParseRow{"3 PB", 0}, ParseRow{"", 0}, ParseRow{"B", 0},
                      ParseRow{"KB", 0}, ParseRow{"GB", 0}, ParseRow{"x", 0},
                      // odd numbers: leading blanks, no number, trailing junk, exponents, overflow
                      ParseRow{"  2 GB", 2000000000}, ParseRow{"abc GB", 0}, ParseRow{"7xyz MB", 7000000},
                      ParseRow{"1e3 KB", 1000000}, ParseRow{"nan GB", 0}, ParseRow{"inf TB", 0},
                      ParseRow{"1e30 TB", std::numeric_limits<quint64>::max()},
                      ParseRow{"1e400 GB", std::numeric_limits<quint64>::max()}));

TEST(VolSpaceFromString, InvertsTheSizeTextsItIsFedWith) {
    for (qint64 bytes : {1000LL, 250000LL, 7340000LL, 64000000000LL, 4000000000000LL}) {
        const QString text = KVPublicUtilities::longlongDiskSize(bytes);
        EXPECT_NEAR(static_cast<double>(KVPublicUtilities::volSpaceFromString(text)),
                    static_cast<double>(bytes), static_cast<double>(bytes) * 1e-6)
            << text.toStdString();
    }
}

TEST(FileSystemTypeForInt, NamesCodesAndImages) {
    const char* names[] = {"FAT12", "FAT16", "FAT32", "NTFS", "EXT2",   "EXT3",
                           "RAW",   "EXFAT", "HFS+",  "APFS", "Unknown"};
    for (int code = 0; code < 11; ++code) {
        EXPECT_EQ(KVPublicUtilities::fileSystemTypeForInt(code, false, false), QLatin1String(names[code]));
        EXPECT_EQ(KVPublicUtilities::fileSystemTypeForInt(code, true, false), "Disk Image");
    }
    EXPECT_EQ(KVPublicUtilities::fileSystemTypeForInt(11, false, true), "Disk");
    EXPECT_EQ(KVPublicUtilities::fileSystemTypeForInt(-1, false, false), "Disk");
}

}  // namespace
