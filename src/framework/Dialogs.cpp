#include "Dialogs.h"

#include "Forms.h"
#include "WideText.h"

namespace {
TMessageBoxHook& Hook()
{
    static TMessageBoxHook hook;  // one per process, set only by tests
    return hook;
}
}

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook)
{
    TMessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags)
{
    if (Hook())
        return Hook()(TMessageBoxRequest{owner, text, caption, flags});
    return MessageBoxW(owner, ToWide(text).c_str(), ToWide(caption).c_str(), flags);
}

void ShowMessage(const std::string& text)
{
    HWND owner = GetActiveWindow();
    ShowMessageBox(owner, text, Application()->Title(), MB_OK);
}

namespace {
TSaveDialog::Hook& SaveHook()
{
    static TSaveDialog::Hook hook;  // one per process, set only by tests
    return hook;
}
}

TSaveDialog::Hook TSaveDialog::SetHook(Hook hook)
{
    Hook previous = std::move(SaveHook());
    SaveHook() = std::move(hook);
    return previous;
}

bool TSaveDialog::Execute()
{
    if (SaveHook()) return SaveHook()(*this);
    std::wstring filter = ToWide(Filter);
    for (wchar_t& ch : filter)
        if (ch == L'|') ch = L'\0';
    filter.append(2, L'\0');
    wchar_t name[MAX_PATH] = {};
    lstrcpynW(name, FileName.c_str(), MAX_PATH);
    std::wstring ext = ToWide(DefaultExt);
    if (!ext.empty() && ext[0] == L'.') ext.erase(0, 1);
    const std::wstring title = ToWide(Title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Owner ? Owner : GetActiveWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    // A file that exists is replaced only when the user says so.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameW(&ofn)) return false;
    FileName = name;
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}
