#pragma once
// The hit test: for one cursor position, decide whether a Flash movie lies under
// it in a browser page; if so show the toolbar over it and record the movie's
// address and the page's URL. Most reports end in the cheap skip tests.
#include "PageHost.h"

constexpr char BrowserContentClass[] = "Internet Explorer_Server";
constexpr char FlashMovieClass[] = "MacromediaFlashPlayerActiveX";
constexpr DWORD InspectPauseMs = 10;

// Runs the whole test as one guarded operation: any error hides the toolbar and
// ends it quietly. May be entered again while an earlier call waits.
void InspectPoint(IPageHost& host, int x, int y);
