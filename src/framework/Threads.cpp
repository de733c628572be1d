#include "Threads.h"

#include <process.h>

#include <stdexcept>

namespace {

constexpr UINT CM_SYNCHRONIZE = WM_USER + 0x100;
constexpr WPARAM PostedCall = 1;  // the worker waits on the call's event

std::atomic<HWND> syncWindowHandle{nullptr};  // read by IsSynchronizeCall on any message

struct TSyncCall {
    const std::function<void()>* Method;
    std::exception_ptr Error;
    HANDLE Ran;  // set once the method has run, for a posted call
};

LRESULT CALLBACK SyncWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == CM_SYNCHRONIZE) {
        auto* call = reinterpret_cast<TSyncCall*>(lParam);
        try {
            (*call->Method)();
        } catch (...) {
            call->Error = std::current_exception();  // handed back to the worker
        }
        // The call lives on the worker's stack: once it is set, it may be gone.
        if (wParam == PostedCall) SetEvent(call->Ran);
        return 1;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// The receiver of synchronised calls: a message-only window of the thread that
// made the first TThread. It lives for the process, like the application object,
// so it is not among the counted handles that leak checks compare.
class TSyncWindow {
public:
    TSyncWindow() : thread_(GetCurrentThreadId()), threadHandle_(OpenThread(SYNCHRONIZE, FALSE, thread_))
    {
        const HINSTANCE inst = GetModuleHandleA(nullptr);
        WNDCLASSA wc{};
        if (!GetClassInfoA(inst, ClassName, &wc)) {
            wc = WNDCLASSA{};
            wc.lpfnWndProc = &SyncWindowProc;
            wc.hInstance = inst;
            wc.lpszClassName = ClassName;
            RegisterClassA(&wc);
        }
        wnd_ = CreateWindowExA(0, ClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
        syncWindowHandle = wnd_;
    }
    ~TSyncWindow()
    {
        if (wnd_ && GetCurrentThreadId() == thread_) DestroyWindow(wnd_);
        if (threadHandle_) CloseHandle(threadHandle_);
    }
    TSyncWindow(const TSyncWindow&) = delete;
    TSyncWindow& operator=(const TSyncWindow&) = delete;

    HWND Handle() const { return wnd_; }
    DWORD Thread() const { return thread_; }
    // Signalled when the user-interface thread has ended (its posted calls are then lost).
    HANDLE ThreadHandle() const { return threadHandle_; }

private:
    static constexpr const char* ClassName = "TThreadSyncWindow";
    DWORD thread_;
    HANDLE threadHandle_;  // owned, like the window, for the process
    HWND wnd_ = nullptr;
};

TSyncWindow& SyncWindow()
{
    static TSyncWindow window;  // made by the first TThread's constructor
    return window;
}

// Runs the synchronised calls posted to this thread (and, as every look at
// the queue does, the sent messages); other posted messages stay queued.
void ServeSyncCalls()
{
    MSG msg;
    while (PeekMessageA(&msg, SyncWindow().Handle(), CM_SYNCHRONIZE, CM_SYNCHRONIZE, PM_REMOVE)) DispatchMessageA(&msg);
}

constexpr DWORD SyncWakeMask = QS_SENDMESSAGE | QS_POSTMESSAGE;

}  // namespace

DWORD TThread::MainThreadID() { return SyncWindow().Thread(); }

bool IsSynchronizeCall(const MSG& msg)
{
    return msg.message == CM_SYNCHRONIZE && msg.hwnd && msg.hwnd == syncWindowHandle.load();
}

std::atomic<int> TThread::RefuseNext{0};

TThread::TThread() : syncRan_(CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
    SyncWindow();
    if (!syncRan_) throw std::runtime_error("cannot create a thread's event");
    for (int n = RefuseNext.load(); n > 0;)
        if (RefuseNext.compare_exchange_weak(n, n - 1)) throw std::runtime_error("cannot create a thread");
    const uintptr_t h = _beginthreadex(nullptr, 0, &ThreadProc, this, CREATE_SUSPENDED, &threadId_);
    if (!h) throw std::runtime_error("cannot create a thread");
    handle_.reset(reinterpret_cast<HANDLE>(h));
}

TThread::~TThread()
{
    // A FreeOnTerminate thread deletes itself on its own thread: nothing to wait for.
    if (!handle_ || GetCurrentThreadId() == threadId_) return;
    if (!started_) {
        cancelled_ = true;  // ThreadProc returns at once without Execute
        ResumeThread(handle_.get());
        WaitForSingleObject(handle_.get(), INFINITE);
        return;
    }
    Terminate();
    WaitForWorker(handle_.get());
}

void TThread::Resume()
{
    if (started_ || !handle_) return;
    started_ = true;
    ResumeThread(handle_.get());
}

DWORD TThread::WaitFor()
{
    if (freeOnTerminate_) throw std::logic_error("WaitFor on a thread that frees itself");
    if (GetCurrentThreadId() == threadId_) throw std::logic_error("a thread cannot wait for itself");
    WaitForWorker(handle_.get());
    DWORD code = 0;
    GetExitCodeThread(handle_.get(), &code);
    return code;
}

void TThread::Synchronize(const std::function<void()>& method)
{
    const TSyncWindow& target = SyncWindow();
    if (GetCurrentThreadId() == target.Thread()) {
        method();
        return;
    }
    // A posted call and an event cost Wine about half the server round trips
    // of a cross-thread SendMessage, and the download makes one per chunk.
    TSyncCall call{&method, nullptr, syncRan_.get()};
    if (PostMessageA(target.Handle(), CM_SYNCHRONIZE, PostedCall, reinterpret_cast<LPARAM>(&call))) {
        const HANDLE waits[] = {syncRan_.get(), target.ThreadHandle()};
        WaitForMultipleObjects(waits[1] ? 2 : 1, waits, FALSE, INFINITE);
    } else {
        // A full queue: sent instead, which returns at once (without running
        // method) if that window is gone.
        SendMessageA(target.Handle(), CM_SYNCHRONIZE, 0, reinterpret_cast<LPARAM>(&call));
    }
    if (call.Error) std::rethrow_exception(call.Error);
}

void TThread::DoTerminate()
{
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

unsigned __stdcall TThread::ThreadProc(void* p)
{
    auto* self = static_cast<TThread*>(p);
    if (self->cancelled_) return 0;
    // Nothing may unwind out of a thread entry.
    try {
        self->Execute();
    } catch (...) {
        self->fatal_ = std::current_exception();
    }
    try {
        self->DoTerminate();
    } catch (...) {
    }
    const bool freeIt = self->freeOnTerminate_;
    self->finished_ = true;  // the object may be deleted by its owner from here on
    if (freeIt) {
        try {
            delete self;
        } catch (...) {
        }
    }
    return 0;
}

DWORD TickRemaining(DWORD start, DWORD now, DWORD timeoutMs)
{
    if (timeoutMs == INFINITE) return INFINITE;
    const DWORD elapsed = now - start;  // modulo 2^32: right across the wrap
    return elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
}

namespace {

DWORD RemainingMs(DWORD start, DWORD timeoutMs) { return TickRemaining(start, GetTickCount(), timeoutMs); }

}  // namespace

DWORD WaitForWorker(HANDLE object, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &object, FALSE, RemainingMs(start, timeoutMs), SyncWakeMask);
        if (r == WAIT_OBJECT_0 + 1) {
            ServeSyncCalls();
            continue;
        }
        return r;
    }
}

bool ServeSentMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        ServeSyncCalls();
        if (done()) return true;
        const DWORD left = RemainingMs(start, timeoutMs);
        if (left == 0) return false;
        // Short waits: done() may turn true without a message waking us.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 20 ? left : 20, SyncWakeMask);
    }
}
