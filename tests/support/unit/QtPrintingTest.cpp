#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <gtest/gtest.h>

namespace {

struct Printed {
    const char* what;
    std::string printed;
    std::string expected;
};

class QtPrinting : public testing::TestWithParam<Printed> {};

TEST_P(QtPrinting, ShowsTheTextAsOneQuotedString) {
    EXPECT_EQ(GetParam().printed, GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Views, QtPrinting,
    testing::Values(
        Printed{"latin-1 view", testing::PrintToString(QLatin1String("Copy Now")), "\"Copy Now\""},
        Printed{"latin-1 view beyond ASCII", testing::PrintToString(QLatin1String("caf\xe9")),
                "\"caf\xc3\xa9\""},
        Printed{"UTF-16 view", testing::PrintToString(QStringView(u"Untitled \u00e9")),
                "\"Untitled \xc3\xa9\""},
        Printed{"string", testing::PrintToString(QStringLiteral("USB \u00e9")), "\"USB \xc3\xa9\""}));

}  // namespace
