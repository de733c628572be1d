#include "CacheVerdict.h"
#include "GrabList.h"
#include "GrabTexts.h"
#include "MovieFileName.h"
#include "MovieMarkup.h"
#include "MovieUrl.h"
#include "SaveReport.h"

#include <gtest/gtest.h>

#include <set>

TEST(MarkupMovieAddress, EmbedAndObjectWithoutTheControlAreMoviesByTypeClassIdOrSource)
{
    EXPECT_EQ(MarkupMovieAddress({"EMBED", "application/x-shockwave-flash", "/site/movies/b", "", "", ""}),
              "/site/movies/b");
    EXPECT_EQ(MarkupMovieAddress({"embed", "", " a/B.SWF?v=3 ", "", "", ""}), "a/B.SWF?v=3");
    EXPECT_EQ(MarkupMovieAddress({"OBJECT", "", "", "", "clsid:D27CDB6E-AE6D-11CF-96B8-444553540000", "m.swf"}),
              "m.swf");
    EXPECT_EQ(MarkupMovieAddress({"OBJECT", "Application/X-Shockwave-Flash; v=9", "", "d.swf", "", "m.swf"}),
              "d.swf");
    EXPECT_EQ(MarkupMovieAddress({"OBJECT", "", "", "", "", "only/param.swf"}), "only/param.swf");
    // A movie without any source, and elements that are no movie.
    EXPECT_EQ(MarkupMovieAddress({"EMBED", "application/x-shockwave-flash", "", "", "", ""}), "");
    EXPECT_EQ(MarkupMovieAddress({"EMBED", "video/x-ms-wmv", "clip.wmv", "", "", ""}), std::nullopt);
    EXPECT_EQ(MarkupMovieAddress({"OBJECT", "", "", "applet.class", "clsid:0000", ""}), std::nullopt);
    EXPECT_EQ(MarkupMovieAddress({"IMG", "", "x.swf", "", "", ""}), std::nullopt);
    EXPECT_EQ(MarkupMovieAddress({"EMBED", "", "x.swf.gif", "", "", ""}), std::nullopt);
}

TEST(CacheEntryVerdict, TypeOrPathDecidesAndOnlyGenericTypesLookAtTheFile)
{
    const char* flash = "HTTP/1.1 200 OK\r\ncontent-type:  application/x-shockwave-flash\r\n\r\n";
    EXPECT_EQ(HeaderContentType(flash), "application/x-shockwave-flash");
    EXPECT_EQ(CacheEntryVerdict("http://h/loader.php?id=1", flash), TCacheVerdict::Movie);
    EXPECT_EQ(CacheEntryVerdict("http://h/m/intro.SWF#x", ""), TCacheVerdict::Movie);
    EXPECT_EQ(CacheEntryVerdict("http://h/get?f=2", "HTTP/1.0 200 OK\r\n\r\n"), TCacheVerdict::LookAtFile);
    EXPECT_EQ(CacheEntryVerdict("http://h/get?f=2", "Content-Type: application/octet-stream\r\n"),
              TCacheVerdict::LookAtFile);
    EXPECT_EQ(CacheEntryVerdict("http://h/logo.gif", "Content-Type: image/gif\r\n"), TCacheVerdict::NotMovie);
    EXPECT_EQ(CacheEntryVerdict("http://h/x.swf.html", "Content-Type: text/html\r\n"), TCacheVerdict::NotMovie);
}

TEST(UrlHostAndKey, SameMovieWhateverTheCaseOfHostPortOrFragment)
{
    EXPECT_EQ(UrlHost("http://user:pw@WWW.Example.com:8080/a.swf"), "www.example.com:8080");
    EXPECT_EQ(UrlHost("http://WWW.Example.com:80/a.swf"), UrlHost("http://www.example.com/b.swf"));
    EXPECT_EQ(UrlHost("https://cdn.example.com:443"), "cdn.example.com");
    EXPECT_EQ(UrlHost("https://cdn.example.com:80/x"), "cdn.example.com:80");
    EXPECT_EQ(UrlHost("movies/a.swf"), "");
    EXPECT_EQ(MovieAddressKey("HTTP://Example.COM:80/M/a.swf#top"), MovieAddressKey("http://example.com/M/a.swf"));
    EXPECT_EQ(MovieAddressKey("HTTPS://Example.com:443/a.swf"), MovieAddressKey("https://example.com/a.swf"));
    EXPECT_NE(MovieAddressKey("http://example.com/M/a.swf"), MovieAddressKey("http://example.com/m/a.swf"));
    EXPECT_NE(MovieAddressKey("http://example.com:8080/a.swf"), MovieAddressKey("http://example.com/a.swf"));
    EXPECT_EQ(MovieAddressKey("http://example.com"), "http://example.com/");
}

