#include "SaveReport.h"

#include <gtest/gtest.h>

// The boxes of complete and refused downloads are checked through the save
// flow against the loopback server (app_tests); these are the rules it cannot reach.

TEST(SaveReport, FlashSignatureIsOneOfTheThreeMovieHeaders)
{
    for (const char* movie : {"FWS\x0a", "CWS", "ZWS\x0d"}) EXPECT_TRUE(HasFlashSignature(movie)) << movie;
    for (const char* other : {"fws", "<html>", "FW", "", "GWS"}) EXPECT_FALSE(HasFlashSignature(other)) << other;
}

TEST(SaveReport, TipShowsPercentOrBytesAndCutsLongNamesBetweenCharacters)
{
    EXPECT_EQ(DownloadTipText("C:\\m\\clip.swf", true, 200, 50), "下载 clip.swf: 25%");
    EXPECT_EQ(DownloadTipText("d/x.swf", false, 1000000, 12345), "下载 x.swf: 12345 字节");
    EXPECT_EQ(DownloadTipText("x.swf", true, 0, 7), "下载 x.swf: 7 字节");  // no division by zero
    EXPECT_EQ(DownloadTipText("x.swf", true, 4'000'000'000LL, 3'000'000'000LL), "下载 x.swf: 75%");
    std::string name;
    for (int i = 0; i < 40; ++i) name += "\xD6\xD0";  // 40 double-byte characters
    const size_t prefix = std::string("下载 ").size();
    for (size_t limit : {63u, 62u, 30u}) {
        const std::string tip = DownloadTipText("C:\\" + name + ".swf", true, 100, 50, limit);
        ASSERT_LE(tip.size(), limit);
        ASSERT_NE(tip.find("...: 50%"), std::string::npos) << tip;
        EXPECT_EQ((tip.find("...") - prefix) % 2, 0u) << "a character was cut in half at " << limit;
        EXPECT_GE(tip.size() + 1, limit) << "room was left unused";
    }
}

TEST(SaveReport, ThrottleLetsOneReportThroughPerIntervalAcrossTheTickWrap)
{
    TProgressThrottle t(250);
    EXPECT_TRUE(t.Due(0xFFFFFFA0u));
    EXPECT_FALSE(t.Due(0x10u));
    EXPECT_TRUE(t.Due(0x100u));
    EXPECT_FALSE(t.Due(0x101u));
}
