#include "SaveReport.h"

#include "FetchRules.h"
#include "TextRules.h"

namespace {

constexpr const char* Eol = "\r\n";

// WinInet's error codes, as the worker records them.
constexpr uint32_t ErrorTimeout = 12002;
constexpr uint32_t ErrorNameNotResolved = 12007;
constexpr uint32_t ErrorCannotConnect = 12029;
constexpr uint32_t ErrorConnectionAborted = 12030;
constexpr uint32_t ErrorConnectionReset = 12031;
constexpr uint32_t ErrorInvalidServerResponse = 12152;
// Wine's WinInet hands on the socket's error for a failed read instead.
constexpr uint32_t SocketConnectionAborted = 10053;
constexpr uint32_t SocketConnectionReset = 10054;
constexpr uint32_t SocketTimedOut = 10060;
constexpr uint32_t SocketConnectionRefused = 10061;

std::string NetworkReason(uint32_t error)
{
    switch (error) {
    case ErrorTimeout:
    case SocketTimedOut: return "服务器在10秒内没有回应（超时）";
    case ErrorNameNotResolved: return "找不到服务器";
    case ErrorCannotConnect:
    case SocketConnectionRefused: return "无法连接到服务器";
    case ErrorConnectionAborted:
    case ErrorConnectionReset:
    case SocketConnectionAborted:
    case SocketConnectionReset: return "连接中断";
    case ErrorInvalidServerResponse: return "服务器的回答无法识别";
    case 0: return "网络错误";
    default: return "网络错误（错误码 " + std::to_string(error) + "）";
    }
}

std::string EndReason(const TDownloadOutcome& o)
{
    switch (o.End) {
    case TDownloadEnd::EndOfData: return "连接中断，只收到了一部分";  // fewer bytes than announced
    case TDownloadEnd::Unreachable:
    case TDownloadEnd::ReadFailed: return NetworkReason(o.NetworkError);
    case TDownloadEnd::Refused:
        return o.Status == 407 ? "代理服务器拒绝了用户名和密码（状态码 407）"
                               : "服务器拒绝了用户名和密码（状态码 " + std::to_string(o.Status) + "）";
    case TDownloadEnd::NoContentType: return "服务器的回答没有内容类型（Content-Type）";
    case TDownloadEnd::Stopped: return "下载被停止";
    case TDownloadEnd::BadAnswer: return "服务器的回答无法识别";
    case TDownloadEnd::FileError: return "无法写入文件";
    case TDownloadEnd::Running: break;
    }
    return "下载没有结束";
}

bool Successful(int status) { return status >= 200 && status < 300; }

std::string FileName(std::string_view path) { return std::string(path.substr(DirectoryPart(path).size())); }

std::string_view FitCharacters(std::string_view text, size_t maxBytes)
{
    return text.substr(0, CutAtCharacter936(text, maxBytes));
}

// prefix + name + suffix in maxBytes; a name too long loses its end to "...".
std::string FitName(const std::string& prefix, std::string_view name, const std::string& suffix, size_t maxBytes)
{
    const size_t room = maxBytes > prefix.size() + suffix.size() ? maxBytes - prefix.size() - suffix.size() : 0;
    if (name.size() <= room) return prefix + std::string(name) + suffix;
    const std::string_view kept = FitCharacters(name, room >= 3 ? room - 3 : 0);
    return std::string(FitCharacters(prefix + std::string(kept) + "..." + suffix, maxBytes));
}

std::string Bytes(uint64_t n) { return std::to_string(n) + " 字节"; }

std::string MovieName(const TMovieInfo& m)
{
    return m.HeaderRead ? "Flash " + std::to_string(m.Version) + " 动画" : std::string("Flash动画");
}

std::string CutShortText(const TMovieInfo& m)
{
    const std::string declared = "文件头声明";
    if (!m.HeaderRead) return "文件只有 " + Bytes(m.FileBytes) + "，连文件头都不完整";
    switch (m.Compression) {
    case TMovieCompression::None:
        if (!m.LengthKnown) return "文件头声明的长度未知，文件只有 " + Bytes(m.FileBytes) + "，舞台信息不完整";
        return declared + " " + Bytes(m.DeclaredLength) + "，实际只有 " + Bytes(m.MovieBytes);
    case TMovieCompression::Zlib:
        return declared + "解压后 " + Bytes(m.DeclaredLength) + "，压缩数据中断，只解压出 " + Bytes(m.MovieBytes);
    case TMovieCompression::Lzma: break;
    }
    return declared + "压缩数据 " + Bytes(m.DeclaredCompressed) + "，实际只有 " + Bytes(m.CompressedBytes);
}

std::string DamageText(const TMovieInfo& m)
{
    const std::string declared = "文件头声明解压后 " + Bytes(m.DeclaredLength);
    switch (m.Fault) {
    case TMovieFault::LengthBelowHeader: return "文件头声明的长度 " + Bytes(m.DeclaredLength) + "比文件头本身还短";
    case TMovieFault::EndsEarly: return "压缩数据在解压出 " + Bytes(m.MovieBytes) + "后就结束了，" + declared;
    case TMovieFault::LongerThanDeclared: return "解压后比" + declared + "更长";
    case TMovieFault::BrokenData:
    case TMovieFault::None: break;
    }
    return "压缩数据有错误，解压出 " + Bytes(m.MovieBytes) + "后无法继续（" + declared + "）";
}

// A frame rate in 8.8 fixed point, to two decimals at most: 24, 12.5, 29.97.
std::string FrameRateText(uint16_t rate)
{
    const unsigned hundredths = (rate * 100u + 128) / 256;
    std::string text = std::to_string(hundredths / 100);
    const unsigned fraction = hundredths % 100;
    if (fraction != 0) text += "." + std::to_string(fraction / 10) + (fraction % 10 ? std::to_string(fraction % 10) : "");
    return text;
}

// 512 字节, 3.5 KB, 1.2 MB: one decimal above a kilobyte.
std::string FileSizeText(uint64_t bytes)
{
    if (bytes < 1024) return Bytes(bytes);
    auto inUnits = [bytes](int shift, const char* unit) {
        const uint64_t tenths = (bytes * 10 + (uint64_t{1} << (shift - 1))) >> shift;
        return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " " + unit;
    };
    return bytes * 10 + 512 < (uint64_t{10240} << 10) ? inUnits(10, "KB") : inUnits(20, "MB");
}

}  // namespace

