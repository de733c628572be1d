// The URL cache walk against the in-memory fake (WinInet's answers, and Wine's
// stubbed Ex functions) and against Wine's real WinInet cache.
#include "IECache.h"

#include "FetchFakeCache.h"
#include "FetchTestSupport.h"

#include <gtest/gtest.h>

namespace {

using enum TFilterOption;
const TFilterOptions MainFormSet = FilterOptionBit(NORMAL_ENTRY) | FilterOptionBit(STICKY_ENTRY) |
                                   FilterOptionBit(COOKIE_ENTRY) | FilterOptionBit(URLHISTORY_ENTRY) |
                                   FilterOptionBit(TRACK_OFFLINE_ENTRY) | FilterOptionBit(TRACK_ONLINE_ENTRY);

// Not named by mingw-w64's wininet.h.
const DWORD Stable = CacheEntryFlag(STABLE_ENTRY);
const DWORD Ocx = CacheEntryFlag(OCX_ENTRY);

TFakeEntry Entry(const std::string& url, DWORD type = NORMAL_CACHE_ENTRY)
{
    TFakeEntry e;
    e.Url = url;
    e.File = "C:\\cache\\" + url.substr(url.rfind('/') + 1);
    e.Type = type;
    return e;
}

class IECacheFake : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallFakeCache();
        cache_.SetFilterOptions(MainFormSet);
        cache_.OnEntry = [this](TObject* sender, bool& cancel) {
            EXPECT_EQ(sender, &cache_);
            seen_.push_back(cache_.EntryInfo().SourceUrlName);
            if (cancelAt_ && static_cast<int>(seen_.size()) == cancelAt_) cancel = true;
        };
    }
    void TearDown() override { UninstallFakeCache(); }

    TFakeCache& fake_ = FakeCache();
    TIECache cache_{nullptr};
    std::vector<std::string> seen_;
    int cancelAt_ = 0;
};

}  // namespace

TEST_F(IECacheFake, FilterMaskFollowsAssignmentsOnly)
{
    TIECache fresh(nullptr);
    EXPECT_EQ(fresh.FilterOptions(), 125);
    EXPECT_EQ(fresh.FilterMask(), 0u);  // the constructor stores the set without the mask
    fresh.SetFilterOptions(MainFormSet);
    EXPECT_EQ(fresh.FilterMask(), 0x00300035u);
    fresh.SetFilterOptions(0);
    EXPECT_EQ(fresh.FilterMask(), 0u);

    fake_.Entries = {Entry("http://h/a.swf")};
    cache_.EnumerateEntries(0);
    ASSERT_EQ(fake_.Firsts.size(), 1u);
    EXPECT_EQ(fake_.Firsts[0].Filter, 0x00300035u);
    EXPECT_EQ(fake_.Firsts[0].Group, 0);
}

TEST_F(IECacheFake, WalksEveryEntryWithOneProbeAndOneFetchEachUntilCancel)
{
    fake_.Entries = {Entry("http://h/1.swf"), Entry("http://h/2.swf"), Entry("http://h/3.swf")};
    cache_.EnumerateEntries(0);
    EXPECT_EQ(seen_, (std::vector<std::string>{"http://h/1.swf", "http://h/2.swf", "http://h/3.swf"}));
    // A probe and a fetch per entry, plus the probe that meets the end.
    EXPECT_EQ(fake_.Fetches, 3);
    EXPECT_EQ(fake_.Probes, 3);
    EXPECT_EQ(fake_.Closed, std::vector<HANDLE>{TFakeCache::ExHandle});

    // Cancel on the first entry: exactly one is reported, and the walk is closed.
    seen_.clear();
    fake_.Closed.clear();
    cancelAt_ = 1;
    cache_.EnumerateEntries(0);
    EXPECT_EQ(seen_, std::vector<std::string>{"http://h/1.swf"});
    EXPECT_EQ(fake_.Closed, std::vector<HANDLE>{TFakeCache::ExHandle});
}

TEST_F(IECacheFake, NoMatchingEntryNeverReportsButClosesOnce)
{
    fake_.Entries = {Entry("http://h/stable.swf", Stable)};
    cache_.EnumerateEntries(0);
    EXPECT_TRUE(seen_.empty());
    EXPECT_EQ(fake_.Closed, std::vector<HANDLE>{nullptr});
}

