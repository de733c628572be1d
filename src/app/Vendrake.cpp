// Program entry: the main window first (so it is the application's main window),
// then the hidden toolbar and preview window, then the message loop. A start
// while the program already runs in this session only brings that one back.
#include "Get.h"
#include "SingleInstance.h"
#include "View.h"
#include "main.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        TSingleInstance instance(RunningMutexName);
        if (!instance.First()) {
            TSingleInstance::ShowRunning("TfrmMain", 5000);
            return 0;
        }
        // The manifest asks for version 6 of the common controls; their
        // classes are registered before the first dialog needs them.
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
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
