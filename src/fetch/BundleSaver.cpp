#include "BundleSaver.h"

#include "CacheVerdict.h"
#include "EmbedMarkup.h"
#include "HTTPGet.h"
#include "Handles.h"
#include "IECache.h"
#include "MovieFileName.h"
#include "MovieUrl.h"
#include "Product.h"
#include "SaveReport.h"
#include "Sha256.h"
#include "Version.h"
#include "WideText.h"

#include <windows.h>

#include <ctime>

namespace {

constexpr UINT kStep = WM_APP + 1;  // the next file, outside any handler of the last one

std::string Utf8(const std::string& text) { return ToNarrow(ToWide(text), CP_UTF8); }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The whole file, when it has at most limit bytes.
std::optional<std::vector<uint8_t>> ReadWhole(const std::wstring& name, uint64_t limit, bool& tooLong)
{
    tooLong = false;
    const TKernelHandle h(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.get(), &size) || size.QuadPart < 0) return std::nullopt;
    if (static_cast<uint64_t>(size.QuadPart) > limit) {
        tooLong = true;
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    size_t have = 0;
    while (have < bytes.size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - have, 1u << 20));
        if (!ReadFile(h.get(), bytes.data() + have, want, &read, nullptr)) return std::nullopt;
        if (read == 0) break;  // shorter than it was a moment ago
        have += read;
    }
    bytes.resize(have);
    return bytes;
}

bool BeginsAsMovie(const std::vector<uint8_t>& b)
{
    return b.size() >= 8 && (b[0] == 'F' || b[0] == 'C' || b[0] == 'Z') && b[1] == 'W' && b[2] == 'S';
}