TEST_F(IECacheFake, PatternsFollowTheSearchPattern)
{
    fake_.Entries = {Entry("http://h/1.swf")};
    const std::pair<TSearchPattern, const char*> cases[] = {{TSearchPattern::spAll, nullptr},
                                                            {TSearchPattern::spUrl, ""},
                                                            {TSearchPattern::spCookies, "Cookie:"},
                                                            {TSearchPattern::spHistory, "Visited:"}};
    for (const auto& [pattern, text] : cases) {
        fake_.Firsts.clear();
        cache_.SetSearchPattern(pattern);
        cache_.EnumerateEntries(0);
        ASSERT_EQ(fake_.Firsts.size(), 1u);
        EXPECT_EQ(fake_.Firsts[0].PatternNull, text == nullptr) << static_cast<int>(pattern);
        if (text) {
            EXPECT_EQ(fake_.Firsts[0].Pattern, text);
        }
    }
}

TEST_F(IECacheFake, EntryFieldsAreCopiedWithLowSizeAndLocalTimes)
{
    TFakeEntry e = Entry("http://h/big.swf", NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY);
    e.SizeLow = 0x00000123;
    e.SizeHigh = 1;  // 4 GiB + 0x123
    e.UseCount = 7;
    e.HitRate = 9;
    e.Header = "HTTP/1.0 200 OK\r\n";
    e.Extension = "swf";
    e.ExemptDelta = 3600;
    // 1 January 2000, 12:00 UTC.
    const ULONGLONG noon2000 = 125911584000000000ULL + 12ULL * 3600 * 10000000;
    e.Modified = FILETIME{static_cast<DWORD>(noon2000), static_cast<DWORD>(noon2000 >> 32)};
    e.Sync = FILETIME{0xFFFFFFFF, 0xFFFFFFFF};
    fake_.Entries = {e};
    cache_.EnumerateEntries(0);
    ASSERT_EQ(seen_.size(), 1u);

    const TEntryInfo& info = cache_.EntryInfo();
    EXPECT_EQ(info.LocalFileName, "C:\\cache\\big.swf");
    EXPECT_EQ(info.EntryType, NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY);
    EXPECT_EQ(info.Size, 0x123);
    EXPECT_EQ(info.UseCount, 7u);
    EXPECT_EQ(info.HitRate, 9u);
    EXPECT_EQ(info.HeaderInfo, "HTTP/1.0 200 OK\r\n");
    EXPECT_EQ(info.FileExtension, "swf");
    EXPECT_EQ(info.ExemptDelta, 3600u);
    // Local time, worked out here through the time-zone route instead.
    SYSTEMTIME utc{2000, 1, 6, 1, 12, 0, 0, 0}, local{};
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    const double expected = *EncodeDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                                            local.wSecond, local.wMilliseconds);
    EXPECT_NEAR(info.LastModified, expected, 1e-6);
    // A time the platform cannot convert gives 0.
    EXPECT_EQ(info.LastSync, 0.0);
}

TEST_F(IECacheFake, WineStubbedExWalksAgainWithPlainFunctionsAndOurFilter)
{
    fake_.ExStub = true;
    fake_.Entries = {Entry("http://h/normal.swf"), Entry("http://h/stable.swf", Stable),
                     Entry("Cookie:user@h/", COOKIE_CACHE_ENTRY), Entry("http://h/ocx", Ocx)};
    cache_.SetSearchPattern(TSearchPattern::spUrl);
    cache_.EnumerateEntries(0);
    EXPECT_EQ(seen_, (std::vector<std::string>{"http://h/normal.swf", "Cookie:user@h/"}));
    // The failed Ex walk closes its null handle, the plain walk its own.
    EXPECT_EQ(fake_.Closed, (std::vector<HANDLE>{nullptr, TFakeCache::PlainHandle}));
    ASSERT_EQ(fake_.Firsts.size(), 1u);
    EXPECT_FALSE(fake_.Firsts[0].Ex);
    EXPECT_FALSE(fake_.Firsts[0].PatternNull);
    EXPECT_EQ(fake_.Firsts[0].Pattern, "");
}

