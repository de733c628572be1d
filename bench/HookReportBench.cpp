// 10,000 hook reports into a real main window in this process: time per report
// and the live handles (our wrappers' counts, and the process's kernel handle
// count) before and after. GetGuiResources is a stub under Wine.
// The exit code reports leaks, never timing.
#include "BenchClock.h"
#include "main.h"

#include <cstdio>
#include <cstdlib>

namespace {
bool __stdcall NoHook(HWND) { return true; }
bool __stdcall NoUnhook() { return true; }
BOOL WINAPI NoIcon(DWORD, PNOTIFYICONDATAW) { return TRUE; }

DWORD KernelHandles()
{
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
}
}  // namespace

int main(int argc, char** argv)
{
    const int reports = argc > 1 ? std::atoi(argv[1]) : 10000;
    HookLibrary() = THookLibrary{&NoHook, &NoUnhook};
    TfrmMain::NotifyIcon = &NoIcon;
    TfrmMain* form = Application()->CreateForm<TfrmMain>();
    form->Timer1->SetEnabled(false);
    form->Show();
    Application()->ProcessMessages();
    if (!MouseShare) return 1;
    const int ownBefore = LiveHandlesTotal();
    const DWORD kernelBefore = KernelHandles();
    const double t0 = NowMs();
    for (int i = 0; i < reports; ++i) {
        MouseShare->X = i % 1024;
        MouseShare->Y = i % 768;
        SendMessageA(form->Handle(), HookMessage, 0, 0);
        if (i % 100 == 0) Application()->ProcessMessages();  // let the caption repaint
    }
    Application()->ProcessMessages();
    const double ms = NowMs() - t0;
    std::printf("%d hook reports: %.3f ms per report (caption update and repaint included)\n", reports, ms / reports);
    std::printf("live handles held by our wrappers: %d before, %d after\n", ownBefore, LiveHandlesTotal());
    std::printf("process kernel handles: %lu before, %lu after\n", kernelBefore, KernelHandles());
    // Ended as the program ends (the forms and the application's own window
    // freed); the sections kept for later bitmaps are no handles in use.
    Application()->FreeForms();
    TBitmap::FreeKeptSections();
    std::printf("live handles held by our wrappers once everything is freed: %d (must be 0)\n", LiveHandlesTotal());
    return LiveHandlesTotal() == 0 ? 0 : 2;
}
