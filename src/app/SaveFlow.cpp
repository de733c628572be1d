// The main window's save flow: the movie the hit test found is resolved against
// its page's URL, the user picks a file, and the movie is copied out of the URL
// cache or, with the option "设置了3721的私隐策略", downloaded over HTTP.
#include "main.h"

#include "HTTPGet.h"
#include "MovieUrl.h"

#include <memory>

namespace {

constexpr UINT kSavedBeep = 100;

// Why a copy failed, in the user's words.
std::string CopyFailureText(DWORD error)
{
    std::string text = "无法保存Flash文件：";
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return text + "文件已经存在。";
    char reason[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                   sizeof(reason), nullptr);
    return text + (reason[0] ? reason : "系统错误 " + std::to_string(error));
}

}  // namespace

void TfrmMain::SaveMovie()
{
    MovieURL.clear();
    const auto resolved = ResolveMovieURL(Hit.PageURL, Hit.MoviePath);
    if (!resolved) return;
    Hit.MoviePath = resolved->Remainder;
    MovieURL = resolved->MovieURL;
    SaveDialog1->Title = Hit.MoviePath;
    SaveDialog1->FileName.clear();
    if (!SaveDialog1->Execute()) return;
    if (cbFor3721->Checked())
        DownloadMovie();
    else
        CopyMovieFromCache();
}

void TfrmMain::DownloadMovie()
{
    try {
        auto request = std::make_unique<TMFHttpGet>();
        if (!request->Url().Crack(MovieURL, SaveDialog1->FileName)) return;
        request->Mode = 2;
        request->PumpMessages = true;
        request->Start();
        // The worker reads the request until it ends; the request frees itself then.
        request.release()->FreeWhenDone();
    } catch (...) {
        // a download that cannot start ends the save quietly
    }
}

void TfrmMain::CopyMovieFromCache()
{
    IECache1->SetSearchPattern(TSearchPattern::spUrl);
    IECache1->EnumerateEntries(0);
}

void TfrmMain::IECache1Entry(TObject*, bool& Cancel)
{
    const TEntryInfo& entry = IECache1->EntryInfo();
    if (entry.SourceUrlName != MovieURL) return;
    Cancel = true;
    // The cached copy never overwrites a file. The beep says it was saved; a
    // refused or failed copy says so instead of beeping.
    if (CopyFileA(entry.LocalFileName.c_str(), SaveDialog1->FileName.c_str(), TRUE))
        MessageBeep(kSavedBeep);
    else
        ShowMessage(CopyFailureText(GetLastError()));
}
