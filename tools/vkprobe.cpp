// A small helper that the run script uses from outside the program: waits for a
// window, captures the screen, and asks a window to close.
//
//   vkprobe wait CLASS TIMEOUT_MS          exit 0 once a visible window of CLASS exists
//   vkprobe shot FILE.bmp                  writes the whole screen as a 24-bit BMP
//   vkprobe close CLASS TIMEOUT_MS         posts WM_CLOSE and waits until the window is gone
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

HWND FindVisible(const char* cls)
{
    HWND w = FindWindowA(cls, nullptr);
    return (w && IsWindowVisible(w)) ? w : nullptr;
}

int Wait(const char* cls, DWORD timeout)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        if (FindVisible(cls)) return 0;
        Sleep(10);
    }
    std::fprintf(stderr, "vkprobe: no visible %s after %lu ms\n", cls, timeout);
    return 1;
}

int Shot(const char* path)
{
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as a BMP file stores it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + size;
    int rc = 1;
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(&fh, sizeof(fh), 1, f);
        std::fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f);
        std::fwrite(bits, 1, size, f);
        rc = std::fclose(f) == 0 ? 0 : 1;
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return rc;
}

int Close(const char* cls, DWORD timeout)
{
    HWND w = FindWindowA(cls, nullptr);
    if (!w) return 0;
    PostMessageA(w, WM_CLOSE, 0, 0);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        if (!IsWindow(w)) return 0;
        Sleep(20);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && !std::strcmp(argv[1], "wait")) return Wait(argv[2], std::strtoul(argv[3], nullptr, 10));
    if (argc >= 3 && !std::strcmp(argv[1], "shot")) return Shot(argv[2]);
    if (argc >= 4 && !std::strcmp(argv[1], "close")) return Close(argv[2], std::strtoul(argv[3], nullptr, 10));
    std::fprintf(stderr, "usage: vkprobe wait CLASS MS | shot FILE.bmp | close CLASS MS\n");
    return 2;
}
