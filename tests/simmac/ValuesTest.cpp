#include "simmac/state/EventLog.h"
#include "simmac/state/FileSystemType.h"
#include "simmac/state/SimState.h"
#include "simmac/state/SizeText.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using simmac::FileSystemType;
using simmac::SizeText;

TEST(FileSystemType, AcceptsEveryNameTheDiskToolSends) {
    const QList<QPair<const char*, const char*>> names{{"ExFAT", "exfat"},
                                                       {"exfat", "exfat"},
                                                       {"MS-DOS FAT32", "msdos-fat32"},
                                                       {"FAT32", "msdos-fat32"},
                                                       {"MS-DOS (FAT32)", "msdos-fat32"},
                                                       {"MS-DOS", "msdos-fat32"},
                                                       {"MS-DOS FAT16", "msdos-fat16"},
                                                       {"MS-DOS (FAT16)", "msdos-fat16"},
                                                       {"HFS+", "hfs"},
                                                       {"Mac OS Extended", "hfs"},
                                                       {"JHFS+", "jhfs"},
                                                       {"Journaled HFS+", "jhfs"},
                                                       {"Mac OS Extended (Journaled)", "jhfs"},
                                                       {"apfs", "apfs"},
                                                       {"Case-sensitive APFS", "apfs-cs"}};
    for (const auto& [name, code] : names) {
        EXPECT_EQ(FileSystemType::fromName(QLatin1String(name)), QLatin1String(code)) << name;
    }
    EXPECT_FALSE(FileSystemType::fromName("NTFS"));
    EXPECT_FALSE(FileSystemType::fromName(""));
    EXPECT_EQ(FileSystemType::userVisibleName("apfs-cs"), "APFS (Case-sensitive)");
    EXPECT_EQ(FileSystemType::bundle("msdos-fat16"), "msdos");
    EXPECT_TRUE(FileSystemType::sameFamily("hfs", "jhfs"));
    EXPECT_FALSE(FileSystemType::sameFamily("apfs", "jhfs"));
    EXPECT_EQ(FileSystemType::erasedName("msdos-fat32", ""), "UNTITLED");
    EXPECT_EQ(FileSystemType::erasedName("apfs", ""), "Untitled");
}

TEST(SizeText, DecimalAndBinaryUnits) {
    EXPECT_EQ(SizeText::decimal("16G"), 16000000000);
    EXPECT_EQ(SizeText::decimal("2500000000B"), 2500000000);
    EXPECT_EQ(SizeText::decimal("1.5t"), 1500000000000);
    EXPECT_EQ(SizeText::decimal("2S"), 1024);
    EXPECT_EQ(SizeText::decimal("42"), 42);
    EXPECT_EQ(SizeText::binary("1k"), 1024);
    EXPECT_EQ(SizeText::binary("1b"), 512);
    EXPECT_EQ(SizeText::binary("100000000"), 100000000);
    for (const char* bad : {"", "G", "-1G", "1X", "1e400", "nanG"}) {
        EXPECT_FALSE(SizeText::decimal(QLatin1String(bad))) << bad;
    }
}

TEST(EventLog, LinesRoundTripWhateverTheNamesHold) {
    const simmac::SimEvent event{
        7, "didRename", "disk4s2", "/Volumes/a\tb%c", QString::fromUtf8("n\u00e9w\nline"), "/Volumes/old"};
    const QByteArray line = simmac::EventLog::format(event);
    EXPECT_EQ(line.count('\t'), 5);
    EXPECT_EQ(line.count('\n'), 1);
    EXPECT_TRUE(line.endsWith('\n'));
    EXPECT_EQ(simmac::EventLog::parse(line), event);
    EXPECT_FALSE(simmac::EventLog::parse("7\tdidMount\tdisk4"));
    EXPECT_FALSE(simmac::EventLog::parse("x\ta\tb\tc\td\te"));
}

TEST(SimState, UuidsAreDeterministicAndWellFormed) {
    simmac::SimState a;
    simmac::SimState b;
    const QString first = a.newUuid();
    EXPECT_EQ(first, b.newUuid());
    EXPECT_NE(first, a.newUuid());
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$")
                    .match(first)
                    .hasMatch())
        << first.toStdString();
}
