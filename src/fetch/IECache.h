#pragma once
// A non-visual component that walks the entries of the Internet Explorer URL
// cache and reports each to its owner through OnEntry, with the entry's data
// copied into EntryInfo(). The save flow finds the cached copy of a movie with it.
//
// WinInet is reached through TUrlCacheApi, a table of function pointers that
// holds WinInet's own functions unless a test installs a fake cache. Wine's
// FindFirstUrlCacheEntryExA is a stub that always fails with
// ERROR_FILE_NOT_FOUND; when a walk starts that way it is repeated once with
// FindFirstUrlCacheEntryA / FindNextUrlCacheEntryA, which have no filter, and
// the filter mask is applied here to each entry's type instead.
#include "Classes.h"
#include "FetchRules.h"

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <string>

struct TUrlCacheApi {
    HANDLE(WINAPI* FindFirstEx)(LPCSTR pattern, DWORD flags, DWORD filter, GROUPID group,
                                LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD size, LPVOID groupAttributes,
                                LPDWORD groupAttributesSize, LPVOID reserved);
    BOOL(WINAPI* FindNextEx)(HANDLE find, LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD size,
                             LPVOID groupAttributes, LPDWORD groupAttributesSize, LPVOID reserved);
    BOOL(WINAPI* FindClose)(HANDLE find);
    HANDLE(WINAPI* FindFirst)(LPCSTR pattern, LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD size);
    BOOL(WINAPI* FindNext)(HANDLE find, LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD size);
};

// WinInet's own functions.
TUrlCacheApi WinInetUrlCacheApi();
// The table every TIECache calls through; tests assign a fake one and put
// WinInetUrlCacheApi() back.
TUrlCacheApi& UrlCacheApi();

// The current cache entry.
struct TEntryInfo {
    std::string SourceUrlName;
    std::string LocalFileName;  // full path of the cached file, in the system code page as WinInet gives it
    uint32_t EntryType = 0;
    uint32_t UseCount = 0;
    uint32_t HitRate = 0;
    int32_t Size = 0;  // low 32 bits of the entry's size only
    double LastModified = 0;  // local time, days since 30 December 1899
    double Expire = 0;
    double LastAccess = 0;
    double LastSync = 0;
    std::string HeaderInfo;
    std::string FileExtension;
    uint32_t ExemptDelta = 0;
};

// Kept for the group walk, which no operation of the program performs.
struct TGroupInfo {
    uint32_t GroupSize = 0;
    uint32_t GroupFlags = 0;
    uint32_t GroupType = 0;
    uint32_t DiskUsage = 0;
    uint32_t DiskQuota = 0;
    uint32_t OwnerStorage[4] = {};
    std::string GroupName;
};

using TOnEntryEvent = std::function<void(TObject* Sender, bool& Cancel)>;
using TOnGroupEvent = std::function<void(TObject* Sender, int64_t GroupID, bool& Cancel)>;

// Whether wininet.dll offers the cache functions the component needs; loads the
// library on first success and never frees it; tries again while it fails.
bool LoadWinInet();

// A FILETIME as local date-time (days since 30 December 1899); 0 when it cannot
// be converted.
double FileTimeToDateTime(const FILETIME& time);

class TIECache : public TComponent {
public:
    explicit TIECache(TComponent* AOwner);
    const char* ClassName() const override { return "TIECache"; }

    // The constructor stores its default set (NORMAL, STICKY, COOKIE,
    // URLHISTORY, TRACK_OFFLINE, TRACK_ONLINE) without computing the mask,
    // which stays 0 until the set is assigned here: the designed form does so
    // when it is loaded.
    TFilterOptions FilterOptions() const { return filterOptions_; }
    void SetFilterOptions(TFilterOptions v);
    uint32_t FilterMask() const { return filterMask_; }
    TSearchPattern SearchPattern() const { return searchPattern_; }
    void SetSearchPattern(TSearchPattern v) { searchPattern_ = v; }
    bool LibraryFound() const { return LoadWinInet(); }

    TOnEntryEvent OnEntry;
    TOnGroupEvent OnGroup;  // never raised

    // Raises OnEntry for every entry matching SearchPattern and FilterMask
    // until the last one or until the handler sets Cancel.
    void EnumerateEntries(int64_t groupId);
    // Fetch one entry into EntryInfo(): 0, or the platform's error code (2
    // when WinInet lacks the cache functions). FindFirstEntry opens the walk
    // that EnumerateEntries closes.
    int FindFirstEntry(int64_t groupId);
    int FindNextEntry();
    // Empties EntryInfo() and the group id.
    void ClearEntry();

    const TEntryInfo& EntryInfo() const { return entryInfo_; }
    const TGroupInfo& GroupInfo() const { return groupInfo_; }
    int64_t GroupId() const { return groupId_; }

private:
    // Which WinInet walk a fetch uses: the filtered Ex functions, or the plain
    // ones with the filter applied here.
    enum class TWalk { Ex, Plain };

    int FetchFirst(TWalk walk);
    int FetchNext(TWalk walk);
    // Copies the entry when it passes the filter of the walk; false otherwise.
    bool TakeEntry(TWalk walk, const INTERNET_CACHE_ENTRY_INFOA& entry);
    void CopyEntry(const INTERNET_CACHE_ENTRY_INFOA& entry);
    // One walk from its first entry to its end or a cancel; closes its handle.
    // Returns the error code of the first fetch.
    int Walk(TWalk walk);

    TSearchPattern searchPattern_ = TSearchPattern::spAll;
    HANDLE enumHandle_ = nullptr;
    bool cancelFlag_ = false;
    TFilterOptions filterOptions_ = 0;
    uint32_t filterMask_ = 0;
    TGroupInfo groupInfo_;
    TEntryInfo entryInfo_;
    int64_t groupId_ = 0;
};
