#include "XFGetThread.h"

#include "FetchRules.h"
#include "ThCrkUrl.h"
#include "WideText.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace {

constexpr DWORD QueryLength = 2048;  // the query answers keep the buffer's last two bytes zero
constexpr DWORD TimeoutOptions[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                                    INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                                    INTERNET_OPTION_DATA_RECEIVE_TIMEOUT};
constexpr const char* FormHeader = "Content-Type: application/x-www-form-urlencoded";

// Windows hands a session's time-outs down to its connections and requests;
// Wine does not (a request of a session with a 10 s receive time-out waits for
// an answer for ever there), so every handle gets them. Results are ignored:
// not every handle kind takes every option.
void SetTimeouts(HINTERNET h)
{
    if (!h) return;  // a null handle would set the process-wide defaults
    for (DWORD option : TimeoutOptions) {
        DWORD value = XF_GetThread::TimeoutMs;
        InternetSetOptionA(h, option, &value, sizeof(value));
    }
}

bool DirectoryExists(const std::wstring& dir)
{
    const DWORD a = GetFileAttributesW(dir.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The path rules read code-page-936 bytes; a UTF-16 name goes to them as its
// shape: ASCII as it is, any other unit as one plain letter. No such unit is a
// delimiter, and every length in the answer is a length of the wide name too.
std::string PathShape(const std::wstring& name)
{
    std::string shape(name.size(), 'x');
    for (size_t i = 0; i < name.size(); ++i)
        if (name[i] < 0x80) shape[i] = static_cast<char>(name[i]);
    return shape;
}

void ForceDirectories(const std::wstring& dir)
{
    for (const std::string& shape : DirectoryChain(PathShape(dir))) {
        const std::wstring d = dir.substr(0, shape.size());
        if (DirectoryExists(d)) continue;
        if (!CreateDirectoryW(d.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create the folder " + ToNarrow(d));
    }
}

// The file keeps exactly the name the user gave, characters outside code page
// 936 included.
TKernelHandle CreateTargetFile(const std::wstring& name)
{
    const std::wstring dir = name.substr(0, DirectoryPart(PathShape(name)).size());
    if (!dir.empty() && !DirectoryExists(dir)) ForceDirectories(dir);
    TKernelHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error("cannot create the file " + ToNarrow(name));
    return file;
}

void WriteAll(HANDLE file, const char* data, DWORD length)
{
    DWORD written = 0;
    if (!WriteFile(file, data, length, &written, nullptr) || written != length)
        throw std::runtime_error("cannot write the file");
}

}  // namespace

XF_GetThread::XF_GetThread(const TCrackUrl* url, std::string userAgent, std::string referer, std::string userName,
                           std::string password, uint8_t accessType, std::string proxyHost, int proxyPort,
                           std::string proxyUser, std::string proxyPassword, TDoneEvent onDone,
                           TProgressEvent onProgress, TNotifyEvent onTerminate)
    : userAgent_(std::move(userAgent)),
      url_(url),
      referer_(std::move(referer)),
      userName_(std::move(userName)),
      password_(std::move(password)),
      onDone_(std::move(onDone)),
      accessType_(accessType),
      proxyHost_(std::move(proxyHost)),
      proxyPort_(proxyPort),
      proxyUser_(std::move(proxyUser)),
      proxyPassword_(std::move(proxyPassword)),
      onProgress_(std::move(onProgress))
{
    SetFreeOnTerminate(true);
    OnTerminate = std::move(onTerminate);
}

XF_GetThread::~XF_GetThread() { CloseHandles(); }

HINTERNET XF_GetThread::Slot(const TInternetHandle& h)
{
    TCriticalSection::TLock lock(handleLock_);
    return h.get();
}

void XF_GetThread::SetSlot(TInternetHandle& slot, HINTERNET h)
{
    TCriticalSection::TLock lock(handleLock_);
    slot.reset(h);
}

void XF_GetThread::CloseHandles()
{
    TInternetHandle request, connection, root;
    {
        TCriticalSection::TLock lock(handleLock_);
        request = std::move(request_);
        connection = std::move(connection_);
        root = std::move(root_);
    }
    request.reset();
    connection.reset();
    root.reset();
}

void XF_GetThread::Execute()
{
    // Whichever way Execute is left, the handles are closed last.
    struct TCloseLast {
        XF_GetThread* self;
        ~TCloseLast() { self->CloseHandles(); }
    } closeLast{this};
    done_ = false;
    // Give the thread its message queue now, so a WM_QUIT posted to stop it is
    // not lost before the send loop looks for it.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    try {
        if (!Download()) done_ = true;
    } catch (...) {
        if (end_ == TDownloadEnd::Running) end_ = TDownloadEnd::FileError;
        throw;  // kept by the thread framework, never shown
    }
}

bool XF_GetThread::Fail(TDownloadEnd reason, DWORD error)
{
    end_ = Terminated() ? TDownloadEnd::Stopped : reason;
    networkError_ = error;
    return false;
}

TDownloadOutcome XF_GetThread::Outcome() const
{
    return TDownloadOutcome{end_,      statusCode_, networkError_, lengthKnown_,
                            contentLength_, received_, fileCreated_, contentType_};
}

bool XF_GetThread::Download()
{
    if (userAgent_.empty()) userAgent_ = DefaultUserAgent;

    std::string proxy;
    DWORD access = 0;
    bool knownAccess = true;
    switch (accessType_) {
    case 0: access = INTERNET_OPEN_TYPE_DIRECT; break;
    case 1:
        access = INTERNET_OPEN_TYPE_PROXY;
        proxy = proxyHost_ + ":" + std::to_string(proxyPort_);
        break;
    case 2: access = INTERNET_OPEN_TYPE_PRECONFIG; break;
    default: knownAccess = false; break;
    }
    HINTERNET root =
        knownAccess ? InternetOpenA(userAgent_.c_str(), access, proxy.empty() ? nullptr : proxy.c_str(), nullptr, 0)
                    : nullptr;
    const DWORD openError = root ? 0 : GetLastError();
    SetSlot(root_, root);
    if (!root || Terminated()) return Fail(TDownloadEnd::Unreachable, openError);

    SetTimeouts(root);

    HINTERNET connection = InternetConnectA(root, url_->HostName(), url_->Port(), url_->UserName(), url_->Password(),
                                            INTERNET_SERVICE_HTTP, 0, 0);
    const DWORD connectError = connection ? 0 : GetLastError();
    SetSlot(connection_, connection);
    if (!connection || Terminated()) return Fail(TDownloadEnd::Unreachable, connectError);
    SetTimeouts(connection);

    if (Verb.empty()) Verb = "GET";
    const std::string object = std::string(url_->UrlPath()) + url_->ExtraInfo();
    HINTERNET opened = HttpOpenRequestA(connection, Verb.c_str(), object.c_str(), "HTTP/1.0",
                                        referer_.empty() ? nullptr : referer_.c_str(), nullptr,
                                        INTERNET_FLAG_NO_CACHE_WRITE, 0);
    const DWORD openRequestError = opened ? 0 : GetLastError();
    SetSlot(request_, opened);
    if (!opened || Terminated()) return Fail(TDownloadEnd::Unreachable, openRequestError);
    SetTimeouts(Slot(request_));

    // Send, and send once more with credentials after a first 401 or 407.
    bool retried = false;
    for (;;) {
        DispatchOwnMessages();
        if (!SendRequest(Slot(request_))) return Fail(TDownloadEnd::Unreachable, GetLastError());
        if (Terminated()) return Fail(TDownloadEnd::Stopped);
        if (!QueryHeader(Slot(request_), HTTP_QUERY_STATUS_CODE)) return Fail(TDownloadEnd::BadAnswer, GetLastError());
        if (Terminated()) return Fail(TDownloadEnd::Stopped);
        const std::optional<int32_t> status = ParseDecimal(buffer_);
        if (!status) {
            end_ = TDownloadEnd::BadAnswer;
            throw std::runtime_error("the status code is not a number");
        }
        statusCode_ = *status;
        const bool proxyDenied = *status == 407, denied = *status == 401;
        if (retried) {
            if (proxyDenied || denied) return Fail(TDownloadEnd::Refused);
            break;
        }
        if (!proxyDenied && !denied) break;
        auto setOption = [this](DWORD option, const std::string& value) {
            // Bounded by the buffer: a longer value is cut, never written past it.
            const size_t n = std::min(value.size(), sizeof(buffer_) - 1);
            std::memcpy(buffer_, value.data(), n);
            buffer_[n] = '\0';
            if (HINTERNET request = Slot(request_)) InternetSetOptionA(request, option, buffer_, static_cast<DWORD>(n));
        };
        if (proxyDenied) {
            setOption(INTERNET_OPTION_PROXY_USERNAME, proxyUser_);
            setOption(INTERNET_OPTION_PROXY_PASSWORD, proxyPassword_);
        } else {
            setOption(INTERNET_OPTION_USERNAME, userName_);
            setOption(INTERNET_OPTION_PASSWORD, password_);
        }
        retried = true;
    }

    // No box here: the end handler's report names the missing type, the status
    // and that no file was kept, and one failure is one box.
    if (!QueryHeader(Slot(request_), HTTP_QUERY_CONTENT_TYPE) || Terminated())
        return Fail(TDownloadEnd::NoContentType);
    contentType_ = buffer_;

    if (QueryHeader(Slot(request_), HTTP_QUERY_CONTENT_LENGTH)) {
        const std::optional<int32_t> length = ParseDecimal(buffer_);
        if (!length) {
            end_ = TDownloadEnd::BadAnswer;
            throw std::runtime_error("the content length is not a number");
        }
        contentLength_ = *length;
        lengthKnown_ = true;
    } else {
        contentLength_ = UnknownContentLength;
    }

    TKernelHandle file;
    if (SaveToFile) {
        file = CreateTargetFile(url_->LocalFileName());
        fileCreated_ = true;
        content_.clear();
    }

    for (;;) {
        if (Terminated()) return Fail(TDownloadEnd::Stopped);  // the file closes with its owner
        std::memset(buffer_, 0, sizeof(buffer_));
        bytesRead_ = 0;
        if (!InternetReadFile(Slot(request_), buffer_, sizeof(buffer_), &bytesRead_))
            return Fail(TDownloadEnd::ReadFailed, GetLastError());
        if (bytesRead_ == 0) {
            end_ = TDownloadEnd::EndOfData;
            if (Pauses) Sleep(200);
            file.reset();
            done_ = true;
            if (onDone_) Synchronize([this] { DoDone(); });
            if (Pauses) Sleep(500);
            return true;
        }
        if (file) WriteAll(file.get(), buffer_, bytesRead_);
        buffer_[QueryLength] = '\0';
        content_.append(buffer_);  // up to the chunk's first zero byte
        received_ += static_cast<int>(bytesRead_);
        if (onProgress_) Synchronize([this] { DoProgress(); });
    }
}

bool XF_GetThread::SendRequest(HINTERNET request)
{
    if (PostData.empty()) return HttpSendRequestA(request, nullptr, 0, nullptr, 0) != FALSE;
    return HttpSendRequestA(request, FormHeader, static_cast<DWORD>(std::strlen(FormHeader)), PostData.data(),
                            static_cast<DWORD>(PostData.size())) != FALSE;
}

bool XF_GetThread::QueryHeader(HINTERNET request, DWORD info)
{
    std::memset(buffer_, 0, sizeof(buffer_));
    DWORD length = QueryLength, index = 0;
    if (!HttpQueryInfoA(request, info, buffer_, &length, &index)) return false;
    buffer_[std::min<DWORD>(length, QueryLength)] = '\0';
    return true;
}

void XF_GetThread::DispatchOwnMessages()
{
    // Only WM_QUIT is ever posted here (by the request's Stop): it stops the download.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            Terminate();
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void XF_GetThread::DoProgress() { onProgress_(this, contentLength_, received_); }

void XF_GetThread::DoDone() { onDone_(content_); }
