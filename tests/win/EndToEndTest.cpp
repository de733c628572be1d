// Vendrake.exe started as a process and driven from outside, as a user would:
// its window's place, the caption following the real cursor, the restore from
// the notification-area icon, Quit ending the process, and a second start
// bringing back the running program instead of running beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of("\\/") + 1) + "Vendrake.exe";
}

std::string WindowText(HWND h)
{
    char text[256] = {};
    GetWindowTextA(h, text, sizeof(text));
    return text;
}

template <class Pred>
bool WaitFor(Pred pred, DWORD timeout)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        if (pred()) return true;
        Sleep(5);
    }
    return pred();
}

// One report from the hook: the cursor moves, then a zero move makes Wine tell
// the low-level hooks.
void MoveCursor(int x, int y)
{
    SetCursorPos(x, y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof(in));
}

struct TTextSearch {
    const std::string* Text;
    HWND Found;
};

BOOL CALLBACK MatchText(HWND h, LPARAM lp)
{
    auto* s = reinterpret_cast<TTextSearch*>(lp);
    if (WindowText(h) != *s->Text) return TRUE;
    s->Found = h;
    return FALSE;
}

HWND FindChildByText(HWND parent, const std::string& text)
{
    TTextSearch search{&text, nullptr};
    EnumChildWindows(parent, &MatchText, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

PROCESS_INFORMATION StartProgram()
{
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    std::string cmd = "\"" + ProgramPath() + "\"";
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
    return pi;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        pi_ = StartProgram();
        ASSERT_NE(pi_.hProcess, nullptr);
    }

    void TearDown() override
    {
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            if (HWND w = FindWindowA("TfrmMain", nullptr)) PostMessageA(w, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(pi_.hProcess, 5000) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
        }
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }

    HWND WaitForMainWindow()
    {
        HWND w = nullptr;
        WaitFor([&] { return (w = FindWindowA("TfrmMain", nullptr)) && IsWindowVisible(w); }, 15000);
        return w;
    }

    PROCESS_INFORMATION pi_{};
};

TEST_F(Program, PlacesFollowsCursorRestoresFromTrayAndQuits)
{
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr) << "the main window did not show";
    RECT r{};
    GetWindowRect(main, &r);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN) - 20);
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN) - 50);

    MoveCursor(100, 100);
    EXPECT_TRUE(WaitFor([&] { return WindowText(main) == "鼠标位置: X = 100, Y = 100"; }, 3000))
        << "caption: " << WindowText(main);
    MoveCursor(137, 59);
    EXPECT_TRUE(WaitFor([&] { return WindowText(main) == "鼠标位置: X = 137, Y = 59"; }, 3000))
        << "caption: " << WindowText(main);

    // One second after start the window shrinks away and hides.
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000)) << "the window never shrank";
    PostMessageA(main, 0x420, 200, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 3000)) << "no restore";
    RECT back{};
    WaitFor([&] { GetWindowRect(main, &back); return back.right - back.left == r.right - r.left; }, 2000);
    EXPECT_EQ(back.left, r.left);
    EXPECT_EQ(back.top, r.top);
    EXPECT_EQ(back.right, r.right);
    EXPECT_EQ(back.bottom, r.bottom);

    HWND quit = FindChildByText(main, "退出(&Q)");
    ASSERT_NE(quit, nullptr);
    PostMessageA(quit, BM_CLICK, 0, 0);
    ASSERT_EQ(WaitForSingleObject(pi_.hProcess, 10000), WAIT_OBJECT_0) << "the process did not end";
    DWORD code = 1;
    GetExitCodeProcess(pi_.hProcess, &code);
    EXPECT_EQ(code, 0u);
}

TEST_F(Program, SecondStartShowsTheRunningWindowAndEnds)
{
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr) << "the main window did not show";
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000)) << "the window never shrank";

    PROCESS_INFORMATION second = StartProgram();
    ASSERT_NE(second.hProcess, nullptr);
    const bool ended = WaitForSingleObject(second.hProcess, 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(second.hProcess, 1);
    DWORD code = 1;
    GetExitCodeProcess(second.hProcess, &code);
    CloseHandle(second.hThread);
    CloseHandle(second.hProcess);
    ASSERT_TRUE(ended) << "the second start kept running";
    EXPECT_EQ(code, 0u);

    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 3000)) << "the running window stayed hidden";
    EXPECT_EQ(WaitForSingleObject(pi_.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the first program ended";
}

}  // namespace
