// The framework's thread class: synchronised calls reach the user-interface
// thread wherever it pumps (a modal loop included) and the worker waits for
// them; the end handler runs there too, before a self-freeing thread is gone.
#include "CriticalSection.h"
#include "Threads.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

// A thread whose body is a function given by the test.
class TLambdaThread : public TThread {
public:
    explicit TLambdaThread(std::function<void(TLambdaThread&)> body, bool* destroyed = nullptr)
        : body_(std::move(body)), destroyed_(destroyed)
    {
    }
    ~TLambdaThread() override
    {
        // body_ must outlive the run: end it before the members go.
        if (Started() && !FreeOnTerminate() && GetCurrentThreadId() != ThreadID()) {
            Terminate();
            WaitFor();
        }
        if (destroyed_) *destroyed_ = true;
    }
    using TThread::Synchronize;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TLambdaThread&)> body_;
    bool* destroyed_;
};

}  // namespace

TEST(TThread, SynchronizeRunsOnTheMainThreadWhileTheWorkerWaits)
{
    const DWORD ui = GetCurrentThreadId();
    DWORD ranOn = 0;
    bool workerSawResult = false;
    TLambdaThread t([&](TLambdaThread& self) {
        int value = 0;
        self.Synchronize([&] {
            ranOn = GetCurrentThreadId();
            Sleep(50);  // the worker must still be waiting after this
            value = 42;
        });
        workerSawResult = value == 42;
    });
    EXPECT_EQ(TThread::MainThreadID(), ui);
    t.Start();
    t.WaitFor();  // serves the call meanwhile: no deadlock
    EXPECT_EQ(ranOn, ui);
    EXPECT_TRUE(workerSawResult);
    EXPECT_TRUE(t.Finished());
}

TEST(TThread, OnTerminateRunsOnTheMainThreadBeforeTheSelfFreeingObjectGoes)
{
    bool destroyed = false;
    bool destroyedBeforeHandler = true;
    DWORD handlerThread = 0;
    TObject* sender = nullptr;
    auto* t = new TLambdaThread([](TLambdaThread&) {}, &destroyed);
    t->SetFreeOnTerminate(true);
    t->OnTerminate = [&](TObject* s) {
        handlerThread = GetCurrentThreadId();
        destroyedBeforeHandler = destroyed;
        sender = s;
    };
    TObject* const expected = t;
    t->Start();
    ASSERT_TRUE(PumpUntil([&] { return destroyed; }, 5000));
    EXPECT_EQ(handlerThread, GetCurrentThreadId());
    EXPECT_FALSE(destroyedBeforeHandler);
    EXPECT_EQ(sender, expected);
}

TEST(TThread, ExceptionsAreKeptNotPropagated)
{
    // One from the body itself, one from a synchronised call (it comes back
    // out of Synchronize in the worker); the end handler runs all the same.
    bool handlerRan = false;
    bool rethrownInWorker = false;
    TLambdaThread t([&](TLambdaThread& self) {
        try {
            self.Synchronize([] { throw std::runtime_error("in the call"); });
        } catch (const std::runtime_error&) {
            rethrownInWorker = true;
        }
        throw std::runtime_error("in the body");
    });
    t.OnTerminate = [&](TObject*) { handlerRan = true; };
    t.Start();
    t.WaitFor();
    EXPECT_TRUE(rethrownInWorker);
    EXPECT_TRUE(handlerRan);
    ASSERT_TRUE(t.FatalException());
    EXPECT_THROW(std::rethrow_exception(t.FatalException()), std::runtime_error);
}

