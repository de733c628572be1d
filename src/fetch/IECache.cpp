#include "IECache.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// Found once, kept for the process; while not found every call tries again.
bool g_found = false;
// The group functions: looked up because the component needs them to work
// with groups, though no operation of the program calls them.
FARPROC g_findFirstGroup = nullptr;
FARPROC g_findNextGroup = nullptr;
FARPROC g_getGroupAttribute = nullptr;
FARPROC g_setGroupAttribute = nullptr;

// The first fetch of a walk over Wine's stubbed Ex functions fails with this.
constexpr int StubbedExError = ERROR_FILE_NOT_FOUND;

// One heap block per fetched entry, at least as large as the record so that a
// platform answering with a short size can never make us read past it.
std::unique_ptr<uint64_t[]> EntryBlock(DWORD size)
{
    if (size == 0) return nullptr;
    const size_t bytes = std::max<size_t>(size, sizeof(INTERNET_CACHE_ENTRY_INFOA));
    return std::make_unique<uint64_t[]>((bytes + sizeof(uint64_t) - 1) / sizeof(uint64_t));
}

LPINTERNET_CACHE_ENTRY_INFOA AsEntry(const std::unique_ptr<uint64_t[]>& block)
{
    return reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(block.get());
}

std::string Text(const char* p) { return p ? std::string(p) : std::string(); }

}  // namespace

bool LoadWinInet()
{
    if (g_found) return true;
    bool ok = false;
    try {
        if (HMODULE lib = LoadLibraryA("wininet.dll")) {
            const std::pair<const char*, FARPROC*> groupProcs[] = {
                {"FindFirstUrlCacheGroup", &g_findFirstGroup},
                {"FindNextUrlCacheGroup", &g_findNextGroup},
                {"GetUrlCacheGroupAttributeA", &g_getGroupAttribute},
                {"SetUrlCacheGroupAttributeA", &g_setGroupAttribute},
            };
            ok = true;
            for (const auto& [name, slot] : groupProcs) {
                FARPROC proc = GetProcAddress(lib, name);
                if (!proc) {
                    ok = false;
                    break;
                }
                *slot = proc;
            }
            ok = ok && GetProcAddress(lib, "FindFirstUrlCacheEntryExA") != nullptr;
        }
    } catch (...) {
        ok = false;
    }
    g_found = ok;
    return ok;
}

namespace {
[[maybe_unused]] const bool g_foundAtStart = LoadWinInet();
}

TUrlCacheApi WinInetUrlCacheApi()
{
    return TUrlCacheApi{&FindFirstUrlCacheEntryExA, &FindNextUrlCacheEntryExA, &FindCloseUrlCache,
                        &FindFirstUrlCacheEntryA, &FindNextUrlCacheEntryA};
}

TUrlCacheApi& UrlCacheApi()
{
    static TUrlCacheApi api = WinInetUrlCacheApi();  // replaced only by tests
    return api;
}

double FileTimeToDateTime(const FILETIME& time)
{
    try {
        FILETIME local;
        SYSTEMTIME st;
        if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
        return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds)
            .value_or(0.0);
    } catch (...) {
        return 0;
    }
}

TIECache::TIECache(TComponent* AOwner) : TComponent(AOwner)
{
    groupId_ = 0;
    ClearEntry();
    using enum TFilterOption;
    filterOptions_ = FilterOptionBit(NORMAL_ENTRY) | FilterOptionBit(STICKY_ENTRY) | FilterOptionBit(COOKIE_ENTRY) |
                     FilterOptionBit(URLHISTORY_ENTRY) | FilterOptionBit(TRACK_OFFLINE_ENTRY) |
                     FilterOptionBit(TRACK_ONLINE_ENTRY);
}

void TIECache::SetFilterOptions(TFilterOptions v)
{
    filterOptions_ = v;
    filterMask_ = FilterMaskOf(v);
}

void TIECache::ClearEntry()
{
    if (!LoadWinInet()) return;
    groupId_ = 0;
    entryInfo_ = TEntryInfo{};
}

int TIECache::FindFirstEntry(int64_t groupId)
{
    if (!LoadWinInet()) return ERROR_FILE_NOT_FOUND;
    groupId_ = groupId;
    return FetchFirst(TWalk::Ex);
}

int TIECache::FindNextEntry()
{
    if (!LoadWinInet()) return ERROR_FILE_NOT_FOUND;
    return FetchNext(TWalk::Ex);
}

