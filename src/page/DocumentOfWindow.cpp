#include "DocumentOfWindow.h"

#include "ComObj.h"
#include "Dialogs.h"

#include <mshtmdid.h>
#include <oleacc.h>

namespace {

// Loaded for one call and released on every way out.
class TLibrary {
public:
    explicit TLibrary(const std::string& name) : module_(LoadLibraryA(name.c_str())) {}
    ~TLibrary() { if (module_) FreeLibrary(module_); }
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

using TObjectFromLresult = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);

ComPtr<IDispatch> DocumentFromAnswer(TObjectFromLresult objectFromLresult, LRESULT answer)
{
    ComPtr<IHTMLDocument> document;
    if (objectFromLresult(answer, IID_IHTMLDocument, 0, document.put_void()) != S_OK || !document) return {};
    // The script object is the document's window; its document is the one that
    // answers for the frame the content window shows. Read late-bound: the
    // window's typed proxy is spared (MovieElement.h).
    ComPtr<IDispatch> script;
    OleCheck(document->get_Script(script.put()));
    if (!script) throw EOleError(E_POINTER);
    return DispatchCall(script.get(), DISPID_IHTMLWINDOW2_DOCUMENT).Object();
}

}  // namespace

std::string& AccessibilityLibraryName()
{
    static std::string name = "Oleacc.dll";  // replaced only by tests
    return name;
}

ComPtr<IDispatch> GetDocumentDispatchOfWindow(HWND window)
{
    TLibrary library(AccessibilityLibraryName());
    if (!library.get()) {
        ShowMessage("请您安装Microsoft Active Accessibility");
        return {};
    }
    auto objectFromLresult =
        reinterpret_cast<TObjectFromLresult>(reinterpret_cast<void*>(GetProcAddress(library.get(), "ObjectFromLresult")));
    if (!objectFromLresult) {
        ShowMessage("载入dll出错!");
        return {};
    }
    try {
        const UINT request = RegisterWindowMessageA("WM_HTML_GETOBJECT");
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(window, request, 0, 0, SMTO_ABORTIFHUNG, DocumentRequestTimeoutMs, &answer))
            answer = 0;  // no answer in time, or a hung window: no document
        return DocumentFromAnswer(objectFromLresult, static_cast<LRESULT>(answer));
    } catch (...) {
        return {};
    }
}

ComPtr<IHTMLDocument2> GetDocumentOfWindow(HWND window)
{
    ComPtr<IHTMLDocument2> document;
    if (const ComPtr<IDispatch> d = GetDocumentDispatchOfWindow(window))
        d->QueryInterface(IID_IHTMLDocument2, document.put_void());
    return document;
}