TEST_F(IECacheFake, PlainWalkSkipsAFilteredFirstEntryAndHonoursCancel)
{
    fake_.ExStub = true;
    fake_.Entries = {Entry("http://h/stable.swf", Stable), Entry("http://h/1.swf"),
                     Entry("http://h/2.swf")};
    cancelAt_ = 1;
    cache_.EnumerateEntries(0);
    EXPECT_EQ(seen_, std::vector<std::string>{"http://h/1.swf"});
    EXPECT_EQ(fake_.Closed, (std::vector<HANDLE>{nullptr, TFakeCache::PlainHandle}));
}

TEST_F(IECacheFake, NoSecondWalkForOtherErrorsOrAGroup)
{
    // An empty cache ends the Ex walk with ERROR_NO_MORE_ITEMS: no second walk.
    cache_.EnumerateEntries(0);
    EXPECT_EQ(fake_.Closed, std::vector<HANDLE>{nullptr});
    // The plain functions know no groups: a group walk is not repeated with them.
    fake_.ExStub = true;
    fake_.Entries = {Entry("http://h/1.swf")};
    fake_.Closed.clear();
    cache_.EnumerateEntries(77);
    EXPECT_TRUE(seen_.empty());
    EXPECT_EQ(fake_.Closed, std::vector<HANDLE>{nullptr});
}

TEST_F(IECacheFake, FindFirstEntryReturnsThePlatformError)
{
    fake_.ExStub = true;
    EXPECT_EQ(cache_.FindFirstEntry(0), ERROR_FILE_NOT_FOUND);
    fake_.ExStub = false;
    EXPECT_EQ(cache_.FindFirstEntry(0), ERROR_NO_MORE_ITEMS);
    fake_.Entries = {Entry("http://h/1.swf")};
    EXPECT_EQ(cache_.FindFirstEntry(0), 0);
    EXPECT_EQ(cache_.EntryInfo().SourceUrlName, "http://h/1.swf");
    EXPECT_EQ(cache_.FindNextEntry(), ERROR_NO_MORE_ITEMS);
    cache_.ClearEntry();
    EXPECT_EQ(cache_.EntryInfo().SourceUrlName, "");
}

// ------------------------------------------------------------------ the real cache

TEST(IECacheWinInet, FindsAnEntryCommittedToTheRealCache)
{
    ASSERT_TRUE(LoadWinInet());
    const std::string url = "http://vendrake.test/" + UniqueKey("movie") + ".swf";
    const std::string movie = std::string("FWS\x06", 4) + std::string("\0\x01\x02 body", 8);
    char file[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "swf", file, 0)) << GetLastError();
    WriteWholeFile(file, movie);
    const FILETIME none{};
    ASSERT_TRUE(CommitUrlCacheEntryA(url.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, "swf", nullptr));

    TIECache cache(nullptr);
    cache.SetFilterOptions(MainFormSet);
    cache.SetSearchPattern(TSearchPattern::spUrl);
    int matches = 0;
    std::string localFile;
    cache.OnEntry = [&](TObject*, bool& cancel) {
        if (cache.EntryInfo().SourceUrlName != url) return;
        ++matches;
        localFile = cache.EntryInfo().LocalFileName;
        EXPECT_TRUE(cache.EntryInfo().EntryType & NORMAL_CACHE_ENTRY);
        cancel = true;
    };
    cache.EnumerateEntries(0);
    EXPECT_EQ(matches, 1);
    EXPECT_EQ(ReadWholeFile(localFile), movie);
    DeleteUrlCacheEntryA(url.c_str());
}

TEST(IECacheWinInet, KnownWineGapFindFirstUrlCacheEntryExIsAStub)
{
    // Wine's FindFirstUrlCacheEntryExA always fails this way, which is why the
    // walk has its second, plain route. Once Wine implements it, this test
    // fails: the second route is then no longer needed there.
    if (!RunningUnderWine()) GTEST_SKIP() << "not under Wine";
    DWORD size = 0;
    SetLastError(0);
    HANDLE h = FindFirstUrlCacheEntryExA(nullptr, 0, 0xFFFFFFFF, 0, nullptr, &size, nullptr, nullptr, nullptr);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(size, 0u);
}
