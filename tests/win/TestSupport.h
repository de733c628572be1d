#pragma once
// Helpers shared by the Windows tests: a bounded message pump and a 32-bit
// top-down DIB to render windows into.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <ostream>

// Dispatches this thread's messages until done() holds or timeoutMs passes;
// true when done() held. WM_QUIT is swallowed: tests that expect it read it
// through the application object instead.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000);
// Dispatches whatever is waiting now and returns.
void PumpPending();

// A 32-bit top-down DIB section selected into its own memory DC, prefilled with
// one colour so untouched pixels are recognisable.
class TTestDib {
public:
    TTestDib(int width, int height, COLORREF fill = RGB(0x12, 0x34, 0x56));
    ~TTestDib();
    TTestDib(const TTestDib&) = delete;
    TTestDib& operator=(const TTestDib&) = delete;

    HDC Dc() const { return dc_; }
    // The pixel as a COLORREF, read from the bits (never from a screen DC).
    COLORREF Pixel(int x, int y) const;
    // Renders a window's client area here with WM_PRINTCLIENT.
    void PrintClient(HWND wnd);

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
};

// Comparisons and printing for the Win32 structures the tests compare.
inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
void PrintTo(const RECT& r, std::ostream* os);
void PrintTo(const POINT& p, std::ostream* os);
