#pragma once
// A hidden window whose messages go to a function: the receiver behind timers,
// popup menus and the application object.
#include "Handles.h"

#include <functional>
#include <string>

class TUtilWindow {
public:
    using Handler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    // A message-only window unless a top-level style is given.
    explicit TUtilWindow(Handler handler, const char* className = "TPUtilWindow", DWORD style = 0,
                         DWORD exStyle = 0, bool messageOnly = true);
    ~TUtilWindow();
    TUtilWindow(const TUtilWindow&) = delete;
    TUtilWindow& operator=(const TUtilWindow&) = delete;

    HWND Handle() const { return wnd_; }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    Handler handler_;
    HWND wnd_ = nullptr;  // owned
};