TEST(SafeMovieFileName, LastSegmentMadeSafeForWindows)
{
    EXPECT_EQ(SafeMovieFileName("http://h/a/intro.swf?v=2"), "intro.swf");
    EXPECT_EQ(SafeMovieFileName("http://h/a/INTRO.SWF"), "INTRO.SWF");
    EXPECT_EQ(SafeMovieFileName("http://h/get.php"), "get.php.swf");
    EXPECT_EQ(SafeMovieFileName("http://h/a/b:c*d|e\"f<g>.swf"), "b_c_d_e_f_g_.swf");
    EXPECT_EQ(SafeMovieFileName("http://h/dir/"), "movie.swf");
    EXPECT_EQ(SafeMovieFileName("http://h/end. . "), "end.swf");
    EXPECT_EQ(SafeMovieFileName("http://h/con.swf"), "_con.swf");
    EXPECT_EQ(SafeMovieFileName("http://h/NUL"), "_NUL.swf");
    EXPECT_EQ(SafeMovieFileName("http://h/Com7.swf"), "_Com7.swf");
    EXPECT_EQ(SafeMovieFileName("http://h/com10.swf"), "com10.swf");
    EXPECT_EQ(SafeMovieFileName(std::string("http://h/a\x01.swf")), "a_.swf");
}

TEST(SafeMovieFileName, LongNamesAreCutOnACharacterBoundary)
{
    EXPECT_EQ(SafeMovieFileName("http://h/" + std::string(300, 'x') + ".swf", 20), std::string(16, 'x') + ".swf");
    // "动画" is four bytes in code page 936; 4 bytes of room for "a" and it must not keep half of the second character.
    EXPECT_EQ(SafeMovieFileName("http://h/a\xB6\xAF\xBB\xAD.swf", 8), "a\xB6\xAF.swf");
}

TEST(SuggestedFileName, EscapesDecodedWhereTheyMakeAFileName)
{
    EXPECT_EQ(SuggestedFileName("http://h/a/city%20tour.swf?v=1"), "city tour.swf");
    EXPECT_EQ(SuggestedFileName("http://h/%E5%8A%A8%E7%94%BB.swf"), "\xE5\x8A\xA8\xE7\x94\xBB.swf");
    EXPECT_EQ(SuggestedFileName("http://h/index.php?page=about/history"), "index.php.swf");
    // Escapes that decode to a forbidden character, to no UTF-8 or to nothing stay as written.
    EXPECT_EQ(SuggestedFileName("http://h/a%2Fb.swf"), "a%2Fb.swf");
    EXPECT_EQ(SuggestedFileName("http://h/%B6%AF.swf"), "%B6%AF.swf");
    EXPECT_EQ(SuggestedFileName("http://h/100%.swf"), "100%.swf");
    EXPECT_EQ(SuggestedFileName("http://h/" + std::string(150, 'x') + "%E5%8A%A8%E7%94%BB.swf"),
              std::string(150, 'x') + "\xE5\x8A\xA8\xE7\x94\xBB.swf");
    EXPECT_EQ(SuggestedFileName("http://h/" + std::string(195, 'x') + "%E5%8A%A8.swf"), std::string(195, 'x') + ".swf");
}

TEST(UniqueFileName, CountsUpPastTakenNamesFromWhereItIsAskedToAndEndsWithTheNumbers)
{
    std::set<std::string> taken{"intro.swf", "intro (2).swf"};
    auto isTaken = [&](const std::string& n) { return taken.count(n) != 0; };
    int number = 1;
    EXPECT_EQ(UniqueFileName("other.swf", isTaken, number), "other.swf");
    EXPECT_EQ(UniqueFileName("intro.swf", isTaken, number), "intro (3).swf");
    ++number;  // "intro (3).swf" was found free but taken before it was made
    EXPECT_EQ(UniqueFileName("intro.swf", isTaken, number), "intro (4).swf");
    EXPECT_EQ(UniqueFileName("noext", [](const std::string& n) { return n == "noext"; }, number = 1), "noext (2)");
    int asked = 0;
    EXPECT_EQ(UniqueFileName("full.swf", [&](const std::string&) { return ++asked > 0; }, number), std::nullopt);
    EXPECT_EQ(asked, MaxFileNumber - 1);  // from 2 on
}

