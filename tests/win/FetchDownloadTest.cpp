// Downloads from the scripted loopback server through the request object and
// its worker thread, with the real WinInet: bodies, status codes, credentials,
// a proxy, missing headers, slow and broken peers, and stopping.
#include "HTTPGet.h"

#include "Dialogs.h"
#include "FetchRules.h"
#include "FetchTestSupport.h"
#include "TestSupport.h"
#include "UtilWindow.h"
#include "WideText.h"

#include <gtest/gtest.h>

namespace {

struct TBox {
    std::string Text;
    DWORD Thread;
};

class Download : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_HTTP_SERVER();
        internetBefore_ = LiveHandles(THandleKind::Internet);
        kernelBefore_ = LiveHandles(THandleKind::File);
        SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            boxes_.push_back({r.Text, GetCurrentThreadId()});
            return IDOK;
        });
    }

    void TearDown() override
    {
        SetMessageBoxHook(nullptr);
        if (ServerPort() == 0) return;
        // Every session, connection, request, file and thread handle is gone
        // once the worker has freed itself.
        EXPECT_TRUE(PumpUntil([&] { return LiveHandles(THandleKind::File) == kernelBefore_; }, 3000));
        EXPECT_EQ(LiveHandles(THandleKind::Internet), internetBefore_);
    }

    // Wires the request's events to this test's records.
    void Watch(TMFHttpGet& r)
    {
        r.OnText = [this](TMFHttpGet*, const std::string& text) { texts_.push_back(text); };
        r.OnProgress = [this](TMFHttpGet*, int length, int received) { progress_.push_back({length, received}); };
        r.OnDone = [this](TMFHttpGet*) { ++ended_; };
    }

    // Splits the URL, starts, and waits for the worker's end.
    bool Fetch(TMFHttpGet& r, const std::string& path, const std::string& file, DWORD timeoutMs = 20000)
    {
        return Fetch(r, path, ToWide(file), timeoutMs);
    }
    bool Fetch(TMFHttpGet& r, const std::string& path, const std::wstring& file, DWORD timeoutMs = 20000)
    {
        Watch(r);
        if (!r.Url().Crack(ServerUrl(path), file)) return false;
        r.Start();
        return PumpUntil([&] { return ended_ > 0; }, timeoutMs);
    }

    // The text each chunk contributes: up to its first zero, at most 2048 bytes.
    std::string ExpectedContent(const std::string& body) const
    {
        std::string content;
        int from = 0;
        for (const auto& p : progress_) {
            const std::string chunk = body.substr(static_cast<size_t>(from), static_cast<size_t>(p.second - from));
            content += chunk.substr(0, std::min<size_t>({chunk.find('\0'), chunk.size(), 2048}));
            from = p.second;
        }
        return content;
    }

    TScratchDir dir_;
    std::vector<TBox> boxes_;
    std::vector<std::string> texts_;
    std::vector<std::pair<int, int>> progress_;
    int ended_ = 0;
    int internetBefore_ = 0;
    int kernelBefore_ = 0;
};

}  // namespace

TEST_F(Download, BinaryBodyReachesTheFileWholeAndTextStopsAtZeros)
{
    const std::string key = UniqueKey("bin");
    const std::string file = dir_.File("movie.swf");
    TMFHttpGet r;
    ASSERT_TRUE(Fetch(r, "/binary/" + key + "?n=20000", file));
    const std::string body = GeneratedBody(20000);
    EXPECT_EQ(ReadWholeFile(file), body);
    EXPECT_TRUE(r.Done());
    EXPECT_FALSE(r.Busy());
    EXPECT_EQ(r.Thread(), nullptr);
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.back(), std::make_pair(20000, 20000));
    for (size_t i = 1; i < progress_.size(); ++i)
        EXPECT_LE(progress_[i].second - progress_[i - 1].second, XF_GetThread::BufferSize);
    ASSERT_EQ(texts_.size(), 1u);
    EXPECT_EQ(texts_[0], ExpectedContent(body));
    EXPECT_EQ(r.Text(), texts_[0]);
    EXPECT_GE(texts_[0].size(), 2048u);  // the letters: a full first chunk is cut at 2048
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(ServerStat(key, "requests"), 1);
}

