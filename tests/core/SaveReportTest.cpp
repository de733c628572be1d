#include "SaveReport.h"

#include <gtest/gtest.h>

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TDownloadOutcome Ended(TDownloadEnd end, int status, int64_t length, int64_t received, bool lengthKnown = true,
                       bool fileCreated = true)
{
    return TDownloadOutcome{end, status, 0, lengthKnown, length, received, fileCreated};
}

const std::string File = "C:\\movies\\clip.swf";

}  // namespace

TEST(HasFlashSignature, TakesTheThreeMovieHeadersOnly)
{
    EXPECT_TRUE(HasFlashSignature("FWS\x0a"));
    EXPECT_TRUE(HasFlashSignature("CWS"));
    EXPECT_TRUE(HasFlashSignature("ZWS\x0d\x00"));
    EXPECT_FALSE(HasFlashSignature("fws"));
    EXPECT_FALSE(HasFlashSignature("<html>"));
    EXPECT_FALSE(HasFlashSignature("FW"));
    EXPECT_FALSE(HasFlashSignature(""));
    EXPECT_FALSE(HasFlashSignature("GWS"));
}

TEST(DownloadReport, CompleteMovieWithSuccessIsTheOnlySilentCase)
{
    EXPECT_EQ(DownloadReport(Ended(TDownloadEnd::EndOfData, 200, 10, 10), File, true), "");
    EXPECT_EQ(DownloadReport(Ended(TDownloadEnd::EndOfData, 206, 0, 10, false), File, true), "");
    // A movie under an error status still says the status.
    const std::string moved = DownloadReport(Ended(TDownloadEnd::EndOfData, 404, 10, 10), File, true);
    EXPECT_TRUE(Has(moved, "404"));
    EXPECT_FALSE(Has(moved, "不是Flash"));
}

TEST(DownloadReport, CompleteAnswersThatAreNoMovieSayStatusAndKeptFile)
{
    for (int status : {404, 200, 500}) {
        SCOPED_TRACE(status);
        const std::string text = DownloadReport(Ended(TDownloadEnd::EndOfData, status, 20, 20), File, false);
        EXPECT_TRUE(Has(text, std::to_string(status)));
        EXPECT_TRUE(Has(text, "不是Flash动画"));
        EXPECT_TRUE(Has(text, "文件已保存为：" + File));
        EXPECT_FALSE(Has(text, "没有完成"));
        EXPECT_EQ(Has(text, "没有成功"), status != 200);
    }
}

TEST(DownloadReport, IncompleteDownloadsNameTheirReasonAndWhatWasKept)
{
    // Fewer bytes than announced, then the end of data: the peer closed early.
    std::string text = DownloadReport(Ended(TDownloadEnd::EndOfData, 200, 100000, 5000), File, true);
    EXPECT_TRUE(Has(text, "没有完成"));
    EXPECT_TRUE(Has(text, "连接中断"));
    EXPECT_TRUE(Has(text, "已收到 5000 字节，共 100000 字节"));
    EXPECT_TRUE(Has(text, "不完整的文件已保存为：" + File));

    TDownloadOutcome timedOut = Ended(TDownloadEnd::ReadFailed, 200, 8000, 4000);
    timedOut.NetworkError = 12002;
    EXPECT_TRUE(Has(DownloadReport(timedOut, File, true), "超时"));
    TDownloadOutcome unreachable = Ended(TDownloadEnd::Unreachable, 0, 0, 0, false, false);
    unreachable.NetworkError = 12029;
    text = DownloadReport(unreachable, File, false);
    EXPECT_TRUE(Has(text, "无法连接到服务器"));
    EXPECT_TRUE(Has(text, "没有保存文件"));
    EXPECT_FALSE(Has(text, "已收到"));
    unreachable.NetworkError = 12345;
    EXPECT_TRUE(Has(DownloadReport(unreachable, File, false), "12345"));

    text = DownloadReport(Ended(TDownloadEnd::Refused, 401, 0, 0, false, false), File, false);
    EXPECT_TRUE(Has(text, "拒绝"));
    EXPECT_TRUE(Has(text, "401"));
    EXPECT_TRUE(Has(DownloadReport(Ended(TDownloadEnd::Refused, 407, 0, 0, false, false), File, false), "代理"));
    EXPECT_TRUE(Has(DownloadReport(Ended(TDownloadEnd::NoContentType, 200, 0, 0, true, false), File, false), "Content-Type"));
    EXPECT_TRUE(Has(DownloadReport(Ended(TDownloadEnd::FileError, 200, 9, 0, true, false), File, false), "无法写入文件"));
    EXPECT_TRUE(Has(DownloadReport(Ended(TDownloadEnd::Stopped, 200, 9, 3), File, false), "停止"));
}

TEST(CachedFileNotFlashReport, NamesTheCopy)
{
    const std::string text = CachedFileNotFlashReport(File);
    EXPECT_TRUE(Has(text, "缓存"));
    EXPECT_TRUE(Has(text, "不是Flash动画"));
    EXPECT_TRUE(Has(text, File));
}

TEST(DownloadTipText, ShowsNameAndPercentOrBytes)
{
    EXPECT_EQ(DownloadTipText(File, true, 200, 50), "下载 clip.swf: 25%");
    EXPECT_EQ(DownloadTipText(File, true, 200, 250), "下载 clip.swf: 100%");
    EXPECT_EQ(DownloadTipText("d/x.swf", false, 1000000, 12345), "下载 x.swf: 12345 字节");
    // A zero length announced but bytes arriving: bytes, not a division by zero.
    EXPECT_EQ(DownloadTipText("x.swf", true, 0, 7), "下载 x.swf: 7 字节");
    // 3 GiB of progress does not overflow.
    EXPECT_EQ(DownloadTipText("x.swf", true, 4'000'000'000LL, 3'000'000'000LL), "下载 x.swf: 75%");
}

TEST(DownloadTipText, LongNamesAreCutBetweenDoubleByteCharacters)
{
    std::string name;
    for (int i = 0; i < 40; ++i) name += "\xD6\xD0";  // 40 characters of two bytes
    const std::string prefix = "下载 ";
    for (size_t limit : {63u, 62u, 30u}) {
        SCOPED_TRACE(limit);
        const std::string tip = DownloadTipText("C:\\" + name + ".swf", true, 100, 50, limit);
        ASSERT_LE(tip.size(), limit);
        ASSERT_EQ(tip.compare(0, prefix.size(), prefix), 0);
        ASSERT_TRUE(Has(tip, "...: 50%"));
        const size_t kept = tip.find("...") - prefix.size();
        EXPECT_EQ(kept % 2, 0u) << "a character was cut in half";
        EXPECT_GE(tip.size() + 1, limit) << "room was left unused";
    }
}

TEST(ProgressThrottle, FirstReportThenOnePerInterval)
{
    TProgressThrottle t(250);
    EXPECT_TRUE(t.Due(1000));
    EXPECT_FALSE(t.Due(1001));
    EXPECT_FALSE(t.Due(1249));
    EXPECT_TRUE(t.Due(1250));
    EXPECT_FALSE(t.Due(1300));
    // Across the wrap of the 32-bit tick counter.
    TProgressThrottle w(250);
    EXPECT_TRUE(w.Due(0xFFFFFFA0u));
    EXPECT_FALSE(w.Due(0x10u));
    EXPECT_TRUE(w.Due(0x100u));
}