TEST(GrabList, OneRowPerAddressCachedCopiesJoinAndOnlyWantedHostsAddRows)
{
    TGrabList list;
    list.AddHost("http://www.site.test/index.html");
    list.AddHost("http://frames.site.test/inner.html");
    EXPECT_TRUE(list.AddElement("http://www.site.test/a.swf", TFoundIn::Page));
    EXPECT_FALSE(list.AddElement("HTTP://WWW.SITE.TEST:80/a.swf#x", TFoundIn::Frame));
    EXPECT_TRUE(list.AddElement("http://other.test/b.swf", TFoundIn::Frame));
    EXPECT_TRUE(list.HostWanted("http://FRAMES.site.test/x"));
    EXPECT_FALSE(list.HostWanted("http://elsewhere.test/x"));
    EXPECT_FALSE(list.HostWanted("http://www.site.test:8080/x")) << "another port is another server";

    list.AddCacheEntry("http://www.site.test/a.swf", "C:\\cache\\a.swf", 1234, true);
    list.AddCacheEntry("http://www.site.test/a.swf#again", "C:\\cache\\a[2].swf", 1, true);  // the first copy stays
    list.AddCacheEntry("http://www.site.test/loaded.swf", "C:\\cache\\loaded.swf", 99, true);
    list.AddCacheEntry("http://www.site.test/logo.gif", "C:\\cache\\logo.gif", 5, false);

    const auto& items = list.Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].Found, TFoundIn::Page);
    EXPECT_EQ(items[0].CacheFile, "C:\\cache\\a.swf");
    EXPECT_EQ(items[0].Size, 1234);
    EXPECT_EQ(items[1].Address, "http://other.test/b.swf");
    EXPECT_FALSE(items[1].Cached());
    EXPECT_EQ(items[1].Size, -1);
    EXPECT_EQ(items[2].Address, "http://www.site.test/loaded.swf");
    EXPECT_EQ(items[2].Found, TFoundIn::CacheOnly);
    EXPECT_TRUE(list.Listed("http://www.site.test/loaded.swf"));
}

TEST(GrabStatusText, NamesOnlyWhatWasSkipped)
{
    EXPECT_EQ(GrabStatusText(3, 0, 0), "找到 3 个Flash");
    EXPECT_EQ(GrabStatusText(2, 1, 0), "找到 2 个Flash，1 个框架无法读取");
    EXPECT_EQ(GrabStatusText(0, 2, 1), "找到 0 个Flash，2 个框架无法读取，1 个Flash元素没有地址");
    EXPECT_EQ(GrabStatusText(1000, 0, 0, 2, 1000), "找到 1000 个Flash，网页元素太多，只查看了每类的前 1000 个");
}

TEST(DownloadFailureReason, OnlyACompleteSuccessfulAnswerIsNoFailure)
{
    TDownloadOutcome o;
    o.End = TDownloadEnd::EndOfData;
    o.Status = 200;
    o.LengthKnown = true;
    o.ContentLength = 10;
    o.Received = 10;
    EXPECT_EQ(DownloadFailureReason(o), "");
    o.Received = 4;
    EXPECT_EQ(DownloadFailureReason(o), "只收到 4 / 10 字节");
    o.Status = 404;
    EXPECT_EQ(DownloadFailureReason(o), "服务器回答 404");
    // Any other end in the words the single save's box uses.
    o.End = TDownloadEnd::Unreachable;
    o.NetworkError = 12029;
    EXPECT_EQ(DownloadFailureReason(o), "无法连接到服务器");
    o.End = TDownloadEnd::Running;
    EXPECT_EQ(DownloadFailureReason(o), "下载没有结束");
}

TEST(GrabReportText, CountsCacheCopiesAndListsEveryFailure)
{
    TGrabSummary s;
    s.Saved = 3;
    s.FromCache = 2;
    s.Unsound = {{"C:\\f\\x.swf", "Flash 9 动画不完整"}};
    s.Failures = {{"http://h/a.swf", "服务器回答 404"}};
    s.NotStarted = 2;
    EXPECT_EQ(GrabReportText(s),
              "已保存 3 个Flash文件（其中 2 个来自缓存）。\r\nC:\\f\\x.swf（已保留）：Flash 9 动画不完整\r\n"
              "1 个没有保存：\r\nhttp://h/a.swf：服务器回答 404\r\n已取消，2 个没有保存。");
    EXPECT_EQ(GrabReportText(TGrabSummary{}), "已保存 0 个Flash文件。");
}