TEST_F(Download, NotFoundBodyIsWrittenLikeASuccess)
{
    const std::string file = dir_.File("missing.swf");
    TMFHttpGet r;
    ASSERT_TRUE(Fetch(r, "/notfound/" + UniqueKey("nf"), file));
    EXPECT_EQ(ReadWholeFile(file), "<html>missing</html>");
    EXPECT_TRUE(r.Done());
}

TEST_F(Download, BreakTagsBecomeLineBreaksInTheText)
{
    TMFHttpGet r;
    ASSERT_TRUE(Fetch(r, "/text/" + UniqueKey("text"), dir_.File("t.htm")));
    ASSERT_EQ(texts_.size(), 1u);
    EXPECT_EQ(texts_[0], "one\r\ntwo<BR>three\r\n");
    EXPECT_EQ(r.Text(), texts_[0]);
    EXPECT_EQ(ReadWholeFile(dir_.File("t.htm")), "one<br>two<BR>three<br>");
}

TEST_F(Download, FirstUnauthorizedAnswerIsRetriedWithTheCredentials)
{
    const std::string key = UniqueKey("auth");
    const std::string file = dir_.File("secret.swf");
    TMFHttpGet r;
    r.UserName = "alice";
    r.Password = "s3cret";
    ASSERT_TRUE(Fetch(r, "/auth-once/" + key, file));
    EXPECT_EQ(ReadWholeFile(file), "secret movie");
    EXPECT_TRUE(r.Done());
    EXPECT_EQ(ServerStat(key, "good"), 1);
}

