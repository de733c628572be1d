#pragma once
// Saves a movie complete: a folder holding the movie, every file it loads
// while it plays that the browser's cache holds (or, with downloads allowed,
// that the server still gives), each at its address's path (BundleLayout.h),
// the page that embeds it as the original page did, a page at the folder's
// root that leads there, and a record of where it all came from
// (BundleRecord.h).
//
// The files are found from the movie itself (MovieReferences.h) and from the
// page's FlashVars; each movie that joins is read the same way, to a bounded
// depth. One file is taken per message to the saver's own window, so the user
// interface keeps answering; downloads run through the single save's request
// object and worker.
#include "BundleLayout.h"
#include "BundleRecord.h"
#include "MovieReferences.h"
#include "UtilWindow.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class TMFHttpGet;

// What a complete save starts from; addresses in the system's code page, as
// the page inspection reads them.
struct TBundleSource {
    std::string PageAddress;   // the embedding document's own address
    std::string PageBase;      // what its addresses resolve against (its BASE element's, else its own)
    std::string MovieAddress;  // absolute
    std::string Markup;        // the element's outer HTML; empty when the page gave none
};

struct TBundleOptions {
    bool DownloadMovie = false;       // the movie itself when the cache lacks it
    bool DownloadReferences = false;  // the files it loads that the cache lacks
    size_t MaxFiles = 1000;
    uint64_t MaxBytes = uint64_t{1} << 30;
    int MaxMovieDepth = 8;  // movies loaded by movies loaded by ... the first
};

// A cached copy of one address.
struct TCachedFile {
    std::string File;     // the cache's file, in the system's code page
    std::string Headers;  // the response headers kept with it
};
// The URL cache's entries by CachedAddress; read once per save.
using TCacheIndex = std::map<std::string, TCachedFile>;
TCacheIndex ReadCacheIndex();

class TBundleSaver {
public:
    // parent: the folder the bundle's folder is made in; name: the folder's
    // name (UTF-16), " (2)", " (3)", ... when it is taken; leadingPage: the
    // root page's name.
    TBundleSaver(TBundleSource source, std::wstring parent, std::wstring name, std::wstring leadingPage,
                 TBundleOptions options);
    // A download still running is stopped; no event is raised any more.
    ~TBundleSaver();
    TBundleSaver(const TBundleSaver&) = delete;
    TBundleSaver& operator=(const TBundleSaver&) = delete;

    void Start();
    void Cancel() { cancelled_ = true; }
    bool Running() const { return running_; }

    // The bundle's folder once made; empty when it could not be.
    const std::wstring& Folder() const { return folder_; }
    // The leading page, in the folder.
    std::wstring LeadingPage() const;
    const TBundleRecord& Record() const { return record_; }
    // The movie itself is in the folder.
    bool MovieSaved() const { return !record_.Files.empty() && record_.Files.front().SeenIn.empty(); }
    // Why the save failed before any file, in the program's words; empty otherwise.
    const std::string& Failure() const { return failure_; }
    size_t Pending() const { return pending_.size(); }

    std::function<void()> OnProgress;  // a file joined or was found missing
    std::function<void()> OnDone;      // every file was tried, or the save stopped

private:
    struct TWanted {
        TMovieReference Reference;             // what named it; empty Text for the movie itself
        std::vector<TReferenceTarget> Targets;  // in the order they are tried
        std::string SeenIn;                   // the movie or page that named it
        int Depth = 0;                        // of the movie that named it
    };

    void Post();
    void Step();
    void TakeNext();
    bool MakeFolder();
    void Want(TWanted wanted);
    void WantReferences(const std::vector<TMovieReference>& references, const std::string& seenIn, int depth);
    bool FromCache(const TWanted& wanted, const TReferenceTarget& target);
    void StartDownload(TWanted wanted, const TReferenceTarget& target);
    void DownloadEnded(TMFHttpGet* request);
    void Joined(const TWanted& wanted, const std::string& address, const std::string& path,
                std::vector<uint8_t> bytes, bool fromCache, std::string contentType);
    void Missing(const TWanted& wanted, std::string address, std::string reason);
    bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
    std::wstring FullPath(const std::string& path) const;
    void Cut(const std::string& text);
    void Finish();
    void WritePages();
    void Done();

    TBundleSource source_;
    std::wstring parent_, name_, leadingPage_;
    TBundleOptions options_;
    TBundleLayout layout_;
    TCacheIndex cache_;  // read at Start
    std::string playerBase_;                // the movie's references resolve against this
    std::string firstPath_;                 // the movie's own path in the folder
    std::deque<TWanted> pending_;
    std::set<std::string> known_;           // CachedAddress of each address taken or tried
    std::map<std::string, std::string> paths_;  // CachedAddress -> path of each file taken
    TWanted downloading_;
    std::string downloadAddress_, downloadPath_;
    uint64_t bytes_ = 0;
    bool filesCut_ = false, bytesCut_ = false, depthCut_ = false;
    std::wstring folder_;
    std::string failure_;
    TBundleRecord record_;
    bool running_ = false;
    bool cancelled_ = false;
    TMFHttpGet* request_ = nullptr;  // not owned: it frees itself after its end
    TUtilWindow poster_;
};
