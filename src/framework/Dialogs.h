#pragma once
// The simple modal message dialog. Every message box of the program goes through
// ShowMessageBox, so tests can install a hook that answers instead of a person.
#include "Classes.h"

#include <windows.h>

#include <functional>
#include <string>

struct TMessageBoxRequest {
    HWND Owner = nullptr;
    std::string Text;
    std::string Caption;
    UINT Flags = 0;
};

using TMessageBoxHook = std::function<int(const TMessageBoxRequest&)>;

// Installs the hook (empty: the real box again) and returns the previous one.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);

// The system's box (in UTF-16, texts read as code page 936), or the hook's
// answer when one is installed.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// The framework's simple message dialog: the application title as caption, one
// OK button, owned by the active window of the program.
void ShowMessage(const std::string& text);

// The save-file dialog. Execute shows GetSaveFileNameW, or asks the hook that
// tests install, and leaves the chosen name in FileName. The name stays in
// UTF-16: the user may type characters that code page 936 lacks, and the file
// must be made under exactly that name.
class TSaveDialog : public TComponent {
public:
    explicit TSaveDialog(TComponent* AOwner) : TComponent(AOwner) {}
    const char* ClassName() const override { return "TSaveDialog"; }

    std::string DefaultExt;  // a leading dot is dropped, as GetSaveFileNameW wants it
    std::string Filter;      // "Text|pattern|Text|pattern"
    int FilterIndex = 1;     // the file type shown first, from 1; Execute leaves the user's choice
    std::wstring FileName;
    std::string Title;
    HWND Owner = nullptr;

    bool Execute();

    using Hook = std::function<bool(TSaveDialog& dialog)>;
    static Hook SetHook(Hook hook);
};
