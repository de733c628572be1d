#pragma once
// Following an IFRAME or FRAME element under the cursor: its page opens in the
// preview window, or loads into the main window's hidden browser while an
// overlay covers the window under the cursor; then the loaded page's element at
// (30, 30) takes the frame element's place in the hit test.
#include "Handles.h"
#include "PageHost.h"

#include <mshtml.h>

enum class TFollowResult {
    frEnd,       // the inspection ends
    frContinue,  // it goes on with D and E (replaced, or as they were)
};

// The longest wait for the hidden browser to report a complete page: 30 s;
// tests shorten it.
DWORD& FollowLoadTimeoutMs();

// Raises EOleError on failing browser calls; the hit test's guard catches it.
// The overlay, the cursor confinement and the paused hook never outlive it.
TFollowResult FollowFrame(IPageHost& host, ComPtr<IHTMLElement>& E, ComPtr<IHTMLDocument2>& D);
