#include "FetchRules.h"

#include <gtest/gtest.h>

using Chain = std::vector<std::string>;

TEST(LastCharPos, CountsFromOneAndScansFromTheEnd)
{
    EXPECT_EQ(LastCharPos('/', ""), 0);
    EXPECT_EQ(LastCharPos('/', "/"), 1);
    EXPECT_EQ(LastCharPos('/', "a/b/c"), 4);
    EXPECT_EQ(LastCharPos('.', "abc"), 0);
    EXPECT_EQ(LastCharPos('c', "abc"), 3);
}

TEST(NormalizeUrlPath, MarksExtensionlessLastSegmentAsDirectory)
{
    EXPECT_EQ(NormalizeUrlPath("/a/b/page.htm"), "/a/b/page.htm");
    EXPECT_EQ(NormalizeUrlPath("/a/b"), "/a/b/");
    EXPECT_EQ(NormalizeUrlPath("/a/b/"), "/a/b/");
    EXPECT_EQ(NormalizeUrlPath(""), "/");
    EXPECT_EQ(NormalizeUrlPath("/"), "/");
    // Only the last segment counts, and a path without "/" is left alone.
    EXPECT_EQ(NormalizeUrlPath("/v1.2/b"), "/v1.2/b/");
    EXPECT_EQ(NormalizeUrlPath("page"), "page");
}

TEST(HostDomainOf, KeepsLastTwoLabelsOrHeadOfTwo)
{
    EXPECT_EQ(HostDomainOf("p.q.r", "old"), "q.r");
    EXPECT_EQ(HostDomainOf("q.r", "old"), "q");
    EXPECT_EQ(HostDomainOf("o.p.q.r", "old"), "q.r");
    EXPECT_EQ(HostDomainOf("localhost", "old"), "old");
    EXPECT_EQ(HostDomainOf(".r", "old"), "old");
    EXPECT_EQ(HostDomainOf("", "old"), "old");
}

TEST(ReplaceBreakTags, EveryLowerCaseTagBecomesCrLf)
{
    EXPECT_EQ(ReplaceBreakTags("a<br>b<br>c"), "a\r\nb\r\nc");
    EXPECT_EQ(ReplaceBreakTags("<br><br>"), "\r\n\r\n");
    EXPECT_EQ(ReplaceBreakTags("a<BR>b<Br>c<br/>"), "a<BR>b<Br>c<br/>");
    EXPECT_EQ(ReplaceBreakTags("<b<br>r>"), "<b\r\nr>");
    EXPECT_EQ(ReplaceBreakTags(""), "");
}

TEST(FilterMask, SumsTheFlagsOfTheSet)
{
    EXPECT_EQ(FilterMaskOf(0), 0u);
    using enum TFilterOption;
    const TFilterOptions mainForm = FilterOptionBit(NORMAL_ENTRY) | FilterOptionBit(STICKY_ENTRY) |
                                    FilterOptionBit(COOKIE_ENTRY) | FilterOptionBit(URLHISTORY_ENTRY) |
                                    FilterOptionBit(TRACK_OFFLINE_ENTRY) | FilterOptionBit(TRACK_ONLINE_ENTRY);
    EXPECT_EQ(mainForm, 125);
    EXPECT_EQ(FilterMaskOf(mainForm), 0x00300035u);
    EXPECT_EQ(FilterMaskOf(0x1FF), 0x00330037u);
    EXPECT_EQ(FilterMaskOf(FilterOptionBit(OCX_ENTRY)), 0x00020000u);
    // Bits above the nine members stand for nothing.
    EXPECT_EQ(FilterMaskOf(0xFE00), 0u);
}

TEST(FilterMask, EntryMatchesWhenAnyTypeFlagIsInTheMask)
{
    EXPECT_TRUE(EntryTypeMatches(0x00000001, 0x00300035));
    EXPECT_TRUE(EntryTypeMatches(0x00100001, 0x00100000));
    EXPECT_FALSE(EntryTypeMatches(0x00000002, 0x00300035));  // STABLE is not in the main form's set
    EXPECT_FALSE(EntryTypeMatches(0x00000001, 0));
}

TEST(SearchPattern, AllIsNullAndUrlIsEmptyString)
{
    EXPECT_EQ(SearchPatternText(TSearchPattern::spAll), nullptr);
    ASSERT_NE(SearchPatternText(TSearchPattern::spUrl), nullptr);
    EXPECT_STREQ(SearchPatternText(TSearchPattern::spUrl), "");
    EXPECT_STREQ(SearchPatternText(TSearchPattern::spCookies), "Cookie:");
    EXPECT_STREQ(SearchPatternText(TSearchPattern::spHistory), "Visited:");
}

