#include "MovieFile.h"

#include "Handles.h"

#include <windows.h>

#include <algorithm>
#include <climits>

TMovieInfo CheckMovieFile(const std::wstring& name)
{
    // Shared for writing too: a browser may still hold its cache entry open.
    TKernelHandle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return CheckMovie([&file](uint8_t* buffer, size_t capacity) -> size_t {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(capacity, UINT_MAX));
        if (!file || !ReadFile(file.get(), buffer, want, &got, nullptr)) return 0;
        return got;
    });
}