TEST_F(Download, SecondUnauthorizedAnswerEndsWithoutAFile)
{
    const std::string key = UniqueKey("deny");
    const std::string file = dir_.File("denied.swf");
    TMFHttpGet r;
    r.UserName = "alice";
    r.Password = "s3cret";
    ASSERT_TRUE(Fetch(r, "/auth-always/" + key, file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_TRUE(r.Done());
    EXPECT_TRUE(texts_.empty());
    EXPECT_GE(ServerStat(key, "good"), 1);  // the credentials were offered
}

TEST_F(Download, ProxyAuthenticationIsAnsweredWithTheProxyCredentials)
{
    // Port 9 of the loopback answers nothing: only the proxy can serve this URL.
    const std::string key = UniqueKey("proxy");
    const std::string file = dir_.File("proxied.swf");
    TMFHttpGet r;
    r.AccessType = 1;
    r.ProxyHost = "127.0.0.1";
    r.ProxyPort = ServerPort();
    r.ProxyUser = "bob";
    r.ProxyPassword = "pr0xy";
    Watch(r);
    ASSERT_TRUE(r.Url().Crack("http://127.0.0.1:9/proxied/" + key, ToWide(file)));
    r.Start();
    ASSERT_TRUE(PumpUntil([&] { return ended_ > 0; }, 20000));
    EXPECT_EQ(ReadWholeFile(file), "via proxy /proxied/" + key);
    EXPECT_EQ(ServerStat(key, "proxygood"), 1);
}

TEST_F(Download, MissingContentTypeEndsWithoutABoxOfItsOwnAndWritesNothing)
{
    const std::string file = dir_.File("untyped.swf");
    TMFHttpGet r;
    ASSERT_TRUE(Fetch(r, "/no-type/" + UniqueKey("nt"), file));
    EXPECT_TRUE(boxes_.empty()) << boxes_[0].Text;  // the end handler's report is the one box
    EXPECT_EQ(r.Outcome().End, TDownloadEnd::NoContentType);
    EXPECT_EQ(r.Outcome().Status, 200);
    EXPECT_FALSE(FileExists(file));
    EXPECT_TRUE(r.Done());
}

TEST_F(Download, MissingContentLengthReportsOneMillion)
{
    const std::string file = dir_.File("unsized.swf");
    TMFHttpGet r;
    ASSERT_TRUE(Fetch(r, "/no-length/" + UniqueKey("nl") + "?n=3000", file));
    ASSERT_FALSE(progress_.empty());
    for (const auto& p : progress_) EXPECT_EQ(p.first, 1000000);
    EXPECT_EQ(progress_.back().second, 3000);
    EXPECT_EQ(ReadWholeFile(file), GeneratedBody(3000));
}

TEST_F(Download, EmptyBodyCreatesAnEmptyFileAndOverwritesAnOldOne)
{
    const std::string file = dir_.File("empty.swf");
    WriteWholeFile(file, "an older, longer file");
    TMFHttpGet r;
    ASSERT_TRUE(Fetch(r, "/empty/" + UniqueKey("empty"), file));
    EXPECT_TRUE(FileExists(file));
    EXPECT_EQ(ReadWholeFile(file), "");
    EXPECT_TRUE(progress_.empty());
    ASSERT_EQ(texts_.size(), 1u);
    EXPECT_EQ(texts_[0], "");
}

TEST_F(Download, MissingFoldersAreCreatedUnderExactlyTheNamesGiven)
{
    // 0x81 0x5C is one character of code page 936 whose second byte is '\';
    // the Korean syllable and the o with double acute are not in 936 at all.
    const std::wstring folder = ToWide(dir_.File("new\\\x81\x5C\\")) + L"\uD55C\u0151";
    const std::wstring file = folder + L"\\deeper\\m\u0151.swf";
    TMFHttpGet r;
    ASSERT_TRUE(Fetch(r, "/binary/" + UniqueKey("dir") + "?n=100", file));
    EXPECT_EQ(ReadWholeFile(file), GeneratedBody(100));
    EXPECT_NE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(FileExists(dir_.File("new\\\x81\x5C")));
}

TEST_F(Download, FileErrorEndsTheWorkerWithoutDone)
{
    // A file stands where a folder of the target should be: the error is
    // raised inside the worker, kept there, and the handles still close.
    WriteWholeFile(dir_.File("blocker"), "x");
    TMFHttpGet r;
    ASSERT_TRUE(Fetch(r, "/binary/" + UniqueKey("ferr") + "?n=100", dir_.File("blocker\\m.swf")));
    EXPECT_FALSE(r.Done());
    EXPECT_TRUE(texts_.empty());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Download, BodyCutShortKeepsWhatArrived)
{
    const std::string file = dir_.File("cut.swf");
    TMFHttpGet r;
    ASSERT_TRUE(Fetch(r, "/cut/" + UniqueKey("cut") + "?n=5000&total=100000", file));
    EXPECT_EQ(ReadWholeFile(file), GeneratedBody(5000));
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.back(), std::make_pair(100000, 5000));
}

TEST_F(Download, ServerSilentPastTheTimeoutsEndsTheDownload)
{
    const std::string file = dir_.File("stalled.swf");
    TMFHttpGet r;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(Fetch(r, "/stall/" + UniqueKey("stall") + "?s=25", file, 25000));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 9000u);
    EXPECT_LT(elapsed, 20000u);
    EXPECT_TRUE(r.Done());
    EXPECT_FALSE(FileExists(file));
    EXPECT_TRUE(boxes_.empty()) << boxes_[0].Text;
}