TEST(TThread, SynchronizeIsServedInsideAModalLoop)
{
    // The main thread sits in a message box's own loop; the worker's call is
    // served there and closes the box.
    static const char* const caption = "TThreadModalLoopTest";
    DWORD servedOn = 0;
    TLambdaThread t([&](TLambdaThread& self) {
        HWND box = nullptr;
        for (int i = 0; i < 500 && !box; ++i, Sleep(10)) box = FindWindowA("#32770", caption);
        self.Synchronize([&] {
            servedOn = GetCurrentThreadId();
            if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
    });
    // Should the call never arrive, the box still closes after 10 s.
    struct TGuard {
        static void CALLBACK Close(HWND, UINT, UINT_PTR id, DWORD)
        {
            KillTimer(nullptr, id);
            if (HWND box = FindWindowA("#32770", caption)) PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    };
    const UINT_PTR guard = SetTimer(nullptr, 0, 10000, &TGuard::Close);
    t.Start();
    const DWORD start = GetTickCount();
    MessageBoxA(nullptr, "waiting for the worker", caption, MB_OK);
    const DWORD elapsed = GetTickCount() - start;
    KillTimer(nullptr, guard);
    t.WaitFor();
    EXPECT_EQ(servedOn, GetCurrentThreadId());
    EXPECT_LT(elapsed, 9000u) << "the box was closed by the guard timer, not by the synchronised call";
}

TEST(TThread, TerminateIsSeenAndADestroyedSuspendedThreadNeverRuns)
{
    TLambdaThread looping([](TLambdaThread& self) {
        while (!self.Terminated()) Sleep(1);
    });
    looping.Start();
    Sleep(20);
    EXPECT_FALSE(looping.Finished());
    looping.Terminate();
    looping.WaitFor();
    EXPECT_TRUE(looping.Finished());

    bool ran = false, handlerRan = false;
    {
        TLambdaThread never([&](TLambdaThread&) { ran = true; });
        never.OnTerminate = [&](TObject*) { handlerRan = true; };
    }
    EXPECT_FALSE(ran);
    EXPECT_FALSE(handlerRan);
}

TEST(TThread, DestroyingARunningThreadWaitsAndServesItsCalls)
{
    int calls = 0;
    {
        TLambdaThread t([&](TLambdaThread& self) {
            while (!self.Terminated()) self.Synchronize([&] { ++calls; });
            self.Synchronize([&] { ++calls; });  // one more after the request to stop
        });
        t.Start();
        ASSERT_TRUE(PumpUntil([&] { return calls > 3; }, 5000));
    }  // the destructor terminates, then waits while serving the last call
    EXPECT_GT(calls, 4);
    const int after = calls;
    PumpPending();
    EXPECT_EQ(calls, after);
}

TEST(TThread, TickRemainingHoldsAcrossTheTickCountWrap)
{
    EXPECT_EQ(TickRemaining(1000, 1400, 1000), 600u);
    EXPECT_EQ(TickRemaining(1000, 2000, 1000), 0u);
    // The count wrapped from 0xFFFFFF00 to 0x100: 0x200 ms have passed.
    EXPECT_EQ(TickRemaining(0xFFFFFF00u, 0x100u, 1000), 1000u - 0x200u);
    EXPECT_EQ(TickRemaining(0xFFFFFF00u, 0x400u, 1000), 0u);
    EXPECT_EQ(TickRemaining(0xFFFFFF00u, 0x400u, INFINITE), INFINITE);
}

TEST(TCriticalSection, KeepsOtherThreadsOutUntilItsHolderHasLeftAsOftenAsItEntered)
{
    TCriticalSection section;
    std::atomic<bool> entered{false};
    section.Enter();
    section.Enter();  // the holder enters again without blocking itself
    TLambdaThread worker([&](TLambdaThread&) {
        TCriticalSection::TLock lock(section);
        entered = true;
    });
    worker.Resume();
    EXPECT_EQ(WaitForSingleObject(worker.Handle(), 100), static_cast<DWORD>(WAIT_TIMEOUT));
    section.Leave();
    EXPECT_EQ(WaitForSingleObject(worker.Handle(), 100), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(entered);
    section.Leave();
    EXPECT_EQ(WaitForSingleObject(worker.Handle(), 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(entered);
}

TEST(TThread, SentMessageWaitsServeSynchronisedCallsAndKeepOtherPostedMessages)
{
    // The request object's destructor waits this way for its worker's end
    // handler: the worker's calls must run there, and a message posted for
    // the loop must still be queued afterwards.
    const HWND target = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    PostMessageA(target, WM_APP + 7, 1, 2);
    int served = 0;
    TLambdaThread t([&](TLambdaThread& self) {
        for (int i = 0; i < 3; ++i) self.Synchronize([&] { ++served; });
    });
    t.Start();
    EXPECT_TRUE(ServeSentMessagesUntil([&] { return served == 3; }, 10000));
    EXPECT_EQ(WaitForWorker(t.Handle(), 10000), WAIT_OBJECT_0);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, target, WM_APP + 7, WM_APP + 7, PM_REMOVE));
    DestroyWindow(target);
}
