#include "platform/PropertyList.h"

#include "tests/support/TestEnv.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

using platform::PropertyList;

namespace {

QByteArray wrap(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>";
}

QVariantMap sample() {
    QVariantMap inner;
    inner["Name"] = QStringLiteral("A&B <x>");
    inner["Größe"] = QStringLiteral("日本語 ✓");
    inner["Big"] = qlonglong(5'000'000'000'000LL);
    inner["Negative"] = qlonglong(-1);
    inner["Ratio"] = 0.25;
    inner["Yes"] = true;
    inner["No"] = false;
    inner["Blob"] = QByteArray("\x00\x01\xff", 3);
    inner["When"] = QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), QTimeZone::utc());
    QVariantMap root;
    root["Inner"] = inner;
    root["List"] = QVariantList{qlonglong(1), QStringLiteral("two"), QVariantList{}, QVariantMap{}};
    return root;
}

}  // namespace

TEST(PropertyList, RoundTripsNestedValuesThroughXml) {
    const QVariantMap original = sample();
    const QByteArray xml = PropertyList::toXml(original);
    ASSERT_FALSE(xml.isEmpty());
    const auto back = PropertyList::dictionaryFromBytes(xml);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, original);
    EXPECT_EQ(back->value("Inner").toMap().value("Big").typeId(), QMetaType::LongLong);
}

TEST(PropertyList, WritesEscapedSortedXmlWithTypedScalars) {
    const QByteArray xml = PropertyList::toXml(sample());
    EXPECT_TRUE(xml.contains("<string>A&amp;B &lt;x&gt;</string>")) << xml.constData();
    EXPECT_TRUE(xml.contains("<integer>5000000000000</integer>"));
    EXPECT_TRUE(xml.contains("<integer>-1</integer>"));
    EXPECT_TRUE(xml.contains("<true/>"));
    EXPECT_TRUE(xml.contains("<false/>"));
    EXPECT_TRUE(xml.contains("<date>2024-01-02T03:04:05Z</date>"));
    EXPECT_TRUE(xml.contains(QStringLiteral("日本語 ✓").toUtf8()));
    EXPECT_LT(xml.indexOf("<key>Big</key>"), xml.indexOf("<key>Blob</key>"));
    EXPECT_LT(xml.indexOf("<key>No</key>"), xml.indexOf("<key>Ratio</key>"));
}

TEST(PropertyList, ReadsAppleStyleXmlAndIntegersAboveTwoToThe32) {
    const auto dict = PropertyList::dictionaryFromBytes(wrap(
        "<dict><key>Size</key><integer>500277790720</integer><key>Internal</key><true/>"
        "<key>Name</key><string>Macintosh HD</string><key>Empty</key><dict/><key>None</key><array/></dict>"));
    ASSERT_TRUE(dict);
    EXPECT_EQ(dict->value("Size").toLongLong(), 500277790720LL);
    EXPECT_TRUE(dict->value("Internal").toBool());
    EXPECT_EQ(dict->value("Name").toString(), "Macintosh HD");
    EXPECT_TRUE(dict->value("Empty").toMap().isEmpty());
    EXPECT_EQ(dict->value("None").typeId(), QMetaType::QVariantList);
}

TEST(PropertyList, MalformedInputYieldsNothing) {
    const QByteArray good = PropertyList::toXml(sample());
    const QList<QByteArray> bad = {
        QByteArray(),
        "not a plist",
        "Could not find disk: x",
        good.left(good.size() / 2),
        wrap("<dict><key>a</key></dict>").left(40),
        wrap("<dict><key>a</key><string>b</dict>"),
        QByteArray("\xff\xfe\x00\x01garbage\x80\x81", 14),
        QByteArray("bplist00") + QByteArray(40, '\xff'),
        QByteArray("bplist00\x00\x00", 10),
    };
    for (const QByteArray& input : bad) {
        EXPECT_FALSE(PropertyList::dictionaryFromBytes(input).has_value())
            << input.toHex().left(60).constData();
    }
}

// Any tool output may carry a NUL character: a string or key holding one reads cut at it, never aborts.
struct NulRow {
    const char* name;
    QByteArray input;
    std::optional<QVariantMap> expected;
};

void PrintTo(const NulRow& row, std::ostream* out) {
    *out << row.name;
}

class NulCharacters : public ::testing::TestWithParam<NulRow> {};

TEST_P(NulCharacters, CutTheStringOrKeyAtTheNul) {
    EXPECT_EQ(PropertyList::dictionaryFromBytes(GetParam().input), GetParam().expected);
}

const QByteArray kNul(1, '\0');

