#include "MovieUrl.h"

#include <gtest/gtest.h>

namespace {

constexpr char kPage[] = "http://www.example.com/a/b/page.htm";

struct TRow {
    const char* Path;
    const char* Url;
    const char* Title;
};

class ResolveTable : public ::testing::TestWithParam<TRow> {};

TEST_P(ResolveTable, JoinsAgainstThePageDirectory)
{
    const TRow& row = GetParam();
    const auto r = ResolveMovieURL(kPage, row.Path);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->MovieURL, row.Url);
    EXPECT_EQ(r->Remainder, row.Title);
}

INSTANTIATE_TEST_SUITE_P(
    SaveFlow, ResolveTable,
    ::testing::Values(TRow{"x.swf", "http://www.example.com/a/b/x.swf", "x.swf"},
                      TRow{"./x.swf", "http://www.example.com/a/b/x.swf", "x.swf"},
                      TRow{"../x.swf", "http://www.example.com/a/x.swf", "x.swf"},
                      TRow{"../../f/x.swf", "http://www.example.com/f/x.swf", "f/x.swf"},
                      TRow{"/f/x.swf", "http://www.example.com/a/b/f/x.swf", "/f/x.swf"},
                      TRow{"f/../x.swf", "http://www.example.com/a/b/f/x.swf", "f/x.swf"},
                      TRow{".././x.swf", "http://www.example.com/a/./x.swf", "./x.swf"},
                      // Only HTTP: in any case is absolute; ../ is deleted from it too.
                      TRow{"HtTp://cdn.example.com/m/../x.swf", "HtTp://cdn.example.com/m/x.swf",
                           "HtTp://cdn.example.com/m/x.swf"},
                      TRow{"https://cdn.example.com/x.swf", "http://www.example.com/a/b/https://cdn.example.com/x.swf",
                           "https://cdn.example.com/x.swf"},
                      TRow{"//cdn.example.com/x.swf", "http://www.example.com/a/b//cdn.example.com/x.swf",
                           "//cdn.example.com/x.swf"}));

TEST(ResolveMovieURL, EmptyInputGivesNothing)
{
    EXPECT_FALSE(ResolveMovieURL("", "x.swf").has_value());
    EXPECT_FALSE(ResolveMovieURL(kPage, "").has_value());
}

TEST(ResolveMovieURL, ClimbingPastTheTopKeepsWhatIsLeft)
{
    // http: / / www.example.com / a / b: five cuts use up every "/" there is.
    const auto r = ResolveMovieURL(kPage, "../../../../../../../x.swf");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->MovieURL, "http:/x.swf");
    EXPECT_EQ(r->Remainder, "x.swf");
}

TEST(ResolveMovieURL, PageWithoutSlashKeepsBaseWhole)
{
    const auto r = ResolveMovieURL("page.htm", "../x.swf");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->MovieURL, "page.htm/x.swf");
}

TEST(ResolveMovieURL, RemainderOfOnlyDotSegmentsJoinsAnEmptyPath)
{
    for (const char* path : {"./", "../", "./../"}) {
        SCOPED_TRACE(path);
        const auto r = ResolveMovieURL(kPage, path);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->Remainder, "");
        EXPECT_EQ(r->MovieURL.back(), '/');
    }
    EXPECT_EQ(ResolveMovieURL(kPage, "./")->MovieURL, "http://www.example.com/a/b/");
    EXPECT_EQ(ResolveMovieURL(kPage, "../")->MovieURL, "http://www.example.com/a/");
}

}  // namespace
