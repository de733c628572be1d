#include "Handles.h"

namespace {
std::atomic<int> g_live[static_cast<int>(THandleKind::Count)];
}

int LiveHandles(THandleKind kind) { return g_live[static_cast<int>(kind)].load(); }

int LiveHandlesTotal()
{
    int total = 0;
    for (const auto& n : g_live)
        total += n.load();
    return total;
}

void CountHandle(THandleKind kind, int delta) { g_live[static_cast<int>(kind)] += delta; }

TMemoryDC::TMemoryDC(HDC compatible) : dc_(CreateCompatibleDC(compatible))
{
    if (dc_) CountHandle(THandleKind::DC, +1);
}

TMemoryDC::~TMemoryDC()
{
    if (dc_) {
        DeleteDC(dc_);
        CountHandle(THandleKind::DC, -1);
    }
}

TWindowDC::TWindowDC(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd))
{
    if (dc_) CountHandle(THandleKind::DC, +1);
}

TWindowDC::~TWindowDC()
{
    if (dc_) {
        ReleaseDC(wnd_, dc_);
        CountHandle(THandleKind::DC, -1);
    }
}

TPaintDC::TPaintDC(HWND wnd) : wnd_(wnd)
{
    BeginPaint(wnd_, &ps_);
    if (ps_.hdc) CountHandle(THandleKind::DC, +1);
}

TPaintDC::~TPaintDC()
{
    if (ps_.hdc) CountHandle(THandleKind::DC, -1);
    EndPaint(wnd_, &ps_);
}
