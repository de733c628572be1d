#pragma once
// Writes a 32-bit bitmap as a top-down BMP file (for the developer tools that
// render pictures for a person to look at).
#include "Graphics.h"

#include <cstdio>

inline bool WriteBmp(TBitmap& bitmap, const char* path)
{
    BITMAPINFOHEADER info{sizeof(info), bitmap.Width(), -bitmap.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD pixels = static_cast<DWORD>(bitmap.Width()) * bitmap.Height() * 4;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(file) + sizeof(info) + pixels), 0, 0,
                          sizeof(file) + sizeof(info)};
    FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof(file), 1, out) == 1 && std::fwrite(&info, sizeof(info), 1, out) == 1 &&
              std::fwrite(bitmap.ScanLine(0), pixels, 1, out) == 1;
    ok = std::fclose(out) == 0 && ok;
    return ok;
}
