// Zelpo.dll as the program uses it: linked through its import library, driven
// by the real cursor. The reports are taken off the test thread's queue with
// PeekMessage, which also proves they are posted: a sent message would go
// straight to the window procedure and never be counted.
#include "TestThread.h"
#include "Zelpo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const UINT ReportMessage = RegisterWindowMessageA(HookMessageName);

// A hidden top-level window on the test thread, the target of the reports.
class TReportWindow {
public:
    TReportWindow()
    {
        static const ATOM windowClass = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "ZelpoTestReportWindow";
            return RegisterClassA(&wc);
        }();
        Handle = CreateWindowExA(0, MAKEINTATOM(windowClass), "", WS_OVERLAPPED, 0, 0, 50, 50,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~TReportWindow() { DestroyWindow(Handle); }
    TReportWindow(const TReportWindow&) = delete;
    TReportWindow& operator=(const TReportWindow&) = delete;

    HWND Handle = nullptr;
};

// The test's own view of the shared record; Create plays the program that
// mapped the record before the library did.
class TRecordView {
public:
    TRecordView() = default;
    TRecordView(const TRecordView&) = delete;
    TRecordView& operator=(const TRecordView&) = delete;
    ~TRecordView()
    {
        if (Record_)
            UnmapViewOfFile(const_cast<TMouseShare*>(Record_));
        if (Mapping_)
            CloseHandle(Mapping_);
    }

    bool Open() { return Map(OpenFileMappingA(FILE_MAP_WRITE, FALSE, MouseShareName)); }
    bool Create()
    {
        return Map(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(TMouseShare), MouseShareName));
    }
    // Volatile: the library writes the record from its own thread.
    volatile TMouseShare* operator->() const { return Record_; }

private:
    bool Map(HANDLE mapping)
    {
        Mapping_ = mapping;
        if (Mapping_)
            Record_ = static_cast<TMouseShare*>(MapViewOfFile(Mapping_, FILE_MAP_WRITE, 0, 0, 0));
        return Record_ != nullptr;
    }

    HANDLE Mapping_ = nullptr;
    volatile TMouseShare* Record_ = nullptr;
};

bool RecordExists()
{
    const HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, MouseShareName);
    if (mapping)
        CloseHandle(mapping);
    return mapping != nullptr;
}

// One mouse event where the cursor is.
void Nudge()
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}

// SetCursorPos alone does not reliably reach low-level hooks (under Wine only
// over a shown window, after an X round trip, sometimes twice); the nudge gives
// exactly one event at the new position.
void MoveCursorTo(int x, int y)
{
    SetCursorPos(x, y);
    Nudge();
}

// Pumps the test thread's queue for up to `ms` and counts the reports posted to
// `window`, returning at the first one when `untilFirst` is set.
int TakeReports(HWND window, DWORD ms, bool untilFirst = false)
{
    int count = 0;
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, window, ReportMessage, ReportMessage, PM_REMOVE))
            ++count;
        const DWORD elapsed = GetTickCount() - start;  // right across the count's wrap
        if ((untilFirst && count > 0) || elapsed >= ms)
            return count;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(ms - elapsed, 10), QS_ALLINPUT);
    }
}

bool WaitForReport(HWND window) { return TakeReports(window, 2000, true) > 0; }

// Through void(*)(), the one cast -Wcast-function-type accepts from FARPROC.
template <typename Function>
Function ExportOf(HMODULE library, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// Long enough for a stray report to arrive, if one were coming.
constexpr DWORD QuietMs = 300;

class ZelpoHook : public ::testing::Test {
protected:
    // A failed test must not leave the hook enabled for the next one.
    void TearDown() override { DisableMouseHook(); }

    TReportWindow Window;
};

TEST_F(ZelpoHook, CreatesRecordAndReportsEachPositionThroughIt)
{
    ASSERT_NE(ReportMessage, 0u);
    ASSERT_FALSE(RecordExists()) << "an earlier test left the record mapped";
    ASSERT_TRUE(EnableMouseHook(Window.Handle));
    TRecordView view;
    ASSERT_TRUE(view.Open()) << "the library did not create the record";
    for (const POINT p : {POINT{12, 34}, POINT{517, 300}, POINT{1023, 767}, POINT{0, 0}}) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        MoveCursorTo(p.x, p.y);
        ASSERT_TRUE(WaitForReport(Window.Handle));
        EXPECT_EQ(view->X, p.x);
        EXPECT_EQ(view->Y, p.y);
        TakeReports(Window.Handle, 50);
    }
    // One event, one message.
    Nudge();
    EXPECT_EQ(TakeReports(Window.Handle, QuietMs), 1);
}

