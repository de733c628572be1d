// The hook behind EnableMouseHook and DisableMouseHook.
//
// A WH_MOUSE_LL hook runs on the thread that installed it, and the system waits
// for it at every mouse event. Installed on the caller's user-interface thread,
// a busy or blocked caller would stall the mouse of the whole desktop. So the
// library owns one thread that installs the hook and does nothing but pump
// messages; the hook writes the shared record and posts the report, never
// waiting on the caller.
#include "Zelpo.h"

#include <atomic>

namespace {

// The shared record, mapped for writing while the hook is enabled. The library
// keeps its own handle, so the named mapping lives at least that long.
class TShareView {
public:
    TShareView() = default;
    TShareView(const TShareView&) = delete;
    TShareView& operator=(const TShareView&) = delete;
    ~TShareView() { Close(); }

    // Opens the existing record, or creates and zeroes it. False leaves the view closed.
    bool Open()
    {
        Close();
        bool created = false;
        Mapping_ = OpenFileMappingA(FILE_MAP_WRITE, FALSE, MouseShareName);
        if (!Mapping_) {
            Mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          sizeof(TMouseShare), MouseShareName);
            // Another process may have created it between the two calls.
            created = Mapping_ && GetLastError() != ERROR_ALREADY_EXISTS;
        }
        if (!Mapping_)
            return false;
        Record_ = static_cast<TMouseShare*>(MapViewOfFile(Mapping_, FILE_MAP_WRITE, 0, 0, 0));
        if (!Record_) {
            Close();
            return false;
        }
        if (created)
            *Record_ = TMouseShare{};
        return true;
    }

    void Close()
    {
        if (Record_)
            UnmapViewOfFile(Record_);
        if (Mapping_)
            CloseHandle(Mapping_);
        Record_ = nullptr;
        Mapping_ = nullptr;
    }

    TMouseShare* Record() const { return Record_; }

private:
    HANDLE Mapping_ = nullptr;
    TMouseShare* Record_ = nullptr;
};

// A critical section that lives as long as the library.
class TLockSection {
public:
    TLockSection() { InitializeCriticalSection(&Section); }
    ~TLockSection() { DeleteCriticalSection(&Section); }
    TLockSection(const TLockSection&) = delete;
    TLockSection& operator=(const TLockSection&) = delete;

    CRITICAL_SECTION Section;
};

// One hook per process. Lock serialises Enable and Disable. The hook procedure
// reads Share and Message without it: they are set before the hook thread
// starts and cleared only after it has ended. Target alone changes while the
// hook runs (a second Enable).
struct THookState {
    TLockSection Lock;
    HMODULE Module = nullptr;
    HANDLE Thread = nullptr;
    DWORD ThreadId = 0;
    UINT Message = 0;
    TShareView Share;
    std::atomic<HWND> Target{nullptr};
    std::atomic<HHOOK> Hook{nullptr};
};

THookState State;

class TStateLock {
public:
    TStateLock() { EnterCriticalSection(&State.Lock.Section); }
    ~TStateLock() { LeaveCriticalSection(&State.Lock.Section); }
    TStateLock(const TStateLock&) = delete;
    TStateLock& operator=(const TStateLock&) = delete;
};

void Report(const MSLLHOOKSTRUCT& event)
{
    // Not the live cursor: for a move, the hook runs before the cursor gets there.
    TMouseShare& record = *State.Share.Record();
    std::atomic_ref<std::int32_t>(record.X).store(event.pt.x, std::memory_order_relaxed);
    std::atomic_ref<std::int32_t>(record.Y).store(event.pt.y, std::memory_order_relaxed);
    PostMessageA(State.Target.load(), State.Message, 0, 0);
}

LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        try {
            Report(*reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam));
        } catch (...) {
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Handed from Enable to the new thread; Enable's stack frame holds it, so the
// thread must not touch it after setting Ready.
struct TStartup {
    HANDLE Ready = nullptr;
    bool Installed = false;
};

DWORD RunHookThread(TStartup& startup)
{
    // A thread gets its message queue at its first message call. Make it before
    // Enable returns, so that Disable's WM_QUIT always has a queue to land in.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const HHOOK hook = SetWindowsHookExA(WH_MOUSE_LL, LowLevelMouseProc, State.Module, 0);
    State.Hook = hook;
    startup.Installed = hook != nullptr;
    SetEvent(startup.Ready);
    if (!hook)
        return 1;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    if (const HHOOK left = State.Hook.exchange(nullptr))
        UnhookWindowsHookEx(left);
    return 0;
}

DWORD WINAPI HookThreadMain(void* param)
{
    DWORD code = 1;
    try {
        code = RunHookThread(*static_cast<TStartup*>(param));
    } catch (...) {
    }
    // Drops the module reference Enable took for this thread: a FreeLibrary of
    // the library while the hook runs must not unmap the code this thread runs.
    FreeLibraryAndExitThread(State.Module, code);
}

// A new reference on this library for the hook thread, or null. Loading the
// file the module was loaded from, by its full path, finds the module already
// loaded and counts one more reference on it (taking one by address needs XP).
HMODULE PinModule()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(State.Module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return nullptr;
    return LoadLibraryA(path);
}

bool StartHookThread(HWND window)
{
    State.Message = RegisterWindowMessageA(HookMessageName);
    if (!State.Message || !State.Share.Open())
        return false;
    const HMODULE pinned = PinModule();
    if (!pinned) {
        State.Share.Close();
        return false;
    }
    TStartup startup;
    startup.Ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    State.Target = window;
    DWORD threadId = 0;
    HANDLE thread = startup.Ready
        ? CreateThread(nullptr, 0, HookThreadMain, &startup, 0, &threadId)
        : nullptr;
    if (!thread) {
        if (startup.Ready)
            CloseHandle(startup.Ready);
        FreeLibrary(pinned);
        State.Share.Close();
        return false;
    }
    // Waiting on the thread too covers a thread that dies before it signals.
    const HANDLE waits[] = {startup.Ready, thread};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    CloseHandle(startup.Ready);
    if (!startup.Installed) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        State.Share.Close();
        return false;
    }
    State.Thread = thread;
    State.ThreadId = threadId;
    return true;
}

bool StopHookThread()
{
    if (!PostThreadMessageA(State.ThreadId, WM_QUIT, 0, 0))
        return false;
    WaitForSingleObject(State.Thread, INFINITE);
    CloseHandle(State.Thread);
    State.Thread = nullptr;
    State.ThreadId = 0;
    State.Target = nullptr;
    State.Share.Close();
    return true;
}

} // namespace

ZELPO_API bool __stdcall EnableMouseHook(HWND window)
{
    try {
        TStateLock lock;
        if (State.Thread) {
            State.Target = window;
            return true;
        }
        return StartHookThread(window);
    } catch (...) {
        return false;
    }
}

ZELPO_API bool __stdcall DisableMouseHook()
{
    try {
        TStateLock lock;
        // Nothing enabled means no reports: already what the caller asks for.
        return !State.Thread || StopHookThread();
    } catch (...) {
        return false;
    }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        State.Module = instance;
    // The hook thread holds a reference on the module, so an unload while enabled
    // does not normally happen; if it does, leave no hook pointing into unmapped
    // code. At process exit (reserved set) the other threads are gone already and
    // the system drops the hook itself; waiting on anything here would deadlock.
    if (reason == DLL_PROCESS_DETACH && !reserved) {
        if (const HHOOK left = State.Hook.exchange(nullptr))
            UnhookWindowsHookEx(left);
    }
    return TRUE;
}
