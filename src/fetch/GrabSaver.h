#pragma once
// Saves the movies the user picked from a page into one folder, one at a time
// in the background: the cached copy when there is one, else a download
// through the request object and worker of the single save. A name already
// taken gets " (2)", " (3)", ...: no file is ever overwritten. Each movie's
// row learns waiting, percent, saved or failed with the reason; Cancel stops
// after the current movie and keeps what was saved. Saving complete, each
// movie gets a folder of its own instead, named after it, holding it with the
// files it loads (BundleSaver.h).
#include "BundleSaver.h"
#include "GrabList.h"
#include "GrabTexts.h"
#include "UtilWindow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TMFHttpGet;

enum class TGrabState { Waiting, Saving, Saved, Failed, Cancelled };

struct TGrabJob {
    TGrabItem Item;
    TGrabState State = TGrabState::Waiting;
    int Percent = -1;      // while saving: -1 when the length is not known
    int64_t Received = 0;  // while saving
    std::wstring File;     // the file written
    std::string Reason;    // why it failed
    bool FromCache = false;
    std::string MovieProblem;  // saved, but no whole movie: what its header says is wrong
};

class TGrabSaver {
public:
    TGrabSaver(std::vector<TGrabItem> items, std::wstring folder);
    // A download still running is stopped; no event is raised any more.
    ~TGrabSaver();
    TGrabSaver(const TGrabSaver&) = delete;
    TGrabSaver& operator=(const TGrabSaver&) = delete;

    // Before Start: each movie in a folder of its own with every file it loads;
    // downloadReferences: the files the cache lacks are downloaded.
    void SetComplete(bool complete, bool downloadReferences);
    void Start();
    void Cancel();
    bool Running() const { return running_; }
    bool Cancelled() const { return cancelled_; }
    const std::vector<TGrabJob>& Jobs() const { return jobs_; }
    TGrabSummary Summary() const;

    std::function<void(size_t job)> OnJob;  // a row's state or progress changed
    std::function<void()> OnDone;           // every movie was tried, or the user cancelled

private:
    void Post(UINT step);
    void Continue();
    void SaveCurrent();
    void Finish(TGrabJob& job);
    bool CopyFromCache(TGrabJob& job);
    void StartDownload(TGrabJob& job);
    void DownloadProgress(int contentLength, int received, bool lengthKnown);
    void DownloadEnded(TMFHttpGet* request);
    std::wstring ReserveFile(const std::string& address);
    void StartBundle(TGrabJob& job);
    void BundleEnded();
    void Changed(size_t job);

    std::vector<TGrabJob> jobs_;
    std::wstring folder_;  // with a trailing backslash
    size_t next_ = 0;
    size_t current_ = 0;
    bool running_ = false;
    bool cancelled_ = false;
    TMFHttpGet* request_ = nullptr;  // not owned: it frees itself after its end
    bool complete_ = false;
    bool downloadReferences_ = false;
    std::unique_ptr<TBundleSaver> bundle_;  // the current movie's, saving complete
    TUtilWindow poster_;
};