TEST_F(ZelpoHook, KeepsRecordThatProgramCreated)
{
    TRecordView view;
    ASSERT_TRUE(view.Create());
    view->Reserved = 0x5A17;
    view->X = -7;
    view->Y = -7;
    ASSERT_TRUE(EnableMouseHook(Window.Handle));
    MoveCursorTo(321, 123);
    ASSERT_TRUE(WaitForReport(Window.Handle));
    EXPECT_EQ(view->Reserved, 0x5A17);
    EXPECT_EQ(view->X, 321);
    EXPECT_EQ(view->Y, 123);
}

TEST_F(ZelpoHook, DisableStopsReportsAndReleasesRecord)
{
    ASSERT_TRUE(EnableMouseHook(Window.Handle));
    MoveCursorTo(100, 100);
    ASSERT_TRUE(WaitForReport(Window.Handle));
    EXPECT_TRUE(DisableMouseHook());
    TakeReports(Window.Handle, 0);
    MoveCursorTo(200, 150);
    EXPECT_EQ(TakeReports(Window.Handle, QuietMs), 0);
    EXPECT_TRUE(DisableMouseHook()) << "nothing enabled is already stopped";
    EXPECT_FALSE(RecordExists()) << "the library still holds the record";
    MoveCursorTo(210, 160);
    EXPECT_EQ(TakeReports(Window.Handle, QuietMs), 0);
}

TEST_F(ZelpoHook, DisableBeforeAnyEnableSucceedsAndEnableStillWorks)
{
    ASSERT_FALSE(RecordExists());
    EXPECT_TRUE(DisableMouseHook());
    EXPECT_TRUE(DisableMouseHook());
    ASSERT_TRUE(EnableMouseHook(Window.Handle));
    MoveCursorTo(130, 140);
    EXPECT_TRUE(WaitForReport(Window.Handle));
    EXPECT_TRUE(DisableMouseHook());
}

TEST_F(ZelpoHook, SecondEnableOnlyRetargets)
{
    TReportWindow other;
    ASSERT_TRUE(EnableMouseHook(Window.Handle));
    ASSERT_TRUE(EnableMouseHook(other.Handle));
    MoveCursorTo(400, 300);
    ASSERT_TRUE(WaitForReport(other.Handle));
    TakeReports(other.Handle, 50);
    EXPECT_EQ(TakeReports(Window.Handle, 0), 0) << "the first window still gets reports";

    // A second hook would post a second message per event.
    Nudge();
    EXPECT_EQ(TakeReports(other.Handle, QuietMs), 1);
    EXPECT_EQ(TakeReports(Window.Handle, 0), 0);

    // One Disable undoes both calls.
    EXPECT_TRUE(DisableMouseHook());
    Nudge();
    EXPECT_EQ(TakeReports(other.Handle, QuietMs), 0);
    EXPECT_TRUE(DisableMouseHook());
}

TEST_F(ZelpoHook, ReportsWhileEnablingThreadPumpsNothing)
{
    // A hook on the caller's thread would run only when that thread pumps
    // messages; this thread only sleeps and polls the record.
    ASSERT_TRUE(EnableMouseHook(Window.Handle));
    TRecordView view;
    ASSERT_TRUE(view.Open());
    TTestThread mover([] { MoveCursorTo(611, 222); });
    mover.Join();
    for (int i = 0; i < 200 && !(view->X == 611 && view->Y == 222); ++i)
        Sleep(10);
    EXPECT_EQ(view->X, 611);
    EXPECT_EQ(view->Y, 222);
}

TEST_F(ZelpoHook, UnloadWhileEnabledWaitsForDisable)
{
    // A copy under another name is a module of its own, with its own hook
    // state, that this test can unload; the linked Zelpo.dll never unloads.
    char original[MAX_PATH];
    ASSERT_NE(GetModuleFileNameA(GetModuleHandleA("Zelpo.dll"), original, MAX_PATH), 0u);
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string copy = std::string(folder) + "ZelpoUnloadCopy.dll";
    ASSERT_TRUE(CopyFileA(original, copy.c_str(), FALSE));

    HMODULE library = LoadLibraryA(copy.c_str());
    ASSERT_NE(library, nullptr);
    const auto enable = ExportOf<decltype(&EnableMouseHook)>(library, "EnableMouseHook");
    ASSERT_NE(enable, nullptr);
    ASSERT_TRUE(enable(Window.Handle));
    FreeLibrary(library);
    EXPECT_NE(GetModuleHandleA(copy.c_str()), nullptr) << "unloaded under a running hook";
    MoveCursorTo(77, 88);
    EXPECT_TRUE(WaitForReport(Window.Handle));

    library = LoadLibraryA(copy.c_str());
    ASSERT_NE(library, nullptr);
    const auto disable = ExportOf<decltype(&DisableMouseHook)>(library, "DisableMouseHook");
    ASSERT_NE(disable, nullptr);
    EXPECT_TRUE(disable());
    FreeLibrary(library);
    EXPECT_EQ(GetModuleHandleA(copy.c_str()), nullptr) << "the hook thread kept its reference";
    DeleteFileA(copy.c_str());
}

} // namespace