int TIECache::FetchFirst(TWalk walk)
{
    const TUrlCacheApi& api = UrlCacheApi();
    const char* pattern = SearchPatternText(searchPattern_);
    enumHandle_ = nullptr;
    DWORD size = 0;
    // The size probe: it fails and leaves the byte count the entry needs.
    HANDLE probe = walk == TWalk::Ex
                       ? api.FindFirstEx(pattern, 0, filterMask_, groupId_, nullptr, &size, nullptr, nullptr, nullptr)
                       : api.FindFirst(pattern, nullptr, &size);
    if (probe) api.FindClose(probe);  // a platform that answered anyway must not leak a walk
    const auto block = EntryBlock(size);
    enumHandle_ = walk == TWalk::Ex ? api.FindFirstEx(pattern, 0, filterMask_, groupId_, AsEntry(block), &size,
                                                      nullptr, nullptr, nullptr)
                                    : api.FindFirst(pattern, AsEntry(block), &size);
    if (!enumHandle_) return static_cast<int>(GetLastError());
    if (TakeEntry(walk, *AsEntry(block))) return 0;
    return FetchNext(walk);  // the plain walk's first entry did not pass the filter
}

int TIECache::FetchNext(TWalk walk)
{
    const TUrlCacheApi& api = UrlCacheApi();
    for (;;) {
        DWORD size = 0;
        if (walk == TWalk::Ex)
            api.FindNextEx(enumHandle_, nullptr, &size, nullptr, nullptr, nullptr);
        else
            api.FindNext(enumHandle_, nullptr, &size);
        const auto block = EntryBlock(size);
        const BOOL ok = walk == TWalk::Ex ? api.FindNextEx(enumHandle_, AsEntry(block), &size, nullptr, nullptr, nullptr)
                                          : api.FindNext(enumHandle_, AsEntry(block), &size);
        if (!ok) return static_cast<int>(GetLastError());
        if (TakeEntry(walk, *AsEntry(block))) return 0;
    }
}

bool TIECache::TakeEntry(TWalk walk, const INTERNET_CACHE_ENTRY_INFOA& entry)
{
    if (walk == TWalk::Plain && !EntryTypeMatches(entry.CacheEntryType, filterMask_)) return false;
    CopyEntry(entry);
    return true;
}

void TIECache::CopyEntry(const INTERNET_CACHE_ENTRY_INFOA& e)
{
    if (!LoadWinInet()) return;
    TEntryInfo& info = entryInfo_;
    info.SourceUrlName = Text(e.lpszSourceUrlName);
    info.LocalFileName = Text(e.lpszLocalFileName);
    info.EntryType = e.CacheEntryType;
    info.UseCount = e.dwUseCount;
    info.HitRate = e.dwHitRate;
    info.Size = static_cast<int32_t>(e.dwSizeLow);
    info.LastModified = FileTimeToDateTime(e.LastModifiedTime);
    info.Expire = FileTimeToDateTime(e.ExpireTime);
    info.LastAccess = FileTimeToDateTime(e.LastAccessTime);
    info.LastSync = FileTimeToDateTime(e.LastSyncTime);
    // Read as a zero-terminated string, but never beyond the size it comes with.
    info.HeaderInfo = !e.lpHeaderInfo ? std::string()
                      : e.dwHeaderInfoSize ? std::string(e.lpHeaderInfo, strnlen(e.lpHeaderInfo, e.dwHeaderInfoSize))
                                           : std::string(e.lpHeaderInfo);
    info.FileExtension = Text(e.lpszFileExtension);
    info.ExemptDelta = e.dwExemptDelta;
}

int TIECache::Walk(TWalk walk)
{
    // The walk is closed however it ends, an exception from OnEntry included.
    struct TCloser {
        TIECache* self;
        ~TCloser()
        {
            UrlCacheApi().FindClose(self->enumHandle_);
            self->enumHandle_ = nullptr;
        }
    } closer{this};
    cancelFlag_ = false;
    const int first = FetchFirst(walk);
    if (first == 0) {
        if (OnEntry) OnEntry(this, cancelFlag_);
        int r = 0;
        while (r == 0 && !cancelFlag_) {
            r = FetchNext(walk);
            if (r == 0 && OnEntry) OnEntry(this, cancelFlag_);
        }
    }
    return first;
}

void TIECache::EnumerateEntries(int64_t groupId)
{
    if (!LoadWinInet()) return;
    groupId_ = groupId;
    // The plain walk knows no groups, so it can stand in only for a walk of all of them.
    if (Walk(TWalk::Ex) == StubbedExError && groupId == 0) Walk(TWalk::Plain);
}
