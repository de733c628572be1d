#include "UtilWindow.h"

#include "WideText.h"

TUtilWindow::TUtilWindow(Handler handler, const char* className, DWORD style, DWORD exStyle, bool messageOnly)
    : handler_(std::move(handler))
{
    const HINSTANCE inst = GetModuleHandleA(nullptr);
    // A Unicode window: the application window's title is the program's
    // Chinese caption, whatever the system's code page.
    const std::wstring name = ToWide(className);
    WNDCLASSW wc{};
    if (!GetClassInfoW(inst, name.c_str(), &wc)) {
        wc = WNDCLASSW{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = name.c_str();
        RegisterClassW(&wc);
    }
    wnd_ = CreateWindowExW(exStyle, name.c_str(), L"", style, 0, 0, 0, 0, messageOnly ? HWND_MESSAGE : nullptr,
                           nullptr, inst, this);
    if (wnd_) CountHandle(THandleKind::Window, +1);
}

TUtilWindow::~TUtilWindow()
{
    if (wnd_) {
        SetWindowLongPtrA(wnd_, GWLP_USERDATA, 0);
        DestroyWindow(wnd_);
        CountHandle(THandleKind::Window, -1);
    }
}

LRESULT CALLBACK TUtilWindow::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TUtilWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self && self->handler_) {
        LRESULT result = 0;
        try {
            if (self->handler_(msg, wParam, lParam, result)) return result;
        } catch (...) {
            return 0;  // nothing may unwind into user32
        }
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}
