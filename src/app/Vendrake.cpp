// Program entry: the main window first (so it is the application's main window),
// then the hidden toolbar and preview window, then the message loop.
#include "Get.h"
#include "View.h"
#include "main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        TApplication* app = Application();
        app->Initialize();
        auto* frmMain = app->CreateForm<TfrmMain>();
        auto* frmGet = app->CreateForm<TfrmGet>();
        frmGet->SetHitState(&frmMain->Hit);
        frmMain->SetToolbar(frmGet);
        auto* frmView = app->CreateForm<TfrmView>();
        frmView->HandleNeeded();  // the preview window exists, hidden, for the whole run
        frmMain->SetPreview(frmView);
        app->Run();
        app->FreeForms();
    } catch (...) {
        return 1;
    }
    return 0;
}
