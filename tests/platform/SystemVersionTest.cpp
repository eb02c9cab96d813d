#include "platform/SystemVersion.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace quarn;

TEST(GetWinVer, WritesMajorPlusMinorHundredthsWithTwoDecimals) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(FormatWinVer(5, 1, c), "5.01");
    EXPECT_EQ(FormatWinVer(5, 0, c), "5.00");
    EXPECT_EQ(FormatWinVer(4, 10, c), "4.10");
    EXPECT_EQ(FormatWinVer(6, 1, c), "6.01");
    EXPECT_EQ(FormatWinVer(1000, 0, c), "1000.00"); // no group separator
}

TEST(GetWinVer, UsesTheLocalesDecimalSeparator) {
    EXPECT_EQ(FormatWinVer(5, 1, QLocale(QLocale::German)), "5,01");
}

TEST(GetWinVer, DescribesTheRunningSystem) {
    static const QRegularExpression shape(QStringLiteral("^\\d+\\D\\d\\d$"));
    EXPECT_TRUE(shape.match(GetWinVer()).hasMatch()) << GetWinVer().toStdString();
}
