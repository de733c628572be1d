// Retrieval timings under Wine:
// 1. A 64 MiB body from the loopback server (VENDRAKE_HTTP_PORT) through one
//    XF_GetThread wired as the request object wires it (a synchronised
//    progress call per chunk, the text handler at the end): transfer time,
//    time to the end handler, and the process's memory during the download.
//    The same with no progress handler, to show what the per-chunk
//    synchronisation costs. scripts/bench.sh sets curl's time beside these.
//    Then, in rounds, the floor that the download's shape allows (a bare loop
//    of 2050-byte InternetReadFile calls, one cross-thread SendMessage each,
//    nothing written) against XF_GetThread with the notification-area tip's
//    progress handler; the medians, and whether the worker stays within
//    1.1 x the loop plus its 0.7 s of pauses. The worker's downloads are
//    pumped by the application's own loop, idle work included, as in the
//    program; the floor by a bare PeekMessage loop.
// 2. The URL cache walk over 100,000 entries of the in-memory fake: entries
//    per second through the Ex functions and through the plain second route.
#include "BenchClock.h"
#include "FetchFakeCache.h"
#include "Forms.h"
#include "SaveReport.h"
#include "TestThread.h"
#include "ThCrkUrl.h"
#include "UtilWindow.h"
#include "WideText.h"
#include "XFGetThread.h"

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct TMemory {
    SIZE_T PeakWorkingSet = 0;
    SIZE_T PeakPrivate = 0;
    void Sample()
    {
        PROCESS_MEMORY_COUNTERS_EX m{};
        m.cb = sizeof(m);
        if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof(m))) {
            if (m.PeakWorkingSetSize > PeakWorkingSet) PeakWorkingSet = m.PeakWorkingSetSize;
            // Wine leaves PrivateUsage at 0; the page-file usage is the same
            // committed private memory there and on Windows.
            const SIZE_T priv = m.PrivateUsage ? m.PrivateUsage : m.PagefileUsage;
            if (priv > PeakPrivate) PeakPrivate = priv;
        }
    }
};

