// The main window's whole-page grab: the page the cursor was over last is
// read afresh, every movie of it, of its frames and of the URL cache is listed
// in a window of its own, and the user saves the ones they pick in one go.
#include "main.h"

#include "WideText.h"

#include "DocumentOfWindow.h"
#include "GrabAll.h"
#include "PageWalk.h"
#include "Product.h"

HWND TfrmMain::LastPageWindow() const
{
    // A handle the system gave to a new window since would pass IsWindow: the class must still be a browser's.
    HWND page = Hit.LastPage;
    if (!page || !IsWindow(page)) return nullptr;
    char name[64] = {};
    GetClassNameA(page, name, sizeof(name));
    return lstrcmpA(name, "Internet Explorer_Server") == 0 ? page : nullptr;
}

void TfrmMain::A1Click(TObject*)
{
    HWND page = LastPageWindow();
    if (!page) {
        ShowMessage("没有可以抓取的网页：请先把鼠标移到要抓取的网页上，网页关闭后也需要重新移过去。");
        return;
    }
    const ComPtr<IDispatch> document = GetDocumentDispatchOfWindow(page);
    TPageWalkResult walk;
    bool read = false;
    if (document) {
        try {
            walk = TPageWalk().Run(document.get());
            read = true;
        } catch (...) {
            // a page that answers nothing more (still loading, or closing) is reported below
        }
    }
    if (!read) {
        ShowMessage("无法读取这个网页，它可能还没有打开完，请稍后再试。");
        return;
    }
    auto* form = new TfrmGrabAll(this);  // owned by the main window; frees itself when closed
    form->ShowMovies(walk);
    form->SetFolder(DefaultGrabFolder(SaveDialog1->FileName));
    form->SetComplete(SaveCompleteChosen, cbFor3721->Checked());
    form->OnCompleteChosen = [this](bool complete) { SaveCompleteChosen = complete; };
    form->OnTip = [this](const std::string& tip) { SetTrayTip(tip.empty() ? std::string(ProductCaption) : tip); };
    form->Show();
}
