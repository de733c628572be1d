// The balloon at the notification-area icon. Shells before version 5 know no
// balloons and would refuse the longer record, so there the program stays
// with its beep.
#include "main.h"

#include <shlwapi.h>

namespace {

DWORD ShellMajorVersion()
{
    // Shell32 is loaded already: the program imports Shell_NotifyIconA from it.
    const HMODULE shell = GetModuleHandleA("shell32.dll");
    const auto getVersion =
        shell ? reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")))
              : nullptr;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    return getVersion && SUCCEEDED(getVersion(&info)) ? info.dwMajorVersion : 4;
}

}  // namespace

TfrmMain::TShellVersionCall TfrmMain::ShellVersion = &ShellMajorVersion;

void TfrmMain::ShowTrayBalloon(const TBalloonText& text)
{
    if (ShellVersion() < 5) return;
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;  // the record with the balloon's fields, as shell 5 knows it
    nid.hWnd = Handle();
    nid.uID = TrayIconId;
    nid.uFlags = NIF_INFO;
    lstrcpynA(nid.szInfoTitle, text.Title.c_str(), sizeof(nid.szInfoTitle));
    lstrcpynA(nid.szInfo, text.Text.c_str(), sizeof(nid.szInfo));
    nid.dwInfoFlags = NIIF_INFO;
    nid.uTimeout = 10000;  // the shortest the shell allows; newer shells decide themselves
    NotifyIcon(NIM_MODIFY, &nid);
}