std::string UtcNow()
{
    SYSTEMTIME t{};
    GetSystemTime(&t);
    char text[32];
    wsprintfA(text, "%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

// The path of an address on the page's server, %XX decoded, without its leading "/".
std::string ServerPath(std::string_view url)
{
    std::string_view rest = WithoutQuery(url);
    const size_t scheme = rest.find("://");
    if (scheme == std::string_view::npos) return {};
    const size_t slash = rest.find('/', scheme + 3);
    if (slash == std::string_view::npos) return {};
    const std::string path(rest.substr(slash + 1));
    return PercentDecoded(path).value_or(path);
}

// The address up to the last "/" of its path.
std::string UrlFolder(std::string_view url)
{
    const std::string_view plain = WithoutQuery(url);
    return std::string(plain.substr(0, plain.rfind('/') + 1));
}

// The references of the page's FlashVars and of the movie address's query.
std::vector<TMovieReference> PageReferences(const std::optional<TEmbedMarkup>& markup, std::string_view movie)
{
    std::vector<TMovieReference> refs;
    if (markup) refs = FlashVarsReferences(FlashVarsOf(*markup), "FlashVars");
    const std::string_view plain = WithoutQuery(movie);
    if (plain.size() < movie.size() && movie[plain.size()] == '?') {
        std::string_view query = movie.substr(plain.size() + 1);
        query = query.substr(0, query.find('#'));
        for (TMovieReference& r : FlashVarsReferences(query, "query")) refs.push_back(std::move(r));
    }
    return refs;
}

}  // namespace

TCacheIndex ReadCacheIndex()
{
    TCacheIndex index;
    TIECache cache(nullptr);
    cache.SetFilterOptions(FilterOptionBit(TFilterOption::NORMAL_ENTRY) | FilterOptionBit(TFilterOption::STICKY_ENTRY));
    cache.SetSearchPattern(TSearchPattern::spUrl);
    cache.OnEntry = [&](TObject*, bool&) {
        const TEntryInfo& e = cache.EntryInfo();
        // The first entry of an address wins, as the whole-page grab takes it.
        index.try_emplace(CachedAddress(e.SourceUrlName), TCachedFile{e.LocalFileName, e.HeaderInfo});
    };
    cache.EnumerateEntries(0);
    return index;
}

TBundleSaver::TBundleSaver(TBundleSource source, std::wstring parent, std::wstring name, std::wstring leadingPage,
                           TBundleOptions options)
    : source_(std::move(source)),
      parent_(std::move(parent)),
      name_(std::move(name)),
      leadingPage_(std::move(leadingPage)),
      options_(options),
      layout_(source_.PageAddress),
      poster_([this](UINT msg, WPARAM, LPARAM, LRESULT&) {
          if (msg != kStep) return false;
          Step();
          return true;
      })
{
    if (!parent_.empty() && parent_.back() != L'\\' && parent_.back() != L'/') parent_ += L'\\';
}

TBundleSaver::~TBundleSaver()
{
    if (!request_) return;
    request_->OnProgress = nullptr;
    request_->OnDone = nullptr;
    request_->Stop();
}

std::wstring TBundleSaver::LeadingPage() const { return folder_.empty() ? std::wstring() : folder_ + leadingPage_; }

void TBundleSaver::Post() { PostMessageA(poster_.Handle(), kStep, 0, 0); }

void TBundleSaver::Start()
{
    if (running_) return;
    running_ = true;
    cache_ = ReadCacheIndex();
    record_.PageAddress = Utf8(source_.PageAddress);
    record_.MovieAddress = Utf8(source_.MovieAddress);
    record_.SavedUtc = UtcNow();
    record_.Program = std::string(ProductName) + " " + VENDRAKE_VERSION_TEXT;
    record_.PagePath = layout_.PagePath();
    if (!MakeFolder()) {
        failure_ = "无法建立文件夹";
        Post();
        return;
    }
    const auto markup = ParseEmbedMarkup(source_.Markup);
    const std::string base = markup ? BaseOf(*markup) : std::string();
    playerBase_ = base.empty() ? source_.PageBase : ResolveMovieURL(source_.PageBase, base);
    if (playerBase_.empty()) playerBase_ = source_.PageBase;
    TWanted movie;
    movie.Targets.push_back({CachedAddress(source_.MovieAddress), true});
    Want(std::move(movie));
    WantReferences(PageReferences(markup, source_.MovieAddress), source_.PageAddress, 0);
    Post();
}

// The folder is made here and now under the first free name: nothing the
// user had is ever written into.
bool TBundleSaver::MakeFolder()
{
    const std::string wanted = ToNarrow(name_, CP_UTF8);
    const auto taken = [this](const std::string& n) { return Exists(parent_ + ToWide(n, CP_UTF8)); };
    for (int number = 1;; ++number) {
        const auto unique = UniqueFileName(wanted, taken, number);
        if (!unique) return false;
        const std::wstring folder = parent_ + ToWide(*unique, CP_UTF8);
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            folder_ = folder + L'\\';
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
}

void TBundleSaver::Want(TWanted wanted)
{
    if (wanted.Targets.empty()) return;
    pending_.push_back(std::move(wanted));
}

void TBundleSaver::WantReferences(const std::vector<TMovieReference>& references, const std::string& seenIn,
                                  int depth)
{
    for (const TMovieReference& r : references) {
        TWanted w;
        w.Reference = r;
        w.Targets = ReferenceTargets(r, playerBase_, seenIn == source_.PageAddress ? source_.MovieAddress : seenIn);
        w.SeenIn = seenIn;
        w.Depth = depth;
        Want(std::move(w));
    }
}

// Each step ends with at most one event and touches nothing after it: a
// handler may destroy the saver.
void TBundleSaver::Step()
{
    if (!failure_.empty() || cancelled_ || pending_.empty()) {
        Finish();
        return;
    }
    TakeNext();
}

void TBundleSaver::TakeNext()
{
    TWanted wanted = std::move(pending_.front());
    pending_.pop_front();
    // Named before, by this movie or another: it is in the folder already.
    for (const TReferenceTarget& t : wanted.Targets)
        if (paths_.contains(t.Address)) {
            Post();
            return;
        }
    if (record_.Files.size() >= options_.MaxFiles) {
        filesCut_ = true;
        pending_.clear();
        Post();
        return;
    }
    for (const TReferenceTarget& t : wanted.Targets) {
        if (known_.contains(t.Address) || !cache_.contains(t.Address)) continue;
        known_.insert(t.Address);
        if (FromCache(wanted, t)) {
            Post();
            if (OnProgress) OnProgress();
            return;
        }
    }
    const TReferenceTarget& first = wanted.Targets.front();
    if (known_.contains(first.Address)) {  // tried before and recorded then
        Post();
        return;
    }
    const bool download = wanted.Reference.Text.empty() ? options_.DownloadMovie : options_.DownloadReferences;
    if (download && first.PlayerRule) {
        StartDownload(std::move(wanted), first);
        return;
    }
    for (const TReferenceTarget& t : wanted.Targets) known_.insert(t.Address);
    Missing(wanted, first.Address, download ? "无法下载" : "缓存中没有");
    Post();
    if (OnProgress) OnProgress();
}

bool TBundleSaver::FromCache(const TWanted& wanted, const TReferenceTarget& target)
{
    const auto path = layout_.PathOf(Utf8(target.Address));
    if (!path) return false;
    const TCachedFile& cached = cache_.at(target.Address);
    bool tooLong = false;
    auto bytes = ReadWhole(ToWide(cached.File, CP_ACP), options_.MaxBytes - bytes_, tooLong);
    if (!bytes) {
        if (tooLong) bytesCut_ = true;
        Missing(wanted, target.Address, tooLong ? "超过1 GB的上限" : "无法读取缓存中的文件");
        return true;
    }
    Joined(wanted, target.Address, *path, std::move(*bytes), true, HeaderContentType(cached.Headers));
    return true;
}

void TBundleSaver::StartDownload(TWanted wanted, const TReferenceTarget& target)
{
    known_.insert(target.Address);
    const auto path = layout_.PathOf(Utf8(target.Address));
    const std::wstring file = path ? FullPath(*path) : std::wstring();
    auto request = std::make_unique<TMFHttpGet>();
    if (file.empty() || !request->Url().Crack(target.Address, file)) {
        Missing(wanted, target.Address, "地址无法识别");
        Post();
        return;
    }
    // As the single save asks for it: the system's proxy, credentials after 401 and 407.
    request->Mode = 2;
    request->PumpMessages = true;
    request->Pauses = false;
    request->OnDone = [this](TMFHttpGet* r) { DownloadEnded(r); };
    downloading_ = std::move(wanted);
    downloadAddress_ = target.Address;
    downloadPath_ = *path;
    request_ = request.get();
    try {
        request->Start();
    } catch (...) {
        request_ = nullptr;  // no worker was made; the request goes with this scope
        Missing(downloading_, downloadAddress_, "无法开始下载");
        Post();
        return;
    }
    // Nothing of the saver is touched after Start: its pump may have destroyed it.
    request.release()->FreeWhenDone();
}

void TBundleSaver::DownloadEnded(TMFHttpGet* request)
{
    request_ = nullptr;
    const TDownloadOutcome& outcome = request->Outcome();
    const std::wstring file = FullPath(downloadPath_);
    std::string reason = DownloadFailureReason(outcome);
    bool tooLong = false;
    std::optional<std::vector<uint8_t>> bytes;
    if (reason.empty()) bytes = ReadWhole(file, options_.MaxBytes - bytes_, tooLong);
    if (!bytes) {
        if (outcome.FileCreated) DeleteFileW(file.c_str());  // only what this download wrote
        if (tooLong) bytesCut_ = true;
        Missing(downloading_, downloadAddress_,
                !reason.empty() ? reason : tooLong ? "超过1 GB的上限" : "无法读取下载的文件");
    } else {
        Joined(downloading_, downloadAddress_, downloadPath_, std::move(*bytes), false, outcome.ContentType);
    }
    Post();
    if (OnProgress) OnProgress();
}

void TBundleSaver::Joined(const TWanted& wanted, const std::string& address, const std::string& path,
                          std::vector<uint8_t> bytes, bool fromCache, std::string contentType)
{
    if (!WriteFile(path, bytes)) {
        Missing(wanted, address, "无法在文件夹中建立文件");
        return;
    }
    TBundleFile f;
    f.Address = Utf8(address);
    f.Path = path;
    f.FromCache = fromCache;
    f.Size = bytes.size();
    f.Sha256 = Sha256Hex(bytes);
    f.ContentType = Utf8(contentType);
    f.SeenIn = Utf8(wanted.SeenIn);
    f.Where = wanted.Reference.Where;
    bytes_ += bytes.size();
    if (wanted.Reference.Text.empty()) firstPath_ = path;
    if (BeginsAsMovie(bytes)) {
        f.Movie = CheckMovie(bytes);
        if (wanted.Depth >= options_.MaxMovieDepth) {
            depthCut_ = true;
        } else if (auto movie = ExpandMovie(bytes)) {
            bytes.clear();  // the expanded copy is all the scan needs
            const TMovieScan scan = ScanMovieReferences(movie->Bytes);
            if (movie->Cut || scan.Cut) record_.Cuts.push_back(Utf8("只查看了动画的一部分：") + f.Path);
            WantReferences(scan.References, address, wanted.Depth + 1);
        }
    }
    paths_[address] = path;
    record_.Files.push_back(std::move(f));
}

void TBundleSaver::Missing(const TWanted& wanted, std::string address, std::string reason)
{
    if (wanted.Reference.Text.empty() && failure_.empty()) failure_ = reason;  // the movie itself
    TMissingFile m;
    m.Reference = Utf8(wanted.Reference.Text.empty() ? source_.MovieAddress : wanted.Reference.Text);
    m.Address = Utf8(address);
    m.SeenIn = Utf8(wanted.SeenIn);
    m.Where = wanted.Reference.Where;
    m.Reason = Utf8(reason);
    record_.Missing.push_back(std::move(m));
}

std::wstring TBundleSaver::FullPath(const std::string& path) const
{
    std::wstring full = folder_ + ToWide(path, CP_UTF8);
    for (wchar_t& c : full)
        if (c == L'/') c = L'\\';
    return full;
}

// Makes the folders along the path, then the file.
bool TBundleSaver::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    const std::wstring file = FullPath(path);
    for (size_t i = folder_.size(); i < file.size(); ++i)
        if (file[i] == L'\\') CreateDirectoryW(file.substr(0, i).c_str(), nullptr);
    const TKernelHandle h(
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD n = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(h.get(), bytes.data() + done, n, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

void TBundleSaver::Cut(const std::string& text) { record_.Cuts.push_back(Utf8(text)); }

void TBundleSaver::Finish()
{
    if (!running_) return;
    running_ = false;
    if (!pending_.empty() && !cancelled_) filesCut_ = true;
    if (filesCut_) Cut("文件数达到上限 " + std::to_string(options_.MaxFiles) + " 个，没有再取");
    if (bytesCut_) Cut("总大小达到上限 1 GB，没有再取");
    if (depthCut_) Cut("动画载入的动画超过 " + std::to_string(options_.MaxMovieDepth) + " 层，没有再查看");
    if (cancelled_) Cut("用户取消了保存");
    if (MovieSaved()) {
        WritePages();
    } else if (!folder_.empty()) {
        RemoveDirectoryW(folder_.c_str());  // nothing of it is of use; a folder holding files stays
    }
    if (OnDone) OnDone();
}

void TBundleSaver::WritePages()
{
    const std::string pagePath = record_.PagePath;
    // A BASE element that names another folder of the page's server names that
    // folder in the bundle too; the page's links are then relative to it, as
    // the browser reads them.
    const std::string pageFolder = UrlFolder(source_.PageAddress), baseFolder = UrlFolder(source_.PageBase);
    const bool ownBase = UrlHost(baseFolder) == UrlHost(source_.PageAddress) && baseFolder != pageFolder;
    const std::string linkFrom = ownBase ? ServerPath(baseFolder) + "_" : pagePath;  // a file in the links' folder
    // A folder on the page's server: the same folder in the bundle.
    const auto folderLink = [&](const std::string& address) -> std::optional<std::string> {
        if (address.empty() || address.back() != '/' || UrlHost(address) != UrlHost(source_.PageAddress))
            return std::nullopt;
        const std::string link = RelativeLink(linkFrom, ServerPath(address));
        return link.empty() ? std::string("./") : link;
    };
    const auto fileLink = [&](const std::string& address) -> std::optional<std::string> {
        const auto p = paths_.find(CachedAddress(address));
        if (p == paths_.end()) return folderLink(address);
        return RelativeLink(linkFrom, p->second);
    };
    // What the page wrote resolves against its base; a FlashVars value the
    // player resolves against its own base first.
    const auto relink = [&](std::string_view value) -> std::optional<std::string> {
        if (auto link = fileLink(ResolveMovieURL(playerBase_, value))) return link;
        return fileLink(ResolveMovieURL(source_.PageBase, value));
    };
    auto markup = ParseEmbedMarkup(source_.Markup);
    if (!markup) {
        const TBundleFile& movie = record_.Files.front();
        markup = DefaultEmbedMarkup(RelativeLink(linkFrom, firstPath_), movie.Movie ? movie.Movie->StageWidth() : 0,
                                    movie.Movie ? movie.Movie->StageHeight() : 0);
    }
    std::string base;
    if (ownBase) {
        base = RelativeLink(pagePath, ServerPath(baseFolder));
        if (base.empty()) base = "./";
    }
    const std::string title = Utf8(source_.MovieAddress);
    const auto write = [&](const std::string& path, const std::string& text) {
        return WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
    };
    write(pagePath, EmbeddingPageHtml(*markup, relink, title, base));
    const std::string leading = layout_.RootName(ToNarrow(leadingPage_, CP_UTF8));
    leadingPage_ = ToWide(leading, CP_UTF8);
    write(leading, LeadingPageHtml(RelativeLink(leading, pagePath), title));
    write(layout_.RootName("record.json"), BundleRecordJson(record_));
}
