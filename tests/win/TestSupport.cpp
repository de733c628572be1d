#include "TestSupport.h"

#include "Threads.h"

#include <algorithm>

void PumpPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (done()) return true;
        const DWORD left = TickRemaining(start, GetTickCount(), timeoutMs);
        if (left == 0) return false;
        // Short waits: timers and cursor reports do not always wake a wait on the queue.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(left, 10), QS_ALLINPUT);
    }
}

TTestDib::TTestDib(int width, int height, COLORREF fill) : width_(width)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
    const uint32_t word = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
    for (int i = 0; i < width * height; ++i) bits_[i] = word;
}

TTestDib::~TTestDib()
{
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

COLORREF TTestDib::Pixel(int x, int y) const
{
    GdiFlush();
    const uint32_t v = bits_[y * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void TTestDib::PrintClient(HWND wnd)
{
    SendMessageA(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
}

void PrintTo(const RECT& r, std::ostream* os)
{
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

void PrintTo(const POINT& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
