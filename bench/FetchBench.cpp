// Retrieval timings under Wine:
// 1. A 64 MiB body from the loopback server (VENDRAKE_HTTP_PORT) through one
//    XF_GetThread wired as the request object wires it (a synchronised
//    progress call per chunk, the text handler at the end): transfer time,
//    time to the end handler, and the process's memory during the download.
//    The same with no progress handler, to show what the per-chunk
//    synchronisation costs. scripts/bench.sh sets curl's time beside these.
// 2. The URL cache walk over 100,000 entries of the in-memory fake: entries
//    per second through the Ex functions and through the plain second route.
#include "BenchClock.h"
#include "FetchFakeCache.h"
#include "ThCrkUrl.h"
#include "XFGetThread.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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

void PumpUntil(const bool& flag)
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

// One download; prints one line of key=value pairs.
bool Download(const char* label, int port, int mib, bool withProgress)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "vk_fetch_bench.bin";
    TCrackUrl url;
    if (!url.Crack("http://127.0.0.1:" + std::to_string(port) + "/large?mib=" + std::to_string(mib), file)) return false;

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
    if (withProgress)
        progress = [&](XF_GetThread* sender, int, int) {
            if (++chunks % 1024 == 0) memory.Sample();
            lastByte = NowS();
            done = sender->Done();
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
        });
    worker->SaveToFile = true;
    worker->Resume();
    PumpUntil(ended);
    const double end = NowS();
    memory.Sample();
    const LONGLONG size = FileSize(file);
    DeleteFileA(file.c_str());
    // Without a progress handler the last byte is the text handler's time less
    // its 200 ms pause.
    if (!withProgress) lastByte = textAt - 0.2;
    std::printf("%s: done=%d bytes=%lld chunks=%d transfer_s=%.3f end_handler_s=%.3f text_bytes=%zu "
                "peak_working_set_mib=%.1f private_mib_before=%.1f peak_private_mib=%.1f\n",
                label, done ? 1 : 0, size, chunks, lastByte - start, end - start, textBytes,
                MiB(memory.PeakWorkingSet), MiB(privateBefore), MiB(memory.PeakPrivate));
    return done && size == (static_cast<LONGLONG>(mib) << 20);
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
    bool ok = true;
    if (port > 0) {
        ok = Download("xf_get_thread", port, mib, true) && ok;
        ok = Download("xf_get_thread_no_progress", port, mib, false) && ok;
    } else {
        std::printf("download skipped: VENDRAKE_HTTP_PORT is not set\n");
    }
    CacheWalk("cache_walk_ex", false, 100000);
    CacheWalk("cache_walk_plain_second_route", true, 100000);
    return ok ? 0 : 1;
}
