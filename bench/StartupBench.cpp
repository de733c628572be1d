// Starts Vendrake.exe repeatedly and measures, from outside, the time from
// CreateProcess to the main window being visible, then the time from a cursor
// move to the caption showing that position.
#include "BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Sibling(const char* name)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of("\\/") + 1) + name;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

HWND WaitVisible(const char* cls, double timeoutMs)
{
    const double start = NowMs();
    while (NowMs() - start < timeoutMs) {
        HWND w = FindWindowA(cls, nullptr);
        if (w && IsWindowVisible(w)) return w;
        Sleep(0);
    }
    return nullptr;
}

void Stop(PROCESS_INFORMATION& pi, HWND main)
{
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

bool Start(PROCESS_INFORMATION& pi)
{
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    std::string cmd = "\"" + Sibling("Vendrake.exe") + "\"";
    return CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
}

void MoveCursor(int x, int y)
{
    SetCursorPos(x, y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof(in));
}

}  // namespace

int main(int argc, char** argv)
{
    const int starts = argc > 1 ? std::atoi(argv[1]) : 7;
    const int moves = argc > 2 ? std::atoi(argv[2]) : 200;
    std::vector<double> startMs, moveMs;
    for (int i = 0; i < starts; ++i) {
        PROCESS_INFORMATION pi{};
        const double t0 = NowMs();
        if (!Start(pi)) return 1;
        HWND main = WaitVisible("TfrmMain", 20000);
        const double shown = NowMs() - t0;
        if (!main) { Stop(pi, nullptr); std::printf("main window never showed\n"); return 1; }
        startMs.push_back(shown);
        if (i == 0) {
            // Caption latency, measured before the shrink one second after start:
            // the window text is read from another process, as a user would see it.
            Sleep(50);
            char text[128];
            for (int m = 0; m < moves; ++m) {
                const int x = 100 + (m % 2) * 37 + m % 50, y = 100 + m % 40;
                char want[64];
                std::snprintf(want, sizeof(want), "X = %d, Y = %d", x, y);
                const double m0 = NowMs();
                MoveCursor(x, y);
                while (NowMs() - m0 < 1000) {
                    GetWindowTextA(main, text, sizeof(text));
                    if (std::strstr(text, want)) break;
                }
                moveMs.push_back(NowMs() - m0);
            }
        }
        Stop(pi, main);
    }
    std::printf("start to main window shown: median %.1f ms, min %.1f ms over %d starts\n", Median(startMs),
                *std::min_element(startMs.begin(), startMs.end()), starts);
    std::printf("cursor move to caption update: median %.2f ms, max %.2f ms over %zu moves\n", Median(moveMs),
                *std::max_element(moveMs.begin(), moveMs.end()), moveMs.size());
    return 0;
}
