#include "HTTPGet.h"

#include "Dialogs.h"
#include "FetchRules.h"

TMFHttpGet::TMFHttpGet() = default;

TMFHttpGet::~TMFHttpGet()
{
    destroying_ = true;
    Stop();
    // The worker reads url_ and calls back into this object until its end
    // handler has run; with its handles closed that is soon.
    if (thread_) ServeSentMessagesUntil([this] { return thread_ == nullptr; });
}

void TMFHttpGet::Start()
{
    if (!url_.Valid()) return;
    done_ = false;
    // A running worker counts as well: a second one would write the same file
    // from the same split URL.
    if (busy_ || thread_) {
        ShowMessageBox(GetActiveWindow(), "thread deja assigne : " + url_.Url(), "Error", MB_OK | MB_ICONERROR);
        return;
    }
    busy_ = true;
    if (Mode == 4) return;
    aborted_ = false;
    outcome_ = TDownloadOutcome{};
    lengthKnown_ = false;
    try {
        thread_ = new XF_GetThread(
            &url_, UserAgent, Referer, UserName, Password, AccessType, ProxyHost, ProxyPort, ProxyUser, ProxyPassword,
            [this](std::string& s) { DoText(s); },
            [this](XF_GetThread* sender, int length, int received) { DoProgress(sender, length, received); },
            [this](TObject* sender) { ThreadDone(sender); });  // the worker frees itself
    } catch (...) {
        busy_ = false;
        throw;
    }
    thread_->SaveToFile = true;
    thread_->Pauses = Pauses;
    thread_->Resume();
    ++callDepth_;
    if (PumpMessages) PumpQueuedMessages();
    busy_ = false;
    if (Pauses) Sleep(500);
    --callDepth_;
    FreeIfFinished();  // the worker may have ended during the pump or the pause
}

bool TMFHttpGet::WorkerDone() const
{
    // thread_ is cleared by ThreadDone, which runs before the worker frees itself.
    return thread_ ? thread_->Done() : done_;
}

void TMFHttpGet::PumpQueuedMessages()
{
    MSG msg;
    // Done is looked at before a message is taken, so no message is taken and dropped.
    while (!WorkerDone() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to consume: the application's own loop must still see it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TMFHttpGet::Stop()
{
    aborted_ = true;
    if (!busy_ && !thread_) return;
    if (thread_) {
        // The terminated flag first, so that the failures the closing causes
        // are taken for the stop they are.
        thread_->Terminate();
        if (PumpMessages) PostThreadMessageA(thread_->ThreadID(), WM_QUIT, 0, 0);
        thread_->CloseHandles();
    }
    busy_ = false;
}

void TMFHttpGet::FreeWhenDone()
{
    freeWhenDone_ = true;
    FreeIfFinished();
}

bool TMFHttpGet::FreeIfFinished()
{
    if (!freeWhenDone_ || thread_ || callDepth_ > 0 || destroying_) return false;
    delete this;
    return true;
}

void TMFHttpGet::ThreadDone(TObject* Sender)
{
    auto* worker = dynamic_cast<XF_GetThread*>(Sender);
    if (worker && worker == thread_) thread_ = nullptr;
    if (worker) {
        done_ = worker->Done();
        outcome_ = worker->Outcome();
        PostThreadMessageA(worker->ThreadID(), WM_QUIT, 0, 0);
    }
    busy_ = false;
    if (OnDone && !destroying_) {
        TCallScope scope(this);
        OnDone(this);
    }
    FreeIfFinished();
}

void TMFHttpGet::DoText(std::string& S)
{
    text_ = ReplaceBreakTags(S);
    S = text_;
    if (OnText && !destroying_) {
        TCallScope scope(this);
        OnText(this, S);
    }
}

void TMFHttpGet::DoProgress(XF_GetThread* Sender, int ContentLength, int Received)
{
    if (Sender) lengthKnown_ = Sender->ContentLengthKnown();
    if (OnProgress && !destroying_) {
        TCallScope scope(this);
        OnProgress(this, ContentLength, Received);
    }
}
