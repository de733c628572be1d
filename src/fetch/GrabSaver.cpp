#include "GrabSaver.h"

#include "HTTPGet.h"
#include "Handles.h"
#include "MovieFile.h"
#include "MovieFileName.h"
#include "SaveReport.h"
#include "TextRules.h"
#include "WideText.h"

#include <windows.h>

namespace {

constexpr UINT kContinue = WM_APP + 1;  // the next movie, outside any handler of the last one
constexpr UINT kSave = WM_APP + 2;      // the current movie, once its row says it is being saved
constexpr UINT kBundleEnded = WM_APP + 3;  // the current movie's complete save has ended

// The folder and the files are wide, so a folder whose name code page 936
// cannot hold serves as well as any; the names made from addresses are 936.
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TGrabSaver::TGrabSaver(std::vector<TGrabItem> items, std::wstring folder)
    : folder_(std::move(folder)),
      poster_([this](UINT msg, WPARAM, LPARAM, LRESULT&) {
          if (msg == kContinue)
              Continue();
          else if (msg == kSave)
              SaveCurrent();
          else if (msg == kBundleEnded)
              BundleEnded();
          else
              return false;
          return true;
      })
{
    if (!folder_.empty() && folder_.back() != L'\\' && folder_.back() != L'/') folder_ += L'\\';
    for (TGrabItem& item : items) jobs_.emplace_back().Item = std::move(item);
}

TGrabSaver::~TGrabSaver()
{
    if (!request_) return;
    request_->OnProgress = nullptr;
    request_->OnDone = nullptr;
    request_->Stop();
}

void TGrabSaver::SetComplete(bool complete, bool downloadReferences)
{
    complete_ = complete;
    downloadReferences_ = downloadReferences;
}

void TGrabSaver::Start()
{
    if (running_) return;
    running_ = true;
    Post(kContinue);
}

void TGrabSaver::Cancel()
{
    cancelled_ = true;
    if (bundle_) bundle_->Cancel();  // it keeps what it has and writes its pages
}

void TGrabSaver::Post(UINT step) { PostMessageA(poster_.Handle(), step, 0, 0); }

void TGrabSaver::Changed(size_t job)
{
    if (OnJob) OnJob(job);
}

// Each step below ends with at most one event and touches nothing after it:
// a handler may destroy the saver (its window closing), and the steps still
// to come are messages to the saver's own window, which go with it.
void TGrabSaver::Continue()
{
    if (next_ >= jobs_.size()) {
        running_ = false;
        if (OnDone) OnDone();
        return;
    }
    const size_t job = next_++;
    if (cancelled_) {
        jobs_[job].State = TGrabState::Cancelled;
        Post(kContinue);
        Changed(job);
        return;
    }
    current_ = job;
    jobs_[job].State = TGrabState::Saving;
    Post(kSave);
    Changed(job);
}

void TGrabSaver::SaveCurrent()
{
    TGrabJob& job = jobs_[current_];
    if (complete_) {
        StartBundle(job);
        return;
    }
    job.File = ReserveFile(job.Item.Address);
    if (job.File.empty()) {
        job.State = TGrabState::Failed;
        job.Reason = "无法在文件夹中建立文件";
        Finish(job);
        return;
    }
    if (job.Item.Cached() && CopyFromCache(job)) {
        Finish(job);
        return;
    }
    StartDownload(job);
}

// The name is taken at once (an empty file), so no later movie of the same
// name, nor anything else, is written over it.
std::wstring TGrabSaver::ReserveFile(const std::string& address)
{
    const std::string name = SafeMovieFileName(address);
    const auto taken = [this](const std::string& n) { return Exists(folder_ + ToWide(n)); };
    // A name found free may be taken before it is made: the search goes on
    // from the next number, and ends where the numbers end.
    for (int number = 1;; ++number) {
        const auto unique = UniqueFileName(name, taken, number);
        if (!unique) return {};
        const std::wstring file = folder_ + ToWide(*unique);
        const TKernelHandle h(
            CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (h) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
}

// The folder is named after the movie's file, without ".swf"; the whole-page
// grab downloads a movie the cache lacks, as it does saving movies alone.
void TGrabSaver::StartBundle(TGrabJob& job)
{
    std::string name = SafeMovieFileName(job.Item.Address);
    if (EndsWithNoCase(name, ".swf")) name.resize(name.size() - 4);
    const TMovieOrigin& origin = job.Item.Origin;
    TBundleSource source{origin.PageAddress, origin.PageBase, job.Item.Address, origin.Markup};
    if (source.PageBase.empty()) source.PageBase = source.PageAddress;
    TBundleOptions options;
    options.DownloadMovie = true;
    options.DownloadReferences = downloadReferences_;
    bundle_ = std::make_unique<TBundleSaver>(std::move(source), folder_, ToWide(name), ToWide(name + ".htm"), options);
    bundle_->OnDone = [this] { Post(kBundleEnded); };
    bundle_->Start();
}

void TGrabSaver::BundleEnded()
{
    const std::unique_ptr<TBundleSaver> bundle = std::move(bundle_);
    TGrabJob& job = jobs_[current_];
    if (bundle->MovieSaved()) {
        const TBundleFile& movie = bundle->Record().Files.front();
        job.State = TGrabState::Saved;
        job.File = bundle->LeadingPage();
        job.FromCache = movie.FromCache;
        job.MovieProblem = MovieStateText(movie.Movie.value_or(TMovieInfo{}));
    } else {
        job.State = TGrabState::Failed;
        job.Reason = bundle->Failure().empty() ? "没有找到" : bundle->Failure();
    }
    Post(kContinue);
    Changed(current_);
}

bool TGrabSaver::CopyFromCache(TGrabJob& job)
{
    // Over the empty file this saver made itself a moment ago.
    // The cache names its file in the system's code page (WinInet's A calls).
    if (!CopyFileW(ToWide(job.Item.CacheFile, CP_ACP).c_str(), job.File.c_str(), FALSE)) return false;
    job.FromCache = true;
    job.State = TGrabState::Saved;
    return true;
}

void TGrabSaver::StartDownload(TGrabJob& job)
{
    auto request = std::make_unique<TMFHttpGet>();
    if (!request->Url().Crack(job.Item.Address, job.File)) {
        job.State = TGrabState::Failed;
        job.Reason = "地址无法识别";
        Finish(job);
        return;
    }
    // As the single save asks for it: the system's proxy, credentials after 401 and 407.
    request->Mode = 2;
    request->PumpMessages = true;
    request->Pauses = false;  // the user-interface thread keeps answering, and the next movie starts at once
    request->OnProgress = [this](TMFHttpGet* r, int length, int received) {
        DownloadProgress(length, received, r->ContentLengthKnown());
    };
    request->OnDone = [this](TMFHttpGet* r) { DownloadEnded(r); };
    // Known before Start: its pump can run the end handler, or the saver's destructor.
    request_ = request.get();
    try {
        request->Start();
    } catch (...) {
        // No worker was made (Start raises only before it makes one), so
        // nothing ran meanwhile; the request goes with this scope.
        request_ = nullptr;
        job.State = TGrabState::Failed;
        job.Reason = "无法开始下载";
        Finish(job);
        return;
    }
    // The worker reads the request until it ends; the request frees itself then.
    // Nothing of the saver is touched after Start: its pump may have destroyed it.
    request.release()->FreeWhenDone();
}

void TGrabSaver::DownloadProgress(int contentLength, int received, bool lengthKnown)
{
    TGrabJob& job = jobs_[current_];
    job.Received = received;
    job.Percent = lengthKnown && contentLength > 0 ? static_cast<int>(int64_t{received} * 100 / contentLength) : -1;
    Changed(current_);
}

void TGrabSaver::DownloadEnded(TMFHttpGet* request)
{
    request_ = nullptr;
    TGrabJob& job = jobs_[current_];
    job.Reason = DownloadFailureReason(request->Outcome());
    job.State = job.Reason.empty() ? TGrabState::Saved : TGrabState::Failed;
    if (job.State == TGrabState::Failed) DeleteFileW(job.File.c_str());  // only what this download wrote
    Finish(job);
}

void TGrabSaver::Finish(TGrabJob& job)
{
    if (job.State == TGrabState::Saved) job.MovieProblem = MovieStateText(CheckMovieFile(job.File));
    if (job.State == TGrabState::Failed && !job.File.empty() && Exists(job.File)) {
        // The empty reservation of a movie that failed before any byte was written.
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExW(job.File.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow == 0 &&
            data.nFileSizeHigh == 0)
            DeleteFileW(job.File.c_str());
    }
    Post(kContinue);
    Changed(static_cast<size_t>(&job - jobs_.data()));
}

TGrabSummary TGrabSaver::Summary() const
{
    TGrabSummary s;
    for (const TGrabJob& job : jobs_) {
        switch (job.State) {
        case TGrabState::Saved:
            ++s.Saved;
            if (job.FromCache) ++s.FromCache;
            if (!job.MovieProblem.empty()) s.Unsound.emplace_back(ToNarrow(job.File), job.MovieProblem);
            break;
        case TGrabState::Failed: s.Failures.emplace_back(job.Item.Address, job.Reason); break;
        case TGrabState::Cancelled:
        case TGrabState::Waiting: ++s.NotStarted; break;
        case TGrabState::Saving: break;
        }
    }
    return s;
}
