#pragma once
// What the user learns when a save has ended: whether the file that was kept is
// a whole Flash movie and, for a download, how the download ended; the balloon
// that describes a saved movie; and the notification-area tip while a download
// runs. Texts are in the program's voice (Chinese, code page 936 in the Windows
// build).
#include "MovieCheck.h"

#include <cstdint>
#include <string>
#include <string_view>

// Empty for a whole movie; otherwise what is wrong with the file, saying what
// its header declared and what is there (no final full stop).
std::string MovieStateText(const TMovieInfo& movie);

// How the worker of a download ended.
enum class TDownloadEnd : uint8_t {
    Running,        // not ended yet
    EndOfData,      // the body came to its end
    Unreachable,    // the session, connection or request could not be made or sent
    Refused,        // 401 or 407 again after the credentials were sent
    NoContentType,  // the answer had no Content-Type header
    ReadFailed,     // a read of the body failed
    Stopped,        // the request's Stop, or a WM_QUIT posted to the worker
    BadAnswer,      // a status code or length that is not a number
    FileError,      // the target file could not be made or written
};

struct TDownloadOutcome {
    TDownloadEnd End = TDownloadEnd::Running;
    int Status = 0;             // the last status code read; 0 when none was
    uint32_t NetworkError = 0;  // WinInet's error code of the call that failed; 0 when none
    bool LengthKnown = false;   // the answer had a Content-Length
    int64_t ContentLength = 0;
    int64_t Received = 0;
    bool FileCreated = false;   // the target file was made (or emptied) for this download
    std::string ContentType;    // the answer's Content-Type; empty when it had none
};

// The end of data, with every announced byte.
bool DownloadComplete(const TDownloadOutcome& o);

// Empty for a complete 2xx answer whose file is a whole movie (the program
// beeps then); otherwise the text of the box that says what happened, naming
// the file that was kept (o.FileCreated), or saying that none was.
std::string DownloadReport(const TDownloadOutcome& o, const std::string& file, const TMovieInfo& movie);

// Why a download failed, in a few words for the whole-page grab's row and
// report (the same words the box names the end with); empty when it came to
// its end with every byte of a 2xx answer.
std::string DownloadFailureReason(const TDownloadOutcome& o);

// Empty for a whole movie copied out of the URL cache; otherwise the warning.
std::string CachedFileReport(const std::string& file, const TMovieInfo& movie);

// "Flash 9, 550 x 400, 24 帧/秒, 120 帧, 1.2 MB": what the header says, and the
// file's size; ", 声明的长度未知" after it when the declared length is no length.
std::string MovieSummary(const TMovieInfo& movie);

// The balloon after a good save: "已保存 NAME" over the summary, each cut to
// its field (less the terminating zero) between characters.
struct TBalloonText {
    std::string Title;
    std::string Text;
};
TBalloonText SavedMovieBalloon(std::string_view path, const TMovieInfo& movie, size_t titleMax = 63,
                               size_t textMax = 255);

// The balloon after a complete save: "已完整保存 NAME" (the folder) over
// "N 个文件" with ", M 个没有找到" and ", 已达上限" when so, then the movie's summary.
TBalloonText SavedBundleBalloon(std::string_view folder, size_t files, size_t missing, bool cut,
                                const TMovieInfo& movie, size_t titleMax = 63, size_t textMax = 255);

// "下载 NAME: P%" (or the bytes received when the length is not known), NAME
// the file name without its folder, shortened to fit maxBytes (the tip field
// less its terminating zero) and never cut inside a double-byte character.
std::string DownloadTipText(std::string_view path, bool lengthKnown, int64_t contentLength, int64_t received,
                            size_t maxBytes = 63);

// Lets through the first report and then at most one per interval.
class TProgressThrottle {
public:
    explicit TProgressThrottle(uint32_t intervalMs = 250) : intervalMs_(intervalMs) {}
    bool Due(uint32_t nowMs);

private:
    uint32_t intervalMs_;
    uint32_t lastMs_ = 0;
    bool any_ = false;
};
