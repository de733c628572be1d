#pragma once
// What the hit test leaves behind: the window it last took up and its
// rectangle, and the last movie it recognised. The main window holds it.
// Nothing of the page is held between reports: the markup is read when the
// movie is recognised (one call), so a page closed later is no matter.
#include <windows.h>

#include <string>

struct THitState {
    RECT HitRect{};           // window rectangle of LastWnd, screen pixels
    HWND LastWnd = nullptr;   // not owned
    std::string PageURL;      // base of the last recognised movie's page: its address, or its BASE element's
    std::string MoviePath;    // movie address as written in the page
    std::string DocumentURL;  // the page's own address
    std::string MovieMarkup;  // the outer HTML of the last recognised movie's element, for a complete save
    HWND LastPage = nullptr;  // browser content window the cursor was over last (not owned; may be gone)
};
