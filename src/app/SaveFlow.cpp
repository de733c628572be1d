// The main window's save flow: the movie the hit test found is resolved against
// its page's base, the user picks a file (its name suggested from the address), and the movie is copied out of the URL
// cache or, with the option "设置了3721的私隐策略", downloaded over HTTP. With the
// dialog's second file type the movie is saved complete instead: a folder with
// every file it loads, its page and a record (BundleSaver.h).
#include "main.h"

#include "BundleSaver.h"
#include "MovieFileName.h"
#include "HTTPGet.h"
#include "MovieFile.h"
#include "MovieUrl.h"
#include "Product.h"
#include "SaveReport.h"
#include "WideText.h"

#include <algorithm>
#include <memory>

namespace {

constexpr UINT kSavedBeep = 100;

// Why a copy failed, in the user's words.
std::string CopyFailureText(DWORD error)
{
    std::string text = "无法保存Flash文件：";
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return text + "文件已经存在。";
    // The system's words come in UTF-16: in its own code page they would not
    // read as 936.
    wchar_t reason[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                   static_cast<DWORD>(std::size(reason)), nullptr);
    return text + (reason[0] ? ToNarrow(reason) : "系统错误 " + std::to_string(error));
}

}  // namespace

TfrmMain::~TfrmMain()
{
    // A download that outlives the window must not call back into it.
    for (TDownloadWatch& w : downloads_) {
        w.Request->OnProgress = nullptr;
        w.Request->OnDone = nullptr;
    }
}

void TfrmMain::SaveMovie()
{
    // The address the browser loaded the movie from, as its cache keeps it:
    // both routes ask for this one.
    MovieURL = CachedAddress(ResolveMovieURL(Hit.PageURL, Hit.MoviePath));
    if (MovieURL.empty()) return;
    SaveDialog1->Title = Hit.MoviePath;
    SaveDialog1->FileName = ToWide(SuggestedFileName(ToNarrow(ToWide(MovieURL), CP_UTF8)), CP_UTF8);
    SaveDialog1->FilterIndex = SaveCompleteChosen ? SaveCompleteFilter : 1;
    if (!SaveDialog1->Execute()) return;
    SaveCompleteChosen = SaveDialog1->FilterIndex == SaveCompleteFilter;
    if (SaveCompleteChosen) {
        SaveComplete();
        return;
    }
    if (cbFor3721->Checked())
        DownloadMovie();
    else
        CopyMovieFromCache();
}

// The folder is named as the user named the file, without its extension,
// beside it; its leading page takes the file's name.
void TfrmMain::SaveComplete()
{
    const std::wstring& chosen = SaveDialog1->FileName;
    const size_t slash = chosen.find_last_of(L"\\/");
    const std::wstring parent = slash == std::wstring::npos ? std::wstring() : chosen.substr(0, slash + 1);
    std::wstring name = chosen.substr(parent.size());
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    TBundleSource source{Hit.DocumentURL.empty() ? Hit.PageURL : Hit.DocumentURL, Hit.PageURL, MovieURL,
                         Hit.MovieMarkup};
    TBundleOptions options;
    options.DownloadMovie = options.DownloadReferences = cbFor3721->Checked();
    auto saver = std::make_unique<TBundleSaver>(std::move(source), parent, name, name + L".htm", options);
    TBundleSaver* s = saver.get();
    s->OnDone = [this, s] { PostMessageA(Handle(), WM_BUNDLEDONE, 0, reinterpret_cast<LPARAM>(s)); };
    bundles_.push_back(std::move(saver));
    SetTrayTip("正在完整保存Flash动画……");
    s->Start();
}

// Posted by a saver at its end: it is freed here, outside its own handler.
void TfrmMain::BundleDone(LPARAM saver)
{
    const auto found = std::find_if(bundles_.begin(), bundles_.end(), [saver](const auto& b) {
        return reinterpret_cast<LPARAM>(b.get()) == saver;
    });
    if (found == bundles_.end()) return;
    const std::unique_ptr<TBundleSaver> bundle = std::move(*found);
    bundles_.erase(found);
    if (bundles_.empty() && downloads_.empty()) SetTrayTip(ProductCaption);
    if (!bundle->MovieSaved()) {
        const std::string reason = bundle->Failure().empty() ? "没有找到" : bundle->Failure();
        ShowMessage("无法完整保存Flash动画：" + reason);
        return;
    }
    const TBundleRecord& record = bundle->Record();
    const TMovieInfo movie = record.Files.front().Movie.value_or(TMovieInfo{});
    std::wstring folder = bundle->Folder();
    if (!folder.empty()) folder.pop_back();  // the balloon names the folder itself
    Beep(kSavedBeep);
    ShowTrayBalloon(SavedBundleBalloon(ToNarrow(folder), record.Files.size(), record.Missing.size(),
                                       !record.Cuts.empty(), movie, BalloonTitleMax, BalloonTextMax));
}

