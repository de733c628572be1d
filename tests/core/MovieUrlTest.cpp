#include "MovieUrl.h"

#include <gtest/gtest.h>

namespace {

struct TRow {
    const char* Base;
    const char* Reference;
    const char* Url;
};

constexpr char kRfc[] = "http://a/b/c/d;p?q";

class ResolveTable : public ::testing::TestWithParam<TRow> {};

TEST_P(ResolveTable, ResolvesAsTheBrowserDoes)
{
    const TRow& row = GetParam();
    EXPECT_EQ(ResolveMovieURL(row.Base, row.Reference), row.Url) << row.Base << " + " << row.Reference;
}

// RFC 3986 5.4, the normal and the abnormal examples ("//g" is written with
// the "/" an empty web path is kept as, "http:g" read as the compatible way).
INSTANTIATE_TEST_SUITE_P(
    Rfc3986, ResolveTable,
    ::testing::Values(
        TRow{kRfc, "g:h", "g:h"}, TRow{kRfc, "g", "http://a/b/c/g"}, TRow{kRfc, "./g", "http://a/b/c/g"},
        TRow{kRfc, "g/", "http://a/b/c/g/"}, TRow{kRfc, "/g", "http://a/g"}, TRow{kRfc, "//g", "http://g/"},
        TRow{kRfc, "?y", "http://a/b/c/d;p?y"}, TRow{kRfc, "g?y", "http://a/b/c/g?y"},
        TRow{kRfc, "#s", "http://a/b/c/d;p?q#s"}, TRow{kRfc, "g#s", "http://a/b/c/g#s"},
        TRow{kRfc, "g?y#s", "http://a/b/c/g?y#s"}, TRow{kRfc, ";x", "http://a/b/c/;x"},
        TRow{kRfc, "g;x", "http://a/b/c/g;x"}, TRow{kRfc, "g;x?y#s", "http://a/b/c/g;x?y#s"},
        TRow{kRfc, ".", "http://a/b/c/"}, TRow{kRfc, "./", "http://a/b/c/"}, TRow{kRfc, "..", "http://a/b/"},
        TRow{kRfc, "../", "http://a/b/"}, TRow{kRfc, "../g", "http://a/b/g"}, TRow{kRfc, "../..", "http://a/"},
        TRow{kRfc, "../../", "http://a/"}, TRow{kRfc, "../../g", "http://a/g"},
        TRow{kRfc, "../../../g", "http://a/g"}, TRow{kRfc, "../../../../g", "http://a/g"},
        TRow{kRfc, "/./g", "http://a/g"}, TRow{kRfc, "/../g", "http://a/g"}, TRow{kRfc, "g.", "http://a/b/c/g."},
        TRow{kRfc, ".g", "http://a/b/c/.g"}, TRow{kRfc, "g..", "http://a/b/c/g.."},
        TRow{kRfc, "..g", "http://a/b/c/..g"}, TRow{kRfc, "./../g", "http://a/b/g"},
        TRow{kRfc, "./g/.", "http://a/b/c/g/"}, TRow{kRfc, "g/./h", "http://a/b/c/g/h"},
        TRow{kRfc, "g/../h", "http://a/b/c/h"}, TRow{kRfc, "g;x=1/./y", "http://a/b/c/g;x=1/y"},
        TRow{kRfc, "g;x=1/../y", "http://a/b/c/y"}, TRow{kRfc, "g?y/./x", "http://a/b/c/g?y/./x"},
        TRow{kRfc, "g?y/../x", "http://a/b/c/g?y/../x"}, TRow{kRfc, "g#s/./x", "http://a/b/c/g#s/./x"},
        TRow{kRfc, "g#s/../x", "http://a/b/c/g#s/../x"}, TRow{kRfc, "http:g", "http://a/b/c/g"}));

// What real pages write.
INSTANTIATE_TEST_SUITE_P(
    Pages, ResolveTable,
    ::testing::Values(
        // A "/" in the page's query says nothing about its folder.
        TRow{"http://h/index.php?page=about/history", "flash/history.swf", "http://h/flash/history.swf"},
        // "../" inside the movie's own query is the movie's business.
        TRow{"http://h/a/b/p.htm", "menu.swf?xmlUrl=../xml/menu.xml", "http://h/a/b/menu.swf?xmlUrl=../xml/menu.xml"},
        TRow{"http://h/a/b/p.htm", "m/../../x.swf", "http://h/a/x.swf"},
        TRow{"http://h:8080/a/b/p.htm", "/site/movies/b.swf", "http://h:8080/site/movies/b.swf"},
        TRow{"https://h/a/p.htm", "//cdn.example/x.swf", "https://cdn.example/x.swf"},
        TRow{"http://h/a/p.htm", "https://cdn.example/x.swf", "https://cdn.example/x.swf"},
        TRow{"http://h/a/p.htm", "HTTP://CDN.Example:80/M/X.swf", "http://cdn.example/M/X.swf"},
        TRow{"http://h/a/p.htm", "https://h:443", "https://h/"},
        TRow{"http://h/a/p.htm", " \tmovies\\intro.swf?a=\\b\r\n", "http://h/a/movies/intro.swf?a=\\b"},
        TRow{"http://h/a/p.htm", "city tour.swf", "http://h/a/city%20tour.swf"},
        TRow{"http://User:Pw@H/a/p.htm", "x.swf", "http://User:Pw@h/a/x.swf"},
        TRow{"page.htm", "../x.swf", "x.swf"}, TRow{"", "x.swf", ""}, TRow{"http://h/", " ", ""}));

TEST(CachedAddress, IsTheBrowsersFormWithoutTheFragment)
{
    EXPECT_EQ(CachedAddress("HTTP://H:80/a/./b/../x.swf#frame"), "http://h/a/x.swf");
    EXPECT_EQ(CachedAddress("https://h:443/a.swf"), CachedAddress("https://h/a.swf"));
    EXPECT_EQ(CachedAddress("http://h"), "http://h/");
    EXPECT_EQ(CachedAddress(""), "");
}

}  // namespace
