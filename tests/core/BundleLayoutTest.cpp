#include "BundleLayout.h"

#include <gtest/gtest.h>

namespace {

struct TPathRow {
    std::string Address;
    std::optional<std::string> Path;
};

std::string Repeated(std::string_view s, int n)
{
    std::string out;
    while (n-- > 0) out += s;
    return out;
}

}  // namespace

// One layout, asked in this order: each row's path depends on what the rows
// before it took.
TEST(BundleLayout, PathsFollowAddressesAndNeverClashInAnyCase)
{
    TBundleLayout layout("http://www.site.test/site/index.php?lang=en");
    const std::string site = "http://www.site.test/";
    const TPathRow rows[] = {
        {site + "site/movies/intro.swf", "site/movies/intro.swf"},
        {"HTTP://WWW.SITE.TEST:80/site/movies/intro.swf#frame", "site/movies/intro.swf"},
        // The same server (UrlHost), another address.
        {"https://www.site.test/site/movies/intro.swf", "site/movies/intro (2).swf"},
        // Case folds: the folder stays as first written.
        {site + "site/Movies/INTRO.swf", "site/movies/INTRO (3).swf"},
        {"http://cdn.test:8080/lib/a%20b.xml", "cdn.test_8080/lib/a b.xml"},
        {site + "data.php?id=3&t=a/b", "data.php@id=3&t=a_b"},
        {site + "site/", "site/index.html"},
        {site + "%E5%8A%A8%E7%94%BB.swf", "\xE5\x8A\xA8\xE7\x94\xBB.swf"},
        {site + "%B6%AF.swf", "%B6%AF.swf"},                 // decodes to no UTF-8: as written
        {site + "\xB6\xAF.swf", "%B6%AF (2).swf"},           // raw bytes of no UTF-8 escaped
        {site + "con.txt", "_con.txt"},
        {site + "x/%2E%2E//y.", "x/_/_/y"},
        // A file where a folder is, and a folder where a file is.
        {site + "site/movies", "site/movies (2)"},
        {site + "doc", "doc"},
        {site + "doc/a.swf", "doc (2)/a.swf"},
        {site + "DOC/b.swf", "doc (2)/b.swf"},
        {site + std::string(300, 'x') + ".swf", std::string(196, 'x') + ".swf"},
        // Folders beyond 240 bytes go; the file keeps its name.
        {site + Repeated("d/", 150) + "m.swf", Repeated("d/", 108) + "m.swf"},
        {"ftp://www.site.test/a.swf", std::nullopt},
        {"about:blank", std::nullopt},
    };
    for (const TPathRow& row : rows) EXPECT_EQ(layout.PathOf(row.Address), row.Path) << row.Address;
    EXPECT_EQ(layout.PagePath(), "site/index.php@lang=en.htm");
    EXPECT_EQ(layout.PagePath(), "site/index.php@lang=en.htm");
    EXPECT_EQ(layout.PathOf(site + "index.html"), "index.html");
    EXPECT_EQ(layout.RootName("Index.html"), "Index (2).html");
    EXPECT_EQ(layout.RootName("Index.html"), "Index (3).html");
}

TEST(BundleLayout, RelativeLinksStepUpFromTheFoldersAndEscapeWhatAnAddressCannotHold)
{
    const struct {
        const char *From, *To, *Link;
    } rows[] = {
        {"site/index.php.htm", "site/movies/intro.swf", "movies/intro.swf"},
        {"site/movies/intro.swf", "cdn.test_8080/lib/a b.xml", "../../cdn.test_8080/lib/a%20b.xml"},
        {"Site/Movies/a.swf", "site/movies/b.swf", "b.swf"},
        {"a.htm", "\xE5\x8A\xA8 #1?100%.swf", "%E5%8A%A8%20%231%3F100%25.swf"},
        {"site/a/b.swf", "site/", "../"},
        {"site/b.swf", "site/", "./"},
        {"index.htm", "site/movies/", "site/movies/"},
    };
    for (const auto& row : rows) EXPECT_EQ(RelativeLink(row.From, row.To), row.Link) << row.From << " -> " << row.To;
}
