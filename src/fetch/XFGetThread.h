#pragma once
// The worker thread of one HTTP download: an HTTP/1.0 GET with WinInet whose
// body goes to the target file of a split URL. It is created suspended, given
// SaveToFile, resumed and forgotten by the request object; it reports progress,
// the received text and its end on the user-interface thread (the worker waits
// meanwhile) and frees itself when it ends.
//
// It reads the TCrackUrl it was given throughout the download: that object
// must outlive the thread.
#include "CriticalSection.h"
#include "SaveReport.h"
#include "Threads.h"
#include "WinInetHandle.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class TCrackUrl;

class XF_GetThread : public TThread {
public:
    // The received text; the handler may change it.
    using TDoneEvent = std::function<void(std::string& Content)>;
    using TProgressEvent = std::function<void(XF_GetThread* Sender, int ContentLength, int Received)>;

    static constexpr const char* DefaultUserAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
    static constexpr int BufferSize = 2050;
    static constexpr DWORD TimeoutMs = 10000;
    static constexpr int UnknownContentLength = 1000000;

    // accessType: 0 direct, 1 through proxyHost:proxyPort, 2 the system's
    // configuration. onTerminate runs on the user-interface thread when the
    // download has ended, just before the object frees itself.
    XF_GetThread(const TCrackUrl* url, std::string userAgent, std::string referer, std::string userName,
                 std::string password, uint8_t accessType, std::string proxyHost, int proxyPort,
                 std::string proxyUser, std::string proxyPassword, TDoneEvent onDone, TProgressEvent onProgress,
                 TNotifyEvent onTerminate);
    ~XF_GetThread() override;
    const char* ClassName() const override { return "XF_GetThread"; }

    // Set before the thread is resumed.
    std::string Verb = "GET";
    std::string PostData;     // empty: no request body
    bool SaveToFile = false;  // write the body to the URL's LocalFileName
    bool Pauses = true;       // 200 ms before the end handler, 500 ms after it

    // Set when Execute ends by one of its own paths (not by an exception).
    // Any thread may read it while the object exists.
    bool Done() const { return done_; }

    // Read on the user-interface thread only while the worker waits for one of
    // its synchronised calls.
    const std::string& Content() const { return content_; }
    int ContentLength() const { return contentLength_; }
    int Received() const { return received_; }
    bool ContentLengthKnown() const { return lengthKnown_; }
    // The status code of the last answer (0 before one was read) and how the
    // download ended; the end handler reads them.
    int StatusCode() const { return statusCode_; }
    TDownloadOutcome Outcome() const;

    // Closes the request, the connection and the session, in this order; any
    // thread may call it. A WinInet call the worker has pending on them fails.
    void CloseHandles();

protected:
    void Execute() override;

private:
    // The handle slots are shared with CloseHandles on the user-interface
    // thread: a handle is taken out of its slot under the lock and closed by
    // whoever took it, so each is closed exactly once. The worker reads a slot
    // under the lock before each call and finds it empty once the handle has
    // been taken; a call it has already begun fails when the handle is closed
    // under it, which is how WinInet cancels a blocking call.
    HINTERNET Slot(const TInternetHandle& h);
    void SetSlot(TInternetHandle& slot, HINTERNET h);

    bool Download();  // the steps of Execute; false: stopped without the end of data
    bool SendRequest(HINTERNET request);
    bool QueryHeader(HINTERNET request, DWORD info);
    // Records why the download ends (a stop when terminated) and returns false.
    bool Fail(TDownloadEnd reason, DWORD error = 0);
    void DispatchOwnMessages();
    void DoProgress();
    void DoDone();

    std::string userAgent_;
    const TCrackUrl* url_;  // not owned
    std::string referer_;
    std::string userName_;
    std::string password_;
    std::string content_;
    std::atomic<bool> done_{false};
    int contentLength_ = 0;
    bool lengthKnown_ = false;
    bool fileCreated_ = false;
    std::string contentType_;  // the answer's Content-Type, once read
    int statusCode_ = 0;
    TDownloadEnd end_ = TDownloadEnd::Running;
    DWORD networkError_ = 0;
    TDoneEvent onDone_;
    char buffer_[BufferSize] = {};
    uint8_t accessType_;
    std::string proxyHost_;
    int proxyPort_;
    std::string proxyUser_;
    std::string proxyPassword_;
    TCriticalSection handleLock_;
    TInternetHandle root_;
    TInternetHandle connection_;
    TInternetHandle request_;
    DWORD bytesRead_ = 0;
    int received_ = 0;
    TProgressEvent onProgress_;
};
