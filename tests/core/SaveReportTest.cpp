#include "MovieMaker.h"
#include "SaveReport.h"

#include <gtest/gtest.h>

// The boxes of complete and refused downloads are checked through the save
// flow against the loopback server (app_tests); these are the rules it cannot reach.

namespace {

TMovieInfo Checked(const TMovieRecipe& recipe, size_t bodySize, size_t keep = SIZE_MAX)
{
    std::vector<uint8_t> file = MakeMovie(recipe, MovieBody(bodySize));
    file.resize(std::min(keep, file.size()));
    return CheckMovie(file);
}

void ExpectParts(const std::string& text, std::initializer_list<std::string> parts)
{
    for (const std::string& part : parts) EXPECT_NE(text.find(part), std::string::npos) << part << " not in: " << text;
}

}  // namespace

TEST(SaveReport, MovieCutShortOrNotAMovieSaysWhatTheHeaderDeclaredAndWhatIsThere)
{
    const TMovieRecipe fws;
    TMovieRecipe cws;
    cws.Signature = 'C';
    cws.Version = 10;
    TDownloadOutcome o;
    o.End = TDownloadEnd::EndOfData;  // no length announced: the download alone looks whole
    o.Status = 200;
    o.FileCreated = true;
    EXPECT_EQ(DownloadReport(o, "C:\\m.swf", Checked(cws, 5000)), "");
    EXPECT_EQ(CachedFileReport("C:\\m.swf", Checked(fws, 5000)), "");

    ExpectParts(DownloadReport(o, "C:\\m.swf", Checked(fws, 5000, 1200)),
                {"200", "下载的Flash 9 动画不完整", "文件头声明 5021 字节", "实际只有 1200 字节", "C:\\m.swf"});
    ExpectParts(CachedFileReport("C:\\m.swf", Checked(cws, 50000, 900)),
                {"从缓存中复制的Flash 10 动画不完整", "解压后 50021 字节", "C:\\m.swf"});
    ExpectParts(CachedFileReport("x", Checked(fws, 0, 5)), {"只有 5 字节，连文件头都不完整"});
    TMovieInfo noLength = Checked(fws, 0, 20);
    noLength.LengthKnown = false;
    ExpectParts(CachedFileReport("x", noLength), {"声明的长度未知", "只有 20 字节"});
    TMovieRecipe zws = cws;
    zws.Signature = 'Z';
    ExpectParts(CachedFileReport("x", Checked(zws, 100, 50)), {"压缩数据 126 字节", "实际只有 33 字节"});
    const uint8_t page[] = "<html>";
    ExpectParts(CachedFileReport("x", CheckMovie(page)), {"不是Flash动画"});

    // Broken off mid-way with a length: the movie's own view comes after the download's.
    o.End = TDownloadEnd::ReadFailed;
    o.LengthKnown = true;
    o.ContentLength = 5021;
    o.Received = 1200;
    ExpectParts(DownloadReport(o, "f", Checked(fws, 5000, 1200)), {"没有完成", "共 5021 字节", "文件头声明 5021 字节"});
}

TEST(SaveReport, BalloonNamesTheFileAndDescribesTheMovieWithinItsFields)
{
    TMovieRecipe recipe;
    EXPECT_EQ(SavedMovieBalloon("C:\\movies\\clip.swf", Checked(recipe, 1258270)).Title, "已保存 clip.swf");
    EXPECT_EQ(SavedMovieBalloon("clip.swf", Checked(recipe, 1258270)).Text, "Flash 9, 550 x 400, 24 帧/秒, 120 帧, 1.2 MB");
    recipe.FrameRate = 0x1DF8;  // 29.97
    recipe.FrameCount = 1;
    recipe.XMax = 6400;
    recipe.YMax = 4800;
    EXPECT_EQ(MovieSummary(Checked(recipe, 3500)), "Flash 9, 320 x 240, 29.97 帧/秒, 1 帧, 3.4 KB");
    recipe.FrameRate = 0x0C80;
    EXPECT_EQ(MovieSummary(Checked(recipe, 100)), "Flash 9, 320 x 240, 12.5 帧/秒, 1 帧, 120 字节");
    recipe.Signature = 'Z';
    recipe.Version = 13;
    EXPECT_EQ(MovieSummary(Checked(recipe, 100)), "Flash 13, 320 x 240, 12.5 帧/秒, 1 帧, 142 字节");
    TMovieInfo unknownLength = Checked(recipe, 100);
    unknownLength.LengthKnown = false;
    EXPECT_EQ(MovieSummary(unknownLength), "Flash 13, 320 x 240, 12.5 帧/秒, 1 帧, 142 字节, 声明的长度未知");

    // Long names are shortened as the tip's are (the same rule, tested there).
    EXPECT_EQ(SavedMovieBalloon(std::string(80, 'n'), Checked(recipe, 1)).Title.size(), 63u);
    EXPECT_EQ(SavedMovieBalloon("x", Checked(recipe, 1), 63, 10).Text, "Flash 13, ");
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
