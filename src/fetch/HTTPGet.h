#pragma once
// The user-interface side of one HTTP download: the request's settings, the
// split URL (which the caller fills with Url().Crack before Start), one worker
// thread per Start, and the worker's progress, text and end relayed to this
// object's events. All of it runs on the user-interface thread.
//
// The object outlives its worker: the worker reads Url() throughout and calls
// back into this object. Destroying it while a worker runs stops the worker and
// waits for its end (serving its synchronised calls meanwhile), so it must not
// be destroyed from inside its own OnText or OnProgress handler; to let go of
// it from anywhere, FreeWhenDone.
#include "ThCrkUrl.h"
#include "XFGetThread.h"

#include <cstdint>
#include <functional>
#include <string>

class TMFHttpGet : public TObject {
public:
    using TTextEvent = std::function<void(TMFHttpGet* Sender, const std::string& Text)>;
    using TProgressEvent = std::function<void(TMFHttpGet* Sender, int ContentLength, int Received)>;
    using TDoneEvent = std::function<void(TMFHttpGet* Sender)>;

    TMFHttpGet();
    ~TMFHttpGet() override;
    const char* ClassName() const override { return "TMFHttpGet"; }

    std::string UserAgent = XF_GetThread::DefaultUserAgent;
    std::string UserName;  // sent after a 401 answer
    std::string Password;
    std::string Referer;
    // Start dispatches the queued messages after starting; Stop posts WM_QUIT
    // to the worker as well as asking it to terminate.
    bool PumpMessages = false;
    // The pauses of a single save: Start ends with 500 ms, the user-interface
    // thread waiting, and the worker waits 200 ms before its end handler and
    // 500 ms after it, before OnDone. The whole-page grab, which saves one movie
    // after another, asks for none.
    bool Pauses = true;
    uint8_t Mode = 1;        // 4: Start does nothing
    uint8_t AccessType = 2;  // 0 direct, 1 ProxyHost:ProxyPort, 2 the system's configuration
    std::string ProxyHost;
    int ProxyPort = 80;
    std::string ProxyUser;  // sent after a 407 answer
    std::string ProxyPassword;

    TTextEvent OnText;
    TProgressEvent OnProgress;
    // The worker has ended (Done() tells whether the download came to its
    // end). The handler must not destroy the object; FreeWhenDone may be
    // called from it.
    TDoneEvent OnDone;

    TCrackUrl& Url() { return url_; }
    const TCrackUrl& Url() const { return url_; }

    // Starts downloading the URL last split by Url().Crack into its
    // LocalFileName; returns after about 500 ms while the worker goes on.
    void Start();
    // Ends a running download: the worker's handles are closed, its pending
    // WinInet call fails and it ends soon after.
    void Stop();
    // Frees the object once its worker has ended and none of its calls is
    // running, at once when that is already so. The owner forgets it then.
    void FreeWhenDone();

    // The worker of the last Start while it runs; null before and after.
    XF_GetThread* Thread() const { return thread_; }
    bool WorkerRunning() const { return thread_ != nullptr; }
    bool Done() const { return done_; }
    // How the last worker ended (status code read, end of data or why not,
    // bytes received), taken when it ended; Running before.
    const TDownloadOutcome& Outcome() const { return outcome_; }
    int StatusCode() const { return outcome_.Status; }
    // During OnProgress: whether ContentLength is the server's (not the stand-in).
    bool ContentLengthKnown() const { return lengthKnown_; }
    bool Busy() const { return busy_; }
    const std::string& Text() const { return text_; }
    bool Aborted() const { return aborted_; }

    // The worker's handlers; they run on the user-interface thread.
    void ThreadDone(TObject* Sender);
    void DoText(std::string& S);
    void DoProgress(XF_GetThread* Sender, int ContentLength, int Received);

private:
    bool WorkerDone() const;
    void PumpQueuedMessages();
    // Deletes this object when FreeWhenDone asked for it and nothing needs it
    // any more; true when it did (the caller returns at once).
    bool FreeIfFinished();

    struct TCallScope {
        explicit TCallScope(TMFHttpGet* o) : owner(o) { ++owner->callDepth_; }
        ~TCallScope() { --owner->callDepth_; }
        TMFHttpGet* owner;
    };

    XF_GetThread* thread_ = nullptr;  // not owned: the worker frees itself after ThreadDone
    bool done_ = false;
    TDownloadOutcome outcome_;
    bool lengthKnown_ = false;
    bool busy_ = false;
    std::string text_;
    bool aborted_ = false;
    TCrackUrl url_;
    int callDepth_ = 0;  // our methods on the stack (Start's pump can run the handlers)
    bool freeWhenDone_ = false;
    bool destroying_ = false;  // the destructor waits for the worker: no events any more
};
