#pragma once
// The program's side of the shared mouse record that the hook library fills.
#include "Zelpo.h"

#include <windows.h>

// Opens "MARTOX_MOUSE" for writing, or creates it on the paging file when no one
// has yet, and maps all of it. Only a mapping created here is zeroed. On failure
// MouseShare stays null (and the program ignores hook messages).
void MapMouseFile(TMouseShare*& MouseShare, HANDLE& MouseMapHandle);

// Unmaps the view and closes the handle, clearing both. A failing step shows the
// box "Error when free MapViewFile"; nothing is retried.
void UnmapMouseFile(TMouseShare*& MouseShare, HANDLE& MouseMapHandle);

// The hook library's two calls, reached through this table so tests can put a
// failing library in its place.
struct THookLibrary {
    bool(__stdcall* Enable)(HWND window);
    bool(__stdcall* Disable)();
};
THookLibrary& HookLibrary();
