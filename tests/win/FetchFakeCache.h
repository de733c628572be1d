#pragma once
// A URL cache in memory behind TUrlCacheApi, answering as WinInet does (size
// probes fail with ERROR_INSUFFICIENT_BUFFER and give the size; the end is
// ERROR_NO_MORE_ITEMS) and recording every call. With ExStub set, the Ex
// functions behave as Wine's stub: null, ERROR_FILE_NOT_FOUND, size untouched.
#include "IECache.h"

#include <cstdint>
#include <string>
#include <vector>

struct TFakeEntry {
    std::string Url;
    std::string File;
    DWORD Type = NORMAL_CACHE_ENTRY;
    DWORD SizeLow = 0;
    DWORD SizeHigh = 0;
    FILETIME Modified{}, Expire{}, Access{}, Sync{};
    std::string Header;
    std::string Extension;
    DWORD UseCount = 0;
    DWORD HitRate = 0;
    DWORD ExemptDelta = 0;
};

struct TFakeCache {
    std::vector<TFakeEntry> Entries;
    bool ExStub = false;

    // What the cache was asked.
    struct TFirstCall {
        bool Ex;
        bool PatternNull;
        std::string Pattern;
        DWORD Filter;
        GROUPID Group;
    };
    std::vector<TFirstCall> Firsts;  // real calls only, not size probes
    std::vector<HANDLE> Closed;
    int Probes = 0;
    int Fetches = 0;

    // The walks' handles.
    static inline const HANDLE ExHandle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0xCA01));
    static inline const HANDLE PlainHandle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0xCA02));
};

// The one fake cache; Install() points UrlCacheApi() at it and empties it,
// Uninstall() puts WinInet back.
TFakeCache& FakeCache();
void InstallFakeCache();
void UninstallFakeCache();
