#include "GrabSaver.h"

#include "HTTPGet.h"
#include "Handles.h"
#include "MovieFile.h"
#include "SaveReport.h"
#include "WideText.h"

#include <windows.h>

namespace {

constexpr UINT kContinue = WM_APP + 1;

// The folder and the files are wide, so a folder whose name code page 936
// cannot hold serves as well as any; the names made from addresses are 936.
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TGrabSaver::TGrabSaver(std::vector<TGrabItem> items, std::wstring folder)
    : folder_(std::move(folder)),
      poster_([this](UINT msg, WPARAM, LPARAM, LRESULT&) {
          if (msg != kContinue) return false;
          Continue();
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

void TGrabSaver::Start()
{
    if (running_) return;
    running_ = true;
    PostMessageA(poster_.Handle(), kContinue, 0, 0);
}

void TGrabSaver::Cancel() { cancelled_ = true; }

void TGrabSaver::Changed(size_t job)
{
    if (OnJob) OnJob(job);
}

void TGrabSaver::Continue()
{
    try {
        SaveNext();
    } catch (...) {
        // a movie that could not even be started fails; the rest go on
        if (current_ < jobs_.size() && jobs_[current_].State == TGrabState::Saving) {
            jobs_[current_].State = TGrabState::Failed;
            jobs_[current_].Reason = "无法开始下载";
            Changed(current_);
        }
        PostMessageA(poster_.Handle(), kContinue, 0, 0);
    }
}

void TGrabSaver::SaveNext()
{
    if (next_ >= jobs_.size() || cancelled_) {
        for (size_t i = next_; i < jobs_.size(); ++i) {
            jobs_[i].State = TGrabState::Cancelled;
            Changed(i);
        }
        next_ = jobs_.size();
        running_ = false;
        if (OnDone) OnDone();
        return;
    }
    current_ = next_++;
    TGrabJob& job = jobs_[current_];
    job.State = TGrabState::Saving;
    Changed(current_);
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
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const auto taken = [this](const std::string& n) { return Exists(folder_ + ToWide(n)); };
        const std::wstring file = folder_ + ToWide(UniqueFileName(name, taken));
        const TKernelHandle h(
            CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (h) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
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
    request_ = request.get();
    request->Start();
    // The worker reads the request until it ends; the request frees itself then.
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
    Changed(static_cast<size_t>(&job - jobs_.data()));
    PostMessageA(poster_.Handle(), kContinue, 0, 0);
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
