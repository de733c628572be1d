// URL splitting with the real InternetCrackUrlA: the parts, the derived path
// and domain, the buffers that only grow, and failures that keep what was there.
#include "ThCrkUrl.h"

#include <gtest/gtest.h>

TEST(TCrackUrl, SplitsEveryPartAndRemembersTheTarget)
{
    TCrackUrl u;
    EXPECT_FALSE(u.Valid());
    EXPECT_EQ(u.Url(), "");
    const std::string url = "http://alice:pw@media.p.example.com:8080/a/b/page.htm?x=1#top";
    ASSERT_TRUE(u.Crack(url, L"C:\\out\\m.swf"));
    EXPECT_TRUE(u.Valid());
    EXPECT_EQ(u.Url(), url);
    EXPECT_STREQ(u.Scheme(), "http");
    EXPECT_STREQ(u.HostName(), "media.p.example.com");
    EXPECT_EQ(u.Port(), 8080);
    EXPECT_STREQ(u.UserName(), "alice");
    EXPECT_STREQ(u.Password(), "pw");
    EXPECT_STREQ(u.UrlPath(), "/a/b/page.htm");
    EXPECT_STREQ(u.ExtraInfo(), "?x=1#top");
    EXPECT_EQ(u.NormalizedPath(), "/a/b/page.htm");
    EXPECT_EQ(u.HostDomain(), "example.com");
    EXPECT_EQ(u.LocalFileName(), L"C:\\out\\m.swf");
    EXPECT_EQ(u.Components().dwStructSize, sizeof(URL_COMPONENTSA));

    ASSERT_TRUE(u.Crack("http://host.test/a/b", L""));
    EXPECT_EQ(u.Port(), 80);
    EXPECT_STREQ(u.UserName(), "");
    EXPECT_STREQ(u.ExtraInfo(), "");
    EXPECT_EQ(u.NormalizedPath(), "/a/b/");
    EXPECT_EQ(u.HostDomain(), "host");
    EXPECT_EQ(u.LocalFileName(), L"");
}

TEST(TCrackUrl, DomainWithoutDotAndEmptyPathKeepOrDefault)
{
    TCrackUrl u;
    ASSERT_TRUE(u.Crack("http://p.q.r/x.swf", L"a.swf"));
    EXPECT_EQ(u.HostDomain(), "q.r");
    ASSERT_TRUE(u.Crack("http://localhost", L"b.swf"));
    EXPECT_EQ(u.HostDomain(), "q.r");  // no dot: the previous value stays
    EXPECT_EQ(u.NormalizedPath(), "/");
}

TEST(TCrackUrl, FailedSplitKeepsTheDerivedParts)
{
    TCrackUrl u;
    ASSERT_TRUE(u.Crack("http://p.q.r/a/b", L"first.swf"));
    EXPECT_FALSE(u.Crack("no scheme at all", L"second.swf"));
    EXPECT_FALSE(u.Valid());
    EXPECT_EQ(u.LocalFileName(), L"first.swf");
    EXPECT_EQ(u.NormalizedPath(), "/a/b/");
    EXPECT_EQ(u.HostDomain(), "q.r");
    EXPECT_EQ(u.Url(), "no scheme at all");
}

TEST(TCrackUrl, PartLongerThanTheLimitFails)
{
    TCrackUrl u;
    EXPECT_FALSE(u.Crack("http://h.test/" + std::string(1100, 'p') + ".swf", L"x.swf"));
    EXPECT_FALSE(u.Valid());
    EXPECT_EQ(u.Capacity(), 1119);  // the buffers grew even though the split failed
}

TEST(TCrackUrl, BuffersGrowForA1024CharacterUrlAndAreReused)
{
    TCrackUrl u;
    ASSERT_TRUE(u.Crack("http://h.test/short.swf", L""));
    EXPECT_EQ(u.Capacity(), 1024);
    const char* firstHost = u.Components().lpszHostName;

    const std::string head = "http://h.test/";
    const std::string longUrl = head + std::string(1024 - head.size() - 4, 'a') + ".swf";
    ASSERT_EQ(longUrl.size(), 1024u);
    ASSERT_TRUE(u.Crack(longUrl, L""));
    EXPECT_EQ(u.Capacity(), 1025);
    EXPECT_EQ(u.ComponentLimit(), 1024);
    const char* grownHost = u.Components().lpszHostName;
    EXPECT_NE(grownHost, firstHost);
    EXPECT_EQ(std::string(u.UrlPath()).size(), 1024 - head.size() + 1);
    EXPECT_EQ(u.Url(), longUrl);

    ASSERT_TRUE(u.Crack("http://other.test/b.swf", L""));
    EXPECT_EQ(u.Capacity(), 1025);
    EXPECT_EQ(u.Components().lpszHostName, grownHost);
    EXPECT_STREQ(u.HostName(), "other.test");
}

TEST(TCrackUrl, PercentEscapesReachThePartsDecoded)
{
    TCrackUrl u;
    ASSERT_TRUE(u.Crack("http://h.test/my%20movies/intro%41.swf?q=%31", L""));
    EXPECT_STREQ(u.UrlPath(), "/my movies/introA.swf");
    EXPECT_EQ(u.NormalizedPath(), "/my movies/introA.swf");
}