INSTANTIATE_TEST_SUITE_P(
    PropertyList, NulCharacters,
    ::testing::Values(
        NulRow{"xmlString", wrap("<dict><key>a</key><string>x" + kNul + "y</string></dict>"), {{{"a", "x"}}}},
        NulRow{"xmlOnlyNul", wrap("<dict><key>a</key><string>" + kNul + "</string></dict>"), {{{"a", ""}}}},
        NulRow{"xmlKey", wrap("<dict><key>a" + kNul + "b</key><string>v</string></dict>"), {{{"a", "v"}}}},
        NulRow{"xmlCharacterReference", wrap("<dict><key>a</key><string>&#0;</string></dict>"), std::nullopt},
        // {"a": "é\0z"}, {"é\0": "xy"}, {"a": "é" x 16 + "\0"}, {"a": "x\0y"} as the macOS toolchain writes
        // them
        NulRow{"binaryUtf16String",
               QByteArray::fromHex(
                   "62706c6973743030d1010251616300e90000007a080b0d00000000000001010000000000000003"
                   "00000000000000000000000000000014"),
               {{{"a", "é"}}}},
        NulRow{
            "binaryUtf16Key",
            QByteArray::fromHex("62706c6973743030d101026200e90000527879080b1000000000000001010000000000000003"
                                "00000000000000000000000000000013"),
            {{{"é", "xy"}}}},
        NulRow{
            "binaryLongUtf16String",
            QByteArray::fromHex("62706c6973743030d1010251616f101100e900e900e900e900e900e900e900e900e900e900e9"
                                "00e900e900e900e900e90000080b0d0000000000000101000000000000000300000000000000"
                                "000000000000000032"),
            {{{"a", QString(16, u'é')}}}},
        NulRow{
            "binaryAsciiString",
            QByteArray::fromHex("62706c6973743030d10102516153780079080b0d000000000000010100000000000000030000"
                                "0000000000000000000000000011"),
            {{{"a", "x"}}}}),
    [](const ::testing::TestParamInfo<NulRow>& row) { return std::string(row.param.name); });

TEST(PropertyList, DictionaryReaderRefusesOtherRoots) {
    EXPECT_FALSE(PropertyList::dictionaryFromBytes(wrap("<array><string>x</string></array>")));
    EXPECT_TRUE(PropertyList::fromBytes(wrap("<array><string>x</string></array>")));
}

TEST(PropertyList, DeepNestingIsRefusedWithoutCrashing) {
    const int depth = 200000;
    QByteArray deep = "<plist version=\"1.0\">";
    deep += QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth) + "</plist>";
    EXPECT_FALSE(PropertyList::fromBytes(deep).has_value());

    QByteArray fine = "<plist version=\"1.0\">";
    fine += QByteArray("<array>").repeated(50) + QByteArray("</array>").repeated(50) + "</plist>";
    EXPECT_TRUE(PropertyList::fromBytes(fine).has_value());
}

TEST(PropertyList, DeepBinaryNestingIsRefused) {
    // A binary list of `depth` arrays, each holding the next one: one-byte refs are enough for 200.
    const int depth = 300;
    QByteArray body = "bplist00";
    QList<quint16> offsets;
    for (int i = 0; i < depth; ++i) {
        offsets.append(static_cast<quint16>(body.size()));
        if (i + 1 < depth) {
            body.append(char(0xA1));
            body.append(char(0x00));  // placeholder ref, fixed below with two-byte refs
            body.append(char(0x00));
        } else {
            body.append(char(0xA0));
        }
    }
    for (int i = 0; i + 1 < depth; ++i) {
        body[offsets[i] + 1] = char(((i + 1) >> 8) & 0xFF);
        body[offsets[i] + 2] = char((i + 1) & 0xFF);
    }
    const auto tableOffset = static_cast<quint64>(body.size());
    for (quint16 off : offsets) {
        body.append(char(off >> 8));
        body.append(char(off & 0xFF));
    }
    QByteArray trailer(32, '\0');
    trailer[6] = 2;  // offset size
    trailer[7] = 2;  // ref size
    for (int b = 0; b < 8; ++b) {
        trailer[8 + 7 - b] = char((static_cast<quint64>(depth) >> (8 * b)) & 0xFF);
        trailer[24 + 7 - b] = char((tableOffset >> (8 * b)) & 0xFF);
    }
    body += trailer;
    EXPECT_FALSE(PropertyList::fromBytes(body).has_value());
}

TEST(PropertyList, ReadsBinaryLists) {
    // The binary form {"a": 1}, as the macOS toolchain writes it.
    const QByteArray binary = QByteArray::fromHex(
        "62706c6973743030"  // header
        "d10102"
        "5161"
        "1001"    // {ref1: ref2}, "a", 1
        "080b0d"  // offset table
        "000000000000"
        "0101"  // trailer: offset and ref sizes
        "0000000000000003"
        "0000000000000000"
        "000000000000000f");
    const auto dict = PropertyList::dictionaryFromBytes(binary);
    ASSERT_TRUE(dict);
    EXPECT_EQ(dict->value("a").toLongLong(), 1);
}

TEST(PropertyList, FilesGoThroughTheSimulatedRoot) {
    testsupport::TempSimRoot root;
    EXPECT_FALSE(PropertyList::fromFile("/Library/Missing.plist"));
    ASSERT_TRUE(PropertyList::writeXmlFile("/prefs.plist", sample()));
    const auto back = PropertyList::dictionaryFromFile("/prefs.plist");
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, sample());
    root.writeFile("/garbage.plist", "\x01\x02\x03");
    EXPECT_FALSE(PropertyList::dictionaryFromFile("/garbage.plist"));
    EXPECT_FALSE(PropertyList::dictionaryFromFile("/../outside.plist"));
}