double MiB(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

template <class Flag>
void PumpUntil(const Flag& flag)
{
    while (!flag) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!flag) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

LONGLONG FileSize(const std::string& name)
{
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &a)) return -1;
    return (static_cast<LONGLONG>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

enum class TProgress { None, Count, Tip };

// The program's icon in the notification area, its tip set as the save flow sets it.
class TTrayTip {
public:
    TTrayTip() : window_([](UINT, WPARAM, LPARAM, LRESULT&) { return false; })
    {
        NOTIFYICONDATAA nid = Data(NIF_TIP | NIF_ICON);
        nid.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
        Shell_NotifyIconA(NIM_ADD, &nid);
    }
    ~TTrayTip()
    {
        NOTIFYICONDATAA nid = Data(0);
        Shell_NotifyIconA(NIM_DELETE, &nid);
    }
    TTrayTip(const TTrayTip&) = delete;
    TTrayTip& operator=(const TTrayTip&) = delete;
    void Set(const std::string& tip)
    {
        NOTIFYICONDATAA nid = Data(NIF_TIP);
        lstrcpynA(nid.szTip, tip.c_str(), sizeof(nid.szTip));
        Shell_NotifyIconA(NIM_MODIFY, &nid);
        ++Changes;
    }
    int Changes = 0;

private:
    NOTIFYICONDATAA Data(UINT flags)
    {
        NOTIFYICONDATAA nid{};
        nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
        nid.hWnd = window_.Handle();
        nid.uID = 200;
        nid.uFlags = flags;
        return nid;
    }
    TUtilWindow window_;
};

// One download; prints one line of key=value pairs and returns the seconds to
// the end handler, or a negative number when the file is not whole.
double Download(const char* label, int port, int mib, TProgress kind)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "vk_fetch_bench.bin";
    TCrackUrl url;
    const std::wstring target = ToWide(file, CP_ACP);  // GetTempPathA spoke the system code page
    if (!url.Crack("http://127.0.0.1:" + std::to_string(port) + "/large?mib=" + std::to_string(mib), target))
        return -1;

    TMemory memory;
    memory.Sample();
    const SIZE_T privateBefore = memory.PeakPrivate;
    bool ended = false;
    bool done = false;
    int chunks = 0;
    double lastByte = 0, textAt = 0;
    size_t textBytes = 0;
    const double start = NowS();
    XF_GetThread::TProgressEvent progress;
    TTrayTip tip;
    TProgressThrottle throttle;
    if (kind == TProgress::Count)
        progress = [&](XF_GetThread* sender, int, int) {
            if (++chunks % 1024 == 0) memory.Sample();
            lastByte = NowS();
            done = sender->Done();
        };
    if (kind == TProgress::Tip)
        progress = [&](XF_GetThread* sender, int length, int received) {
            ++chunks;
            lastByte = NowS();
            if (throttle.Due(GetTickCount()))
                tip.Set(DownloadTipText(file, sender->ContentLengthKnown(), length, received));
        };
    auto* worker = new XF_GetThread(
        &url, "", "", "", "", 0, "", 0, "", "",
        [&](std::string& content) {
            textAt = NowS();
            textBytes = content.size();
        },
        progress,
        [&](TObject* sender) {
            done = static_cast<XF_GetThread*>(sender)->Done();
            ended = true;
            PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);  // the loop looks at ended again
        });
    worker->SaveToFile = true;
    worker->Resume();
    while (!ended) Application()->HandleMessage();
    const double end = NowS();
    memory.Sample();
    const LONGLONG size = FileSize(file);
    DeleteFileA(file.c_str());
    // Without a progress handler the last byte is the text handler's time less
    // its 200 ms pause.
    if (kind == TProgress::None) lastByte = textAt - 0.2;
    std::printf("%s: done=%d bytes=%lld chunks=%d transfer_s=%.3f end_handler_s=%.3f text_bytes=%zu "
                "peak_working_set_mib=%.1f private_mib_before=%.1f peak_private_mib=%.1f tip_changes=%d\n",
                label, done ? 1 : 0, size, chunks, lastByte - start, end - start, textBytes,
                MiB(memory.PeakWorkingSet), MiB(privateBefore), MiB(memory.PeakPrivate), tip.Changes);
    return done && size == (static_cast<LONGLONG>(mib) << 20) ? end - start : -1;
}

