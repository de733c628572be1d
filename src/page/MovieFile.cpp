#include "MovieFile.h"

#include "Handles.h"
#include "SaveReport.h"

#include <windows.h>

bool IsMovieFile(const std::string& path)
{
    constexpr DWORD kHeaderBytes = 8;
    TKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes(kHeaderBytes, '\0');
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), bytes.data(), kHeaderBytes, &got, nullptr)) return false;
    bytes.resize(got);
    return HasFlashSignature(bytes);
}
