#include "platform/SystemVersion.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/utsname.h>

using namespace quarn;

TEST(GetWinVer, WritesMajorPlusMinorHundredthsAsTheLocaleDoesAndDescribesTheRunningKernel) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(FormatWinVer(5, 1, c), "5.01");
    EXPECT_EQ(FormatWinVer(5, 0, c), "5.00");
    EXPECT_EQ(FormatWinVer(4, 10, c), "4.10");
    EXPECT_EQ(FormatWinVer(1000, 0, c), "1000.00"); // no group separator
    EXPECT_EQ(FormatWinVer(5, 1, QLocale(QLocale::German)), "5,01");
    // The kernel's release, as uname tells it: "6.1.0-13-amd64" is 6.01.
    utsname system{};
    ASSERT_EQ(::uname(&system), 0);
    int major = 0, minor = 0;
    ASSERT_EQ(std::sscanf(system.release, "%d.%d", &major, &minor), 2) << system.release;
    EXPECT_EQ(GetWinVer(), FormatWinVer(major, minor, QLocale::system()));
}