// The same body on a thread of its own with nothing but 2050-byte reads and
// one SendMessage to this thread per read; seconds to the last byte, or a
// negative number when the body is not whole.
double BareReadLoop(int port, int mib)
{
    int sent = 0;
    TUtilWindow target([&](UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != WM_APP) return false;
        ++sent;
        result = 0;
        return true;
    });
    const HWND window = target.Handle();
    std::atomic<bool> finished{false};
    long long bytes = 0;
    const double start = NowS();
    TTestThread reader([&] {
        TInternetHandle root(InternetOpenA("fetch_bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
        TInternetHandle connection(root ? InternetConnectA(root.get(), "127.0.0.1", static_cast<INTERNET_PORT>(port),
                                                           "", "", INTERNET_SERVICE_HTTP, 0, 0)
                                        : nullptr);
        const std::string object = "/large?mib=" + std::to_string(mib);
        TInternetHandle request(connection ? HttpOpenRequestA(connection.get(), "GET", object.c_str(), "HTTP/1.0",
                                                              nullptr, nullptr, INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                           : nullptr);
        if (request && HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) {
            char buffer[XF_GetThread::BufferSize];
            DWORD n = 0;
            while (InternetReadFile(request.get(), buffer, sizeof(buffer), &n) && n > 0) {
                bytes += n;
                SendMessageA(window, WM_APP, n, 0);
            }
        }
        finished = true;
        PostMessageA(window, WM_NULL, 0, 0);  // wakes the pump
    });
    PumpUntil(finished);
    const double seconds = NowS() - start;
    reader.Join();
    std::printf("bare_read_loop: bytes=%lld sends=%d seconds=%.3f\n", bytes, sent, seconds);
    return bytes == (static_cast<long long>(mib) << 20) ? seconds : -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Rounds of the bare loop and the worker with the tip's handler, one after the
// other on the same server; false when a body was not whole or the worker
// missed its bound.
bool TipAgainstBareLoop(int port, int mib, int rounds)
{
    std::vector<double> bare, worker;
    for (int i = 0; i < rounds; ++i) {
        const double b = BareReadLoop(port, mib);
        const double w = Download("xf_get_thread_tip", port, mib, TProgress::Tip);
        if (b < 0 || w < 0) return false;
        bare.push_back(b);
        worker.push_back(w);
    }
    const double bound = 1.1 * Median(bare) + 0.7;
    const bool within = Median(worker) <= bound;
    std::printf("tip_vs_bare_loop: rounds=%d median_bare_s=%.3f median_xf_get_thread_tip_s=%.3f bound_s=%.3f "
                "within=%d\n",
                rounds, Median(bare), Median(worker), bound, within ? 1 : 0);
    return within;
}

void CacheWalk(const char* label, bool exStub, int entries)
{
    InstallFakeCache();
    TFakeCache& fake = FakeCache();
    fake.ExStub = exStub;
    fake.Entries.resize(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        TFakeEntry& e = fake.Entries[static_cast<size_t>(i)];
        e.Url = "http://media" + std::to_string(i % 97) + ".example.com/movies/clip" + std::to_string(i) + ".swf";
        e.File = "C:\\cache\\X" + std::to_string(i % 16) + "\\clip" + std::to_string(i) + "[1].swf";
        e.Header = "HTTP/1.1 200 OK\r\nContent-Type: application/x-shockwave-flash\r\n";
        e.Extension = "swf";
        e.Type = i % 10 == 0 ? CacheEntryFlag(TFilterOption::STABLE_ENTRY) : NORMAL_CACHE_ENTRY;
    }
    TIECache cache(nullptr);
    cache.SetFilterOptions(FilterOptionBit(TFilterOption::NORMAL_ENTRY) | FilterOptionBit(TFilterOption::STICKY_ENTRY) |
                           FilterOptionBit(TFilterOption::COOKIE_ENTRY) |
                           FilterOptionBit(TFilterOption::URLHISTORY_ENTRY) |
                           FilterOptionBit(TFilterOption::TRACK_OFFLINE_ENTRY) |
                           FilterOptionBit(TFilterOption::TRACK_ONLINE_ENTRY));
    cache.SetSearchPattern(TSearchPattern::spUrl);
    const std::string wanted = fake.Entries.back().Url;  // the save flow's comparison, never matching early
    int reported = 0;
    cache.OnEntry = [&](TObject*, bool& cancel) {
        ++reported;
        if (cache.EntryInfo().SourceUrlName == wanted + "#") cancel = true;
    };
    const double start = NowS();
    cache.EnumerateEntries(0);
    const double seconds = NowS() - start;
    std::printf("%s: entries=%d reported=%d seconds=%.3f entries_per_s=%.0f\n", label, entries, reported, seconds,
                entries / seconds);
    UninstallFakeCache();
}

}  // namespace

int main(int argc, char** argv)
{
    const char* portText = std::getenv("VENDRAKE_HTTP_PORT");
    const int port = argc > 1 ? std::atoi(argv[1]) : portText ? std::atoi(portText) : 0;
    const int mib = argc > 2 ? std::atoi(argv[2]) : 64;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    bool ok = true;
    if (port > 0) {
        ok = Download("xf_get_thread", port, mib, TProgress::Count) >= 0 && ok;
        ok = Download("xf_get_thread_no_progress", port, mib, TProgress::None) >= 0 && ok;
        ok = TipAgainstBareLoop(port, mib, rounds) && ok;
    } else {
        std::printf("download skipped: VENDRAKE_HTTP_PORT is not set\n");
    }
    CacheWalk("cache_walk_ex", false, 100000);
    CacheWalk("cache_walk_plain_second_route", true, 100000);
    return ok ? 0 : 1;
}
