#include "MapFileUnit.h"

#include "Dialogs.h"

#include <cstring>
#include <stdexcept>

void MapMouseFile(TMouseShare*& MouseShare, HANDLE& MouseMapHandle)
{
    MouseShare = nullptr;
    bool created = false;
    MouseMapHandle = OpenFileMappingA(FILE_MAP_WRITE, FALSE, MouseShareName);
    if (!MouseMapHandle) {
        MouseMapHandle = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(TMouseShare), MouseShareName);
        // Another process may have created it between the two calls.
        created = MouseMapHandle && GetLastError() != ERROR_ALREADY_EXISTS;
    }
    if (!MouseMapHandle) return;
    MouseShare = static_cast<TMouseShare*>(MapViewOfFile(MouseMapHandle, FILE_MAP_WRITE, 0, 0, 0));
    if (created && MouseShare) std::memset(MouseShare, 0, sizeof(TMouseShare));
}

void UnmapMouseFile(TMouseShare*& MouseShare, HANDLE& MouseMapHandle)
{
    // Both steps run even when the first fails, so a failed unmap never also
    // leaks the handle; one box tells of any failure.
    bool failed = false;
    if (MouseShare && !UnmapViewOfFile(MouseShare)) failed = true;
    MouseShare = nullptr;
    if (MouseMapHandle && !CloseHandle(MouseMapHandle)) failed = true;
    MouseMapHandle = nullptr;
    if (failed) ShowMessageBox(nullptr, "Error when free MapViewFile", "QX Hook Error", MB_OK);
}

THookLibrary& HookLibrary()
{
    static THookLibrary library{&EnableMouseHook, &DisableMouseHook};  // tests may replace the calls
    return library;
}
