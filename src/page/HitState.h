#pragma once
// What the hit test leaves behind: the window it last took up and its
// rectangle, and the last movie it recognised. The main window holds it.
// The element is held only while it is the last movie; the page may be gone by
// the time it is read, and its calls then fail.
#include "ComObj.h"

#include <windows.h>

#include <string>

struct THitState {
    RECT HitRect{};           // window rectangle of LastWnd, screen pixels
    HWND LastWnd = nullptr;   // not owned
    std::string PageURL;      // base of the last recognised movie's page: its address, or its BASE element's
    std::string MoviePath;    // movie address as written in the page
    std::string DocumentURL;  // the page's own address
    ComPtr<IDispatch> MovieElement;  // the element of the last recognised movie (a complete save reads its markup)
    HWND LastPage = nullptr;  // browser content window the cursor was over last (not owned; may be gone)
};
