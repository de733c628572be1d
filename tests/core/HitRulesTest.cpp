#include "HitRules.h"

#include <gtest/gtest.h>

TEST(PlayerMoviePath, QuotedSourceYieldsPathUpToSwf)
{
    EXPECT_EQ(PlayerMoviePath("<player src=\"a/b.swf\"></player>"), "a/b.swf");
    EXPECT_EQ(PlayerMoviePath("<PLAYER id=x src='movies/intro.swf?v=2'>"), "movies/intro.swf");
}

TEST(PlayerMoviePath, UnquotedValueLosesItsFirstCharacter)
{
    EXPECT_EQ(PlayerMoviePath("<player src=a/b.swf>"), "/b.swf");
}

TEST(PlayerMoviePath, NoSwfOrEmptyMarkupFallsThrough)
{
    EXPECT_EQ(PlayerMoviePath(""), std::nullopt);
    EXPECT_EQ(PlayerMoviePath("<player src=\"a/b.flv\">"), std::nullopt);
}

TEST(PlayerMoviePath, WithoutSrcStartsAtTheFifthCharacter)
{
    EXPECT_EQ(PlayerMoviePath("<player movie=x.swf>"), "yer movie=x.swf");
}

TEST(PlayerMoviePath, SwfOnlyBeforeTheValueGivesThreeCharacters)
{
    // ".swf" occurs, but not after the value's start: the first three characters remain.
    EXPECT_EQ(PlayerMoviePath("<player data=\"x.swf\" src=\"abcdef\">"), "abc");
}

TEST(PlayerMoviePath, ShortMarkupNeverReadsPastTheEnd)
{
    EXPECT_EQ(PlayerMoviePath(".swf"), "");
    EXPECT_EQ(PlayerMoviePath("src=.swf"), "swf");
    EXPECT_EQ(PlayerMoviePath("a.swfsrc="), "");
    EXPECT_EQ(PlayerMoviePath("src=\".swf"), ".swf");
}

TEST(TrimClassName, DropsSpacesAndControlCharacters)
{
    EXPECT_EQ(TrimClassName("  Internet Explorer_Server\t\r\n"), "Internet Explorer_Server");
    EXPECT_EQ(TrimClassName("\x01\x1f"), "");
    EXPECT_EQ(TrimClassName("MacromediaFlashPlayerActiveX"), "MacromediaFlashPlayerActiveX");
}
