// The main window's notification-area icon. The record goes to the shell in
// UTF-16 (the tip is Chinese on every system) and in the size the running
// shell knows: Windows 2000 and XP refuse the newer, longer record.
#include "main.h"

#include "Product.h"
#include "WideText.h"

#include <shlwapi.h>

#include <algorithm>

TfrmMain::TNotifyIconCall TfrmMain::NotifyIcon = &Shell_NotifyIconW;

DWORD ShellMajorVersion()
{
    // shell32 exports DllGetVersion from version 4.71 on; an older one is 4.0.
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    auto getVersion = shell ? reinterpret_cast<DLLGETVERSIONPROC>(
                                  reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")))
                            : nullptr;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (!getVersion || FAILED(getVersion(&info))) return 4;
    return info.dwMajorVersion;
}

TfrmMain::TShellVersionCall TfrmMain::ShellVersion = &ShellMajorVersion;

DWORD TrayRecordSize(DWORD shellMajor)
{
    // Shell 5 (Windows 2000) brought the 128-character tip and the balloon
    // fields, and every later shell takes that record too.
    return shellMajor >= 5 ? NOTIFYICONDATAW_V2_SIZE : NOTIFYICONDATAW_V1_SIZE;
}

void PutTrayTip(NOTIFYICONDATAW& nid, const std::string& tip)
{
    // The first record holds 63 characters and the zero, the second 127.
    const size_t room = (nid.cbSize >= NOTIFYICONDATAW_V2_SIZE ? std::size(nid.szTip) : 64) - 1;
    std::wstring text = ToWide(tip);
    if (text.size() > room) text.resize(room);  // 936 has no character outside the first plane
    std::copy(text.begin(), text.end(), nid.szTip);
    nid.szTip[text.size()] = L'\0';
}

NOTIFYICONDATAW TfrmMain::TrayRecord(UINT flags)
{
    NOTIFYICONDATAW nid{};
    nid.cbSize = TrayRecordSize(ShellVersion());
    nid.hWnd = Handle();
    nid.uID = TrayIconId;
    nid.uFlags = flags;
    return nid;
}

void TfrmMain::AddTrayIcon()
{
    NOTIFYICONDATAW nid = TrayRecord(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    nid.uCallbackMessage = WM_TRAYNOTIFY;
    nid.hIcon = Application()->Icon();
    // The product caption: once hook reports have come the window caption is the
    // cursor position, and an icon put back for a restarted shell keeps the tip.
    PutTrayTip(nid, ProductCaption);
    NotifyIcon(NIM_ADD, &nid);
}

void TfrmMain::SetTrayTip(const std::string& tip)
{
    NOTIFYICONDATAW nid = TrayRecord(NIF_TIP);
    PutTrayTip(nid, tip);
    NotifyIcon(NIM_MODIFY, &nid);
}

void TfrmMain::RemoveTrayIcon()
{
    NOTIFYICONDATAW nid = TrayRecord(0);
    NotifyIcon(NIM_DELETE, &nid);
}

void TfrmMain::ShowTrayBalloon(const TBalloonText& text)
{
    // Shells before version 5 know no balloons: there the beep stays alone.
    if (ShellVersion() < 5) return;
    NOTIFYICONDATAW nid = TrayRecord(NIF_INFO);
    // The texts were fitted to the fields in 936 bytes; UTF-16 needs no more units.
    lstrcpynW(nid.szInfoTitle, ToWide(text.Title).c_str(), static_cast<int>(std::size(nid.szInfoTitle)));
    lstrcpynW(nid.szInfo, ToWide(text.Text).c_str(), static_cast<int>(std::size(nid.szInfo)));
    nid.dwInfoFlags = NIIF_INFO;
    nid.uTimeout = 10000;  // the shortest the shell allows; newer shells decide themselves
    NotifyIcon(NIM_MODIFY, &nid);
}