TEST(ParseDecimal, AcceptsOnlyWholeNumbersWithin32Bits)
{
    EXPECT_EQ(ParseDecimal("200"), 200);
    EXPECT_EQ(ParseDecimal("  404"), 404);
    EXPECT_EQ(ParseDecimal("-7"), -7);
    EXPECT_EQ(ParseDecimal("2147483647"), 2147483647);
    EXPECT_EQ(ParseDecimal("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimal("2147483648"), std::nullopt);
    EXPECT_EQ(ParseDecimal("99999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseDecimal(""), std::nullopt);
    EXPECT_EQ(ParseDecimal("-"), std::nullopt);
    EXPECT_EQ(ParseDecimal("12a"), std::nullopt);
    EXPECT_EQ(ParseDecimal("200 "), std::nullopt);
}

TEST(EncodeDateTime, CountsDaysFromDecember30Of1899)
{
    EXPECT_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0, 0), 0.0);
    EXPECT_EQ(EncodeDateTime(1900, 1, 1, 0, 0, 0, 0), 2.0);
    EXPECT_EQ(EncodeDateTime(2000, 1, 1, 12, 0, 0, 0), 36526.5);
    EXPECT_EQ(EncodeDateTime(1601, 1, 1, 0, 0, 0, 0), -109205.0);
    // Before day 0 the time of day moves away from zero.
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
    EXPECT_DOUBLE_EQ(*EncodeDateTime(2024, 2, 29, 23, 59, 59, 999), 45351.0 + 86399.999 / 86400.0);
    EXPECT_EQ(EncodeDateTime(2023, 2, 29, 0, 0, 0, 0), std::nullopt);
    EXPECT_EQ(EncodeDateTime(2023, 13, 1, 0, 0, 0, 0), std::nullopt);
    EXPECT_EQ(EncodeDateTime(2023, 1, 1, 24, 0, 0, 0), std::nullopt);
}

TEST(DirectoryPart, EndsAtTheLastDelimiter)
{
    EXPECT_EQ(DirectoryPart("C:\\a\\b\\x.swf"), "C:\\a\\b\\");
    EXPECT_EQ(DirectoryPart("C:/a/x.swf"), "C:/a/");
    EXPECT_EQ(DirectoryPart("C:x.swf"), "C:");
    EXPECT_EQ(DirectoryPart("x.swf"), "");
}

TEST(DirectoryPart, SecondByteOfDoubleByteCharacterIsNoDelimiter)
{
    // 0x81 0x5C is one character of code page 936 whose second byte is '\'.
    EXPECT_EQ(DirectoryPart("C:\\d\\\x81\x5C.swf"), "C:\\d\\");
    EXPECT_EQ(DirectoryPart("C:\\\x81\x5C\\x.swf"), "C:\\\x81\x5C\\");
}

TEST(DirectoryChain, ListsCreatableDirectoriesOutermostFirst)
{
    EXPECT_EQ(DirectoryChain("C:\\a\\b\\"), (Chain{"C:\\a", "C:\\a\\b"}));
    EXPECT_EQ(DirectoryChain("C:\\a\\b"), (Chain{"C:\\a", "C:\\a\\b"}));
    EXPECT_EQ(DirectoryChain("C:\\"), Chain{});
    EXPECT_EQ(DirectoryChain("C:"), Chain{});
    EXPECT_EQ(DirectoryChain("\\\\srv\\share\\a\\"), Chain{"\\\\srv\\share\\a"});
    EXPECT_EQ(DirectoryChain("\\\\srv\\share\\"), Chain{});
    EXPECT_EQ(DirectoryChain("\\a\\b\\"), (Chain{"\\a", "\\a\\b"}));
    EXPECT_EQ(DirectoryChain("a/b/"), (Chain{"a", "a/b"}));
    EXPECT_EQ(DirectoryChain("C:\\a\\\\b\\"), (Chain{"C:\\a", "C:\\a\\\\b"}));
    EXPECT_EQ(DirectoryChain("C:\\\x81\x5C\\"), Chain{"C:\\\x81\x5C"});
    EXPECT_EQ(DirectoryChain(""), Chain{});
}