TEST_F(Download, StopDuringTheBodyEndsTheWorkerAndKeepsWhatArrived)
{
    const std::string file = dir_.File("stopped.swf");
    TMFHttpGet r;
    Watch(r);
    ASSERT_TRUE(r.Url().Crack(ServerUrl("/stall-body/" + UniqueKey("stop") + "?s=25&n=4000"), ToWide(file)));
    r.Start();
    // A read asks for 2050 bytes and waits for all of them: the first chunk
    // arrives, the second waits for bytes the server holds back.
    ASSERT_TRUE(PumpUntil([&] { return !progress_.empty(); }, 5000));
    PumpUntil([] { return false; }, 300);  // the worker is inside that second read by now
    ASSERT_TRUE(r.WorkerRunning());
    const DWORD start = GetTickCount();
    r.Stop();
    EXPECT_TRUE(r.Aborted());
    EXPECT_FALSE(r.Busy());
    ASSERT_TRUE(PumpUntil([&] { return ended_ > 0; }, 15000));
    ExpectPromptEndAfterStop(GetTickCount() - start);
    EXPECT_FALSE(r.WorkerRunning());
    EXPECT_TRUE(r.Done());
    EXPECT_EQ(ReadWholeFile(file), GeneratedBody(static_cast<size_t>(progress_.back().second)));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Download, StopWhileWaitingForTheAnswerShowsNoContentTypeMessage)
{
    TMFHttpGet r;
    Watch(r);
    ASSERT_TRUE(r.Url().Crack(ServerUrl("/stall/" + UniqueKey("stophead") + "?s=25"), ToWide(dir_.File("x.swf"))));
    r.Start();
    const DWORD start = GetTickCount();
    r.Stop();
    ASSERT_TRUE(PumpUntil([&] { return ended_ > 0; }, 15000));
    ExpectPromptEndAfterStop(GetTickCount() - start);
    EXPECT_TRUE(boxes_.empty()) << boxes_[0].Text;
    EXPECT_FALSE(FileExists(dir_.File("x.swf")));
}

TEST_F(Download, DestroyingTheRequestMidDownloadWaitsForTheWorker)
{
    const std::string key = UniqueKey("destroy");
    int progressAfterDestroy = -1;
    {
        auto r = std::make_unique<TMFHttpGet>();
        Watch(*r);
        ASSERT_TRUE(r->Url().Crack(ServerUrl("/stall-body/" + key + "?s=25&n=4000"), ToWide(dir_.File("d.swf"))));
        r->Start();
        ASSERT_TRUE(PumpUntil([&] { return !progress_.empty(); }, 5000));
        PumpUntil([] { return false; }, 300);  // the worker is inside its second read by now
        const DWORD start = GetTickCount();
        r.reset();  // must not return while the worker can still reach it
        ExpectPromptEndAfterStop(GetTickCount() - start);
        progressAfterDestroy = static_cast<int>(progress_.size());
    }
    PumpPending();
    EXPECT_EQ(static_cast<int>(progress_.size()), progressAfterDestroy);
    EXPECT_EQ(ended_, 0);  // no event from an object being destroyed
}

TEST_F(Download, SecondStartWhileBusyOrRunningIsRefused)
{
    const std::string key = UniqueKey("twice");
    TMFHttpGet r;
    Watch(r);
    const std::string url = ServerUrl("/stall-body/" + key + "?s=3&n=100");
    ASSERT_TRUE(r.Url().Crack(url, ToWide(dir_.File("twice.swf"))));
    r.Start();
    ASSERT_TRUE(r.WorkerRunning());
    XF_GetThread* first = r.Thread();
    r.Start();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Text, "thread deja assigne : " + url);
    EXPECT_EQ(r.Thread(), first);
    ASSERT_TRUE(PumpUntil([&] { return ended_ > 0; }, 20000));
    EXPECT_EQ(ServerStat(key, "requests"), 1);

    // Mode 4 starts nothing and leaves the request busy: the next Start is refused too.
    r.Mode = 4;
    r.Start();
    EXPECT_TRUE(r.Busy());
    EXPECT_FALSE(r.WorkerRunning());
    r.Start();
    EXPECT_EQ(boxes_.size(), 2u);
    r.Stop();  // no worker to reach: just not busy any more
    EXPECT_FALSE(r.Busy());
}

