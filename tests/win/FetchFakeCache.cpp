#include "FetchFakeCache.h"

#include <cstring>

namespace {

TFakeCache g_cache;
// The walk in progress: index of the next entry to look at, and its filter.
struct TWalkState {
    size_t Next = 0;
    bool Ex = false;
    DWORD Filter = 0;
} g_walk;

size_t FindMatch(size_t from)
{
    for (size_t i = from; i < g_cache.Entries.size(); ++i)
        if (!g_walk.Ex || (g_cache.Entries[i].Type & g_walk.Filter)) return i;
    return g_cache.Entries.size();
}

// Writes entry i into the caller's block, or asks for a bigger one.
bool Fill(size_t i, LPINTERNET_CACHE_ENTRY_INFOA out, LPDWORD size)
{
    const TFakeEntry& e = g_cache.Entries[i];
    const DWORD needed = static_cast<DWORD>(sizeof(INTERNET_CACHE_ENTRY_INFOA) + e.Url.size() + e.File.size() +
                                            e.Header.size() + e.Extension.size() + 4);
    if (!out || *size < needed) {
        ++g_cache.Probes;
        *size = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    ++g_cache.Fetches;
    std::memset(out, 0, sizeof(*out));
    char* text = reinterpret_cast<char*>(out + 1);
    auto put = [&text](const std::string& s) {
        std::memcpy(text, s.c_str(), s.size() + 1);
        char* start = text;
        text += s.size() + 1;
        return start;
    };
    out->dwStructSize = sizeof(*out);
    out->lpszSourceUrlName = put(e.Url);
    out->lpszLocalFileName = put(e.File);
    out->CacheEntryType = e.Type;
    out->dwUseCount = e.UseCount;
    out->dwHitRate = e.HitRate;
    out->dwSizeLow = e.SizeLow;
    out->dwSizeHigh = e.SizeHigh;
    out->LastModifiedTime = e.Modified;
    out->ExpireTime = e.Expire;
    out->LastAccessTime = e.Access;
    out->LastSyncTime = e.Sync;
    out->lpHeaderInfo = put(e.Header);
    out->dwHeaderInfoSize = static_cast<DWORD>(e.Header.size());
    out->lpszFileExtension = put(e.Extension);
    out->dwExemptDelta = e.ExemptDelta;
    return true;
}

HANDLE First(bool ex, LPCSTR pattern, DWORD filter, GROUPID group, LPINTERNET_CACHE_ENTRY_INFOA out, LPDWORD size)
{
    g_walk = TWalkState{0, ex, filter};
    const size_t i = FindMatch(0);
    if (i == g_cache.Entries.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return nullptr;
    }
    if (!Fill(i, out, size)) return nullptr;
    g_cache.Firsts.push_back({ex, pattern == nullptr, pattern ? pattern : "", filter, group});
    g_walk.Next = i + 1;
    return ex ? TFakeCache::ExHandle : TFakeCache::PlainHandle;
}

BOOL Next(HANDLE h, LPINTERNET_CACHE_ENTRY_INFOA out, LPDWORD size)
{
    if (h != (g_walk.Ex ? TFakeCache::ExHandle : TFakeCache::PlainHandle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const size_t i = FindMatch(g_walk.Next);
    if (i == g_cache.Entries.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    if (!Fill(i, out, size)) return FALSE;  // a failed call does not move on
    g_walk.Next = i + 1;
    return TRUE;
}

HANDLE WINAPI FakeFindFirstEx(LPCSTR pattern, DWORD, DWORD filter, GROUPID group, LPINTERNET_CACHE_ENTRY_INFOA out,
                              LPDWORD size, LPVOID, LPDWORD, LPVOID)
{
    if (g_cache.ExStub) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return First(true, pattern, filter, group, out, size);
}

BOOL WINAPI FakeFindNextEx(HANDLE h, LPINTERNET_CACHE_ENTRY_INFOA out, LPDWORD size, LPVOID, LPDWORD, LPVOID)
{
    if (g_cache.ExStub) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return Next(h, out, size);
}

BOOL WINAPI FakeFindClose(HANDLE h)
{
    g_cache.Closed.push_back(h);
    return h != nullptr;
}

HANDLE WINAPI FakeFindFirst(LPCSTR pattern, LPINTERNET_CACHE_ENTRY_INFOA out, LPDWORD size)
{
    return First(false, pattern, 0, 0, out, size);
}

BOOL WINAPI FakeFindNext(HANDLE h, LPINTERNET_CACHE_ENTRY_INFOA out, LPDWORD size) { return Next(h, out, size); }

}  // namespace

TFakeCache& FakeCache() { return g_cache; }

void InstallFakeCache()
{
    g_cache = TFakeCache{};
    g_walk = TWalkState{};
    UrlCacheApi() = TUrlCacheApi{&FakeFindFirstEx, &FakeFindNextEx, &FakeFindClose, &FakeFindFirst, &FakeFindNext};
}

void UninstallFakeCache() { UrlCacheApi() = WinInetUrlCacheApi(); }
