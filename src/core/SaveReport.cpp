#include "SaveReport.h"

#include "FetchRules.h"

namespace {

constexpr const char* Eol = "\r\n";
constexpr const char* NotFlashLine = "文件不是Flash动画（开头不是FWS、CWS或ZWS）。";

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

// The longest start of text within maxBytes that ends on a character boundary
// of code page 936 (a lead byte 0x81-0xFE takes the next byte with it).
std::string_view FitCharacters(std::string_view text, size_t maxBytes)
{
    size_t end = 0;
    while (end < text.size()) {
        const auto lead = static_cast<unsigned char>(text[end]);
        const size_t width = lead >= 0x81 && lead <= 0xFE && end + 1 < text.size() ? 2 : 1;
        if (end + width > maxBytes) break;
        end += width;
    }
    return text.substr(0, end);
}

}  // namespace

bool HasFlashSignature(std::string_view firstBytes)
{
    if (firstBytes.size() < 3 || firstBytes.substr(1, 2) != "WS") return false;
    return firstBytes[0] == 'F' || firstBytes[0] == 'C' || firstBytes[0] == 'Z';
}

bool DownloadComplete(const TDownloadOutcome& o)
{
    return o.End == TDownloadEnd::EndOfData && (!o.LengthKnown || o.Received >= o.ContentLength);
}

std::string DownloadReport(const TDownloadOutcome& o, const std::string& file, bool flashSignature)
{
    std::string text;
    const std::string status = o.Status > 0 ? "服务器返回的状态码是 " + std::to_string(o.Status) : "";
    if (DownloadComplete(o)) {
        if (Successful(o.Status) && flashSignature) return {};
        text = status + (Successful(o.Status) ? "。" : "，请求没有成功。") + Eol;
        if (!flashSignature) text += std::string("下载的") + NotFlashLine + Eol;
        return text + "文件已保存为：" + file;
    }
    text = "下载没有完成：" + EndReason(o) + "。" + Eol;
    if (!status.empty() && o.End != TDownloadEnd::Refused) text += status + "。" + Eol;
    if (o.Received > 0) {
        text += "已收到 " + std::to_string(o.Received) + " 字节";
        if (o.LengthKnown) text += "，共 " + std::to_string(o.ContentLength) + " 字节";
        text += std::string("。") + Eol;
    }
    return text + (o.FileCreated ? "不完整的文件已保存为：" + file : std::string("没有保存文件。"));
}

std::string CachedFileNotFlashReport(const std::string& file)
{
    return std::string("从缓存中复制的") + NotFlashLine + Eol + "文件已保存为：" + file;
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
    const std::string prefix = "下载 ";
    const std::string name = FileName(path);
    const size_t room = maxBytes > prefix.size() + amount.size() ? maxBytes - prefix.size() - amount.size() : 0;
    if (name.size() <= room) return prefix + name + amount;
    const std::string_view kept = FitCharacters(name, room >= 3 ? room - 3 : 0);
    return std::string(FitCharacters(prefix + std::string(kept) + "..." + amount, maxBytes));
}

bool TProgressThrottle::Due(uint32_t nowMs)
{
    // Unsigned difference: right across the tick counter's wrap.
    if (any_ && nowMs - lastMs_ < intervalMs_) return false;
    any_ = true;
    lastMs_ = nowMs;
    return true;
}
