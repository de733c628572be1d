#pragma once
// A worker thread object, always created suspended (a running thread could
// reach Execute before the derived constructor has finished); Execute is the body;
// Synchronize runs a function on the user-interface thread while the worker
// waits; OnTerminate runs there too once Execute has returned; with
// FreeOnTerminate the object then deletes itself.
//
// The user-interface thread is the thread that constructs the process's first
// TThread: synchronised calls are messages posted to a hidden message-only
// window it owns, the worker waiting on an event until the call has run. They
// are served whenever that thread dispatches its posted messages (its message
// loop, a modal loop, a message box), never while it sleeps, waits on a kernel
// object alone or only serves sent messages. Code on that thread that has to
// wait for a worker therefore waits with WaitForWorker, which serves them
// meanwhile.
#include "Classes.h"
#include "Handles.h"

#include <atomic>
#include <exception>
#include <functional>

class TThread : public TObject {
public:
    // Creates the platform thread suspended; throws std::runtime_error when it
    // cannot be created.
    TThread();
    // Tests: this many of the next constructions fail as if the system had no
    // thread to give.
    static std::atomic<int> RefuseNext;
    // A thread that has not finished is asked to terminate and waited for (a
    // suspended one ends without running Execute). A derived class whose
    // Execute uses its own members must terminate and wait in its own
    // destructor, before they are gone. Not for FreeOnTerminate threads that
    // have started: they delete themselves.
    ~TThread() override;
    const char* ClassName() const override { return "TThread"; }

    // Lets a suspended thread run. Only the first call does anything.
    void Resume();
    void Start() { Resume(); }

    // Sets the terminated flag that Execute polls; any thread may call it.
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }

    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool v) { freeOnTerminate_ = v; }

    DWORD ThreadID() const { return threadId_; }
    HANDLE Handle() const { return handle_.get(); }
    // Resume has been called.
    bool Started() const { return started_; }
    // Execute and OnTerminate are over.
    bool Finished() const { return finished_; }

    // Waits until the thread has ended, serving synchronised calls meanwhile,
    // and returns its exit code. Not for FreeOnTerminate threads.
    DWORD WaitFor();

    // The exception that ended Execute, kept and never shown.
    std::exception_ptr FatalException() const { return fatal_; }

    // Runs on the user-interface thread after Execute; Sender is this thread.
    TNotifyEvent OnTerminate;

    // The thread synchronised calls run on.
    static DWORD MainThreadID();

protected:
    virtual void Execute() = 0;

    // Runs method on the user-interface thread and returns when it has run
    // (or that thread has ended). Called on that thread itself, it just runs
    // it. An exception the method raises comes back out of Synchronize.
    void Synchronize(const std::function<void()>& method);

    // Raises OnTerminate through Synchronize.
    virtual void DoTerminate();

private:
    static unsigned __stdcall ThreadProc(void* self);

    TKernelHandle handle_;
    unsigned threadId_ = 0;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> freeOnTerminate_{false};
    bool started_ = false;
    std::atomic<bool> cancelled_{false};  // destroyed before it ever ran
    std::exception_ptr fatal_;
    TKernelHandle syncRan_;  // the user-interface thread has run our synchronised call
};

// Waits on a kernel object from the user-interface thread while serving the
// synchronised calls of workers and sent messages (no other posted message).
// WAIT_OBJECT_0 or WAIT_TIMEOUT.
DWORD WaitForWorker(HANDLE object, DWORD timeoutMs = INFINITE);

// Serves sent messages and synchronised calls until done() holds or timeoutMs
// passes; true when done() held. Other posted messages stay queued.
bool ServeSentMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = INFINITE);

// What is left of timeoutMs (INFINITE stays INFINITE) at tick count now for a
// wait that began at tick count start. GetTickCount wraps to 0 every 49.7 days;
// the answer stays right across the wrap for any timeout shorter than that.
DWORD TickRemaining(DWORD start, DWORD now, DWORD timeoutMs);

// A posted message that is a worker's synchronised call.
bool IsSynchronizeCall(const MSG& msg);
