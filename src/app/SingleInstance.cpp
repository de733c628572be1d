#include "SingleInstance.h"

TSingleInstance::TSingleInstance(const char* mutexName)
{
    // Not owned: the name alone marks the run, and it lives as long as the handle.
    HANDLE h = CreateMutexA(nullptr, FALSE, mutexName);
    first_ = !(h && GetLastError() == ERROR_ALREADY_EXISTS);
    mutex_.reset(h);
}

bool TSingleInstance::ShowRunning(const char* mainWindowClass, DWORD timeoutMs)
{
    const UINT show = RegisterWindowMessageA(ShowRunningMessageName);
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND running = FindWindowA(mainWindowClass, nullptr)) {
            // This start has the foreground right now; hand it on, or Windows
            // keeps the restored window behind whatever the user works in.
            DWORD process = 0;
            GetWindowThreadProcessId(running, &process);
            AllowSetForegroundWindow(process);
            return show != 0 && PostMessageA(running, show, 0, 0) != FALSE;
        }
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(50);
    }
}
