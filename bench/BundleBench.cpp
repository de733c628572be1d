// The complete save of a movie that loads 99 files, all in the (fake, in
// memory) URL cache, beside a plain copy of the same 100 files into a folder:
// both in one run, in rounds, the medians and their ratio. The save reads the
// cache, copies each file into its place, hashes it and reads every movie for
// its references; the verdict wants it under one second.
#include "BenchClock.h"
#include "BundleSaver.h"
#include "FetchFakeCache.h"
#include "MovieMaker.h"
#include "WideText.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 100;
constexpr int kRounds = 5;
constexpr size_t kFileBytes = 64 * 1024;

std::string TempFolder()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "vendrake-bundle-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
}

void RemoveFolder(const std::string& folder)
{
    std::string from = folder.substr(0, folder.size() - 1);
    from.append(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationA(&op);
}

void WriteFileBytes(const std::string& name, const std::vector<uint8_t>& bytes)
{
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// The cached files: a movie naming the 99 others, then those.
std::vector<std::string> MakeCache(const std::string& folder)
{
    std::vector<std::string> names;
    for (int i = 1; i < kFiles; ++i) names.push_back("assets/file" + std::to_string(i) + ".xml");
    const TSwfBytes body = Joined({DoActionTag(ConstantPoolAction(names)), MovieBody(kFileBytes), EndTag()});
    std::vector<std::string> files;
    for (int i = 0; i < kFiles; ++i) {
        TFakeEntry e;
        e.Url = i == 0 ? "http://site.test/movie.swf" : "http://site.test/" + names[i - 1];
        e.File = folder + "cache" + std::to_string(i);
        WriteFileBytes(e.File, i == 0 ? MakeMovie(TMovieRecipe{}, body) : MovieBody(kFileBytes, i));
        FakeCache().Entries.push_back(e);
        files.push_back(e.File);
    }
    return files;
}

double PlainCopy(const std::vector<std::string>& files, const std::string& target)
{
    const double start = NowMs();
    CreateDirectoryA(target.c_str(), nullptr);
    for (size_t i = 0; i < files.size(); ++i)
        CopyFileA(files[i].c_str(), (target + "\\f" + std::to_string(i)).c_str(), FALSE);
    return NowMs() - start;
}

double CompleteSave(const std::string& parent, const std::wstring& name, size_t& saved)
{
    const double start = NowMs();
    TBundleSaver saver({"http://site.test/index.html", "http://site.test/index.html", "http://site.test/movie.swf", {}},
                       ToWide(parent), name, name + L".htm", TBundleOptions{});
    bool done = false;
    saver.OnDone = [&] { done = true; };
    saver.Start();
    MSG msg;
    while (!done && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    saved = saver.Record().Files.size();
    return NowMs() - start;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main()
{
    const std::string folder = TempFolder();
    CreateDirectoryA(folder.c_str(), nullptr);
    InstallFakeCache();
    const std::vector<std::string> files = MakeCache(folder);
    std::vector<double> copies, saves;
    size_t saved = 0;
    for (int round = 0; round < kRounds; ++round) {
        copies.push_back(PlainCopy(files, folder + "copy" + std::to_string(round)));
        saves.push_back(CompleteSave(folder, L"bundle" + std::to_wstring(round), saved));
    }
    UninstallFakeCache();
    RemoveFolder(folder);
    const double copy = Median(copies), save = Median(saves);
    std::printf("bundle_bench: %d cached files of %zu KiB, median of %d rounds\n", kFiles, kFileBytes / 1024, kRounds);
    std::printf("  plain copy     %8.1f ms\n", copy);
    std::printf("  complete save  %8.1f ms  (%zu files in the record; %.1f x the copy)\n", save, saved, save / copy);
    const bool ok = saved == kFiles && save < 1000.0;
    std::printf("  verdict: %s\n", ok ? "under 1 s with every file" : "FAILED: over 1 s or files missing");
    return ok ? 0 : 1;
}