std::string MovieStateText(const TMovieInfo& m)
{
    switch (m.Verdict) {
    case TMovieVerdict::Complete: return {};
    case TMovieVerdict::NoMovie: return "文件不是Flash动画（开头不是FWS、CWS或ZWS）";
    case TMovieVerdict::CutShort: return MovieName(m) + "不完整：" + CutShortText(m);
    case TMovieVerdict::Damaged: break;
    }
    return MovieName(m) + "已损坏：" + DamageText(m);
}

bool DownloadComplete(const TDownloadOutcome& o)
{
    return o.End == TDownloadEnd::EndOfData && (!o.LengthKnown || o.Received >= o.ContentLength);
}

std::string DownloadReport(const TDownloadOutcome& o, const std::string& file, const TMovieInfo& movie)
{
    std::string text;
    const std::string status = o.Status > 0 ? "服务器返回的状态码是 " + std::to_string(o.Status) : "";
    const std::string state = MovieStateText(movie);
    if (DownloadComplete(o)) {
        if (Successful(o.Status) && state.empty()) return {};
        text = status + (Successful(o.Status) ? "。" : "，请求没有成功。") + Eol;
        if (!state.empty()) text += "下载的" + state + "。" + Eol;
        return text + "文件已保存为：" + file;
    }
    text = "下载没有完成：" + EndReason(o) + "。" + Eol;
    if (!status.empty() && o.End != TDownloadEnd::Refused) text += status + "。" + Eol;
    if (o.Received > 0) {
        text += "已收到 " + std::to_string(o.Received) + " 字节";
        if (o.LengthKnown) text += "，共 " + std::to_string(o.ContentLength) + " 字节";
        text += std::string("。") + Eol;
    }
    // What the part that arrived declares of the whole movie.
    if (o.FileCreated && movie.HeaderRead && !state.empty()) text += "下载的" + state + "。" + Eol;
    return text + (o.FileCreated ? "不完整的文件已保存为：" + file : std::string("没有保存文件。"));
}

std::string DownloadFailureReason(const TDownloadOutcome& o)
{
    if (o.End != TDownloadEnd::EndOfData) return EndReason(o);
    if (!Successful(o.Status)) return "服务器回答 " + std::to_string(o.Status);
    if (!DownloadComplete(o)) return "只收到 " + std::to_string(o.Received) + " / " + std::to_string(o.ContentLength) + " 字节";
    return {};
}

std::string CachedFileReport(const std::string& file, const TMovieInfo& movie)
{
    const std::string state = MovieStateText(movie);
    if (state.empty()) return {};
    return "从缓存中复制的" + state + "。" + Eol + "文件已保存为：" + file;
}

std::string MovieSummary(const TMovieInfo& m)
{
    std::string text = "Flash " + std::to_string(m.Version) + ", ";
    if (m.HasStage)
        text += std::to_string(m.StageWidth()) + " x " + std::to_string(m.StageHeight()) + ", " +
                FrameRateText(m.FrameRate) + " 帧/秒, " + std::to_string(m.FrameCount) + " 帧, ";
    text += FileSizeText(m.FileBytes);
    return m.LengthKnown ? text : text + ", 声明的长度未知";
}

TBalloonText SavedMovieBalloon(std::string_view path, const TMovieInfo& movie, size_t titleMax, size_t textMax)
{
    return {FitName("已保存 ", FileName(path), "", titleMax), std::string(FitCharacters(MovieSummary(movie), textMax))};
}

TBalloonText SavedBundleBalloon(std::string_view folder, size_t files, size_t missing, bool cut,
                                const TMovieInfo& movie, size_t titleMax, size_t textMax)
{
    std::string text = std::to_string(files) + " 个文件";
    if (missing) text += ", " + std::to_string(missing) + " 个没有找到";
    if (cut) text += ", 已达上限";
    text += "\r\n" + MovieSummary(movie);
    return {FitName("已完整保存 ", FileName(folder), "", titleMax), std::string(FitCharacters(text, textMax))};
}

std::string DownloadTipText(std::string_view path, bool lengthKnown, int64_t contentLength, int64_t received,
                            size_t maxBytes)
{
    std::string amount;
    if (lengthKnown && contentLength > 0) {
        const int64_t percent = received >= contentLength ? 100 : received * 100 / contentLength;
        amount = ": " + std::to_string(percent) + "%";
    } else {
        amount = ": " + std::to_string(received) + " 字节";
    }
    return FitName("下载 ", FileName(path), amount, maxBytes);
}

bool TProgressThrottle::Due(uint32_t nowMs)
{
    // Unsigned difference: right across the tick counter's wrap.
    if (any_ && nowMs - lastMs_ < intervalMs_) return false;
    any_ = true;
    lastMs_ = nowMs;
    return true;
}