void TfrmMain::DownloadMovie()
{
    std::unique_ptr<TMFHttpGet> request;
    try {
        request = std::make_unique<TMFHttpGet>();
        if (!request->Url().Crack(MovieURL, SaveDialog1->FileName)) return;
        request->Mode = 2;
        request->PumpMessages = true;
        WatchDownload(*request);
        request->Start();
        // The worker reads the request until it ends; the request frees itself then.
        request.release()->FreeWhenDone();
    } catch (...) {
        // a download that cannot start ends the save quietly
        ForgetDownload(request.get());
    }
}

void TfrmMain::WatchDownload(TMFHttpGet& request)
{
    downloads_.push_back(TDownloadWatch{&request, TProgressThrottle()});
    request.OnProgress = [this](TMFHttpGet* r, int length, int received) { DownloadProgress(r, length, received); };
    request.OnDone = [this](TMFHttpGet* r) { DownloadEnded(r); };
}

void TfrmMain::ForgetDownload(const TMFHttpGet* request)
{
    std::erase_if(downloads_, [request](const TDownloadWatch& w) { return w.Request == request; });
}

void TfrmMain::DownloadProgress(TMFHttpGet* request, int contentLength, int received)
{
    // One call per chunk of 2050 bytes: the tip changes only a few times a second.
    auto w = std::find_if(downloads_.begin(), downloads_.end(),
                          [request](const TDownloadWatch& d) { return d.Request == request; });
    if (w == downloads_.end() || !w->Tip.Due(GetTickCount())) return;
    SetTrayTip(DownloadTipText(ToNarrow(request->Url().LocalFileName()), request->ContentLengthKnown(),
                               contentLength, received));
}

void TfrmMain::DownloadEnded(TMFHttpGet* request)
{
    ForgetDownload(request);
    if (downloads_.empty()) SetTrayTip(ProductCaption);
    const std::wstring& file = request->Url().LocalFileName();
    const TDownloadOutcome& outcome = request->Outcome();
    const TMovieInfo movie = outcome.FileCreated ? CheckMovieFile(file) : TMovieInfo{};
    std::string report = DownloadReport(outcome, ToNarrow(file), movie);
    if (report.empty()) {
        MovieSaved(file, movie);
        return;
    }
    // Shown once the worker has gone: the worker waits while this handler runs.
    saveReports_.push_back(std::move(report));
    PostMessageA(Handle(), WM_SAVEREPORT, 0, 0);
}

void TfrmMain::ShowSaveReports()
{
    std::vector<std::string> reports;
    reports.swap(saveReports_);  // a box pumps messages: a report arriving meanwhile waits for its own message
    for (const std::string& text : reports) ShowMessage(text);
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
    // The cached copy never overwrites a file. The beep says a movie was
    // saved; a refused or failed copy, or a copy that is no whole movie (an
    // error page the browser cached under the movie's address, an entry the
    // browser never finished), says so instead.
    // The cache names its file in the system's code page (WinInet's A calls).
    const std::wstring source = ToWide(entry.LocalFileName, CP_ACP);
    const std::wstring& target = SaveDialog1->FileName;
    if (!CopyFileW(source.c_str(), target.c_str(), TRUE)) {
        ShowMessage(CopyFailureText(GetLastError()));
        return;
    }
    const TMovieInfo movie = CheckMovieFile(target);
    const std::string report = CachedFileReport(ToNarrow(target), movie);
    if (report.empty())
        MovieSaved(target, movie);
    else
        ShowMessage(report);
}

void TfrmMain::MovieSaved(const std::wstring& file, const TMovieInfo& movie)
{
    Beep(kSavedBeep);
    ShowTrayBalloon(SavedMovieBalloon(ToNarrow(file), movie, BalloonTitleMax, BalloonTextMax));
}
