#include "MovieFile.h"

#include "Handles.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace {

TKernelHandle OpenForReading(const std::wstring& name)
{
    // Shared for writing too: a browser may still hold its cache entry open.
    return TKernelHandle(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

}  // namespace

TMovieInfo CheckMovieFile(const std::wstring& name)
{
    TKernelHandle file = OpenForReading(name);
    return CheckMovie([&file](uint8_t* buffer, size_t capacity) -> size_t {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(capacity, UINT_MAX));
        if (!file || !ReadFile(file.get(), buffer, want, &got, nullptr)) return 0;
        return got;
    });
}

bool FileBeginsAsMovie(const std::wstring& name)
{
    TKernelHandle file = OpenForReading(name);
    uint8_t head[17] = {};  // the longest fixed header, an LZMA movie's
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), head, sizeof(head), &got, nullptr)) return false;
    TMovieCheck check;
    check.Feed(std::span<const uint8_t>(head, got));
    return check.Finish().Verdict != TMovieVerdict::NoMovie;
}