TEST_F(Download, StartPausesHalfASecondAndAnInvalidUrlDoesNothing)
{
    TMFHttpGet r;
    Watch(r);
    r.Start();  // nothing split yet
    EXPECT_FALSE(r.Busy());
    EXPECT_EQ(r.Thread(), nullptr);
    ASSERT_TRUE(r.Url().Crack(ServerUrl("/binary/" + UniqueKey("pause") + "?n=10"), ToWide(dir_.File("p.swf"))));
    const DWORD start = GetTickCount();
    r.Start();
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 480u);
    EXPECT_LT(elapsed, 1500u);
    ASSERT_TRUE(PumpUntil([&] { return ended_ > 0; }, 20000));
}

TEST_F(Download, PumpDispatchesQueuedMessagesAndLeavesWmQuitForTheApplication)
{
    int dispatched = 0;
    TUtilWindow target([&](UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_APP + 7) ++dispatched;
        return false;
    });
    TMFHttpGet r;
    r.PumpMessages = true;
    Watch(r);
    ASSERT_TRUE(r.Url().Crack(ServerUrl("/binary/" + UniqueKey("pump") + "?n=10"), ToWide(dir_.File("q.swf"))));
    PostMessageA(target.Handle(), WM_APP + 7, 0, 0);
    PostQuitMessage(3);
    r.Start();
    EXPECT_EQ(dispatched, 1);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "Start swallowed WM_QUIT";
    EXPECT_EQ(msg.wParam, 3u);
    ASSERT_TRUE(PumpUntil([&] { return ended_ > 0; }, 20000));
}

TEST_F(Download, FreeWhenDoneReleasesTheRequestOnlyAfterItsWorker)
{
    struct TTracked : TMFHttpGet {
        explicit TTracked(bool* gone) : gone_(gone) {}
        ~TTracked() override { *gone_ = true; }
        bool* gone_;
    };
    bool gone = false;
    auto* r = new TTracked(&gone);
    Watch(*r);
    r->OnDone = [&](TMFHttpGet* sender) {
        ++ended_;
        EXPECT_FALSE(gone);
        sender->FreeWhenDone();  // from inside its own handler: deferred
        EXPECT_FALSE(gone);
    };
    ASSERT_TRUE(r->Url().Crack(ServerUrl("/binary/" + UniqueKey("free") + "?n=5000"), ToWide(dir_.File("f.swf"))));
    r->Start();
    EXPECT_FALSE(gone);
    ASSERT_TRUE(PumpUntil([&] { return gone; }, 20000));
    EXPECT_EQ(ended_, 1);
    EXPECT_EQ(ReadWholeFile(dir_.File("f.swf")), GeneratedBody(5000));

    // With nothing running, it goes at once.
    bool idleGone = false;
    (new TTracked(&idleGone))->FreeWhenDone();
    EXPECT_TRUE(idleGone);
}

TEST_F(Download, SilentServerIsReportedAsATimeout)
{
    TMFHttpGet silent;
    ASSERT_TRUE(Fetch(silent, "/stall-body/" + UniqueKey("silent") + "?s=25&n=4000", dir_.File("s.swf"), 25000));
    EXPECT_EQ(silent.Outcome().End, TDownloadEnd::ReadFailed);
    // Windows says ERROR_INTERNET_TIMEOUT here, Wine the socket's WSAETIMEDOUT:
    // either way the user is told of a time-out.
    EXPECT_NE(DownloadReport(silent.Outcome(), "s.swf", TMovieInfo{}).find("超时"), std::string::npos)
        << "error " << silent.Outcome().NetworkError;
    EXPECT_GT(silent.Outcome().Received, 0);
    EXPECT_LT(silent.Outcome().Received, 8000);
}
