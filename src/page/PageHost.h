#pragma once
// What the page inspection needs of the main window, which lives in a higher
// layer: the main window implements this and its operations call down here.
#include "HitState.h"

#include <windows.h>

class TfrmGet;
class TfrmView;
class TWebBrowser;

class IPageHost {
public:
    virtual ~IPageHost() = default;
    virtual HWND MainHandle() = 0;
    virtual THitState& HitState() = 0;
    // The option check boxes, read live.
    virtual bool TransParentChecked() = 0;
    virtual bool FindIFrameChecked() = 0;
    virtual bool AutoOpenURLChecked() = 0;
    // The toolbar and the preview window, or null while they do not exist yet.
    virtual TfrmGet* Toolbar() = 0;
    virtual TfrmView* Preview() = 0;
    // The main window's hidden browser.
    virtual TWebBrowser* MainBrowser() = 0;
};
