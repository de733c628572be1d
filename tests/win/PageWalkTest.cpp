// The whole-page walk over the fake page: movies of the document and of nested
// frames (each document once, the depth bounded), duplicates, a windowless
// movie, EMBED and OBJECT markup, a denied frame, and the URL cache's movies of
// the page's hosts; the DOM read through IDispatch alone.
#include "PageWalk.h"

#include "FetchFakeCache.h"
#include "FetchTestSupport.h"
#include "MovieElement.h"
#include "PageTestHost.h"

namespace {

class PageWalk : public InspectTest {
protected:
    void SetUp() override
    {
        InspectTest::SetUp();
        InstallFakeCache();
    }
    void TearDown() override
    {
        UninstallFakeCache();
        InspectTest::TearDown();
    }

    void Cache(const std::string& url, const std::string& header, const std::string& bytes)
    {
        TFakeEntry e;
        e.Url = url;
        e.File = dir_.File(std::to_string(FakeCache().Entries.size()) + ".bin");
        e.Header = header;
        e.SizeLow = static_cast<DWORD>(bytes.size());
        WriteWholeFile(e.File, bytes);
        FakeCache().Entries.push_back(e);
    }

    TScratchDir dir_;
};

const char kFlashHeader[] = "HTTP/1.1 200 OK\r\nContent-Type: application/x-shockwave-flash\r\n\r\n";

TEST_F(PageWalk, EveryMovieOfPageFramesAndCacheOnceDeniedFramesCounted)
{
    const TFakeDocId inner = page_->AddFrameDocument(L"http://frames.test/inner/frame.html");
    const TFakeDocId deep = page_->AddFrameDocument(L"http://127.0.0.1/deep/d.html");
    const TFakeDocId denied = page_->AddFrameDocument(L"http://other.test/ad.html");

    page_->AddFlash({20, 20, 220, 170}, L"movies/intro.swf", true);
    page_->AddFlash({300, 20, 500, 170}, L"flash/banner.swf", false);  // windowless
    page_->AddEmbed({0, 0, 1, 1}, {{L"src", L"./movies/intro.swf"}});   // the first one again
    page_->AddEmbed({0, 0, 1, 1}, {{L"type", L"application/x-shockwave-flash"}});  // no source
    page_->AddPlayer({0, 0, 1, 1}, L"<player src=\"flash/p.swf\" width=9></player>");
    page_->AddFrame({20, 300, 220, 450}, L"IFRAME", L"http://frames.test/inner/frame.html", inner);
    page_->AddFrame({300, 300, 500, 450}, L"IFRAME", L"http://other.test/ad.html", denied);
    page_->BuildIn(inner);
    page_->AddObject({0, 0, 1, 1}, {{L"type", L"application/x-shockwave-flash"}, {L"data", L"/m/inner.swf"}});
    page_->AddFrame({0, 0, 1, 1}, L"IFRAME", L"http://127.0.0.1/deep/d.html", deep);
    page_->AddFrame({0, 0, 1, 1}, L"FRAME", L"../../page/index.html", 0);  // back to the page: walked once
    page_->BuildIn(deep);
    page_->AddBase(L"../page/");  // its relative addresses resolve in the page's folder
    page_->AddFlash({0, 0, 1, 1}, L"http://127.0.0.1/page/movies/intro.swf", false);
    page_->AddFlash({0, 0, 1, 1}, L"d.swf", false);
    page_->BuildIn(denied);
    page_->FailCall(TDomCall::Document, E_ACCESSDENIED);

    Cache("http://127.0.0.1/page/movies/intro.swf", kFlashHeader, "FWS-intro");
    Cache("http://127.0.0.1/page/loaded.swf", "", "CWS-loaded");
    Cache("http://frames.test/get?id=7", "HTTP/1.1 200 OK\r\n\r\n", "CWS-sniffed");
    Cache("http://frames.test/pic.gif", "Content-Type: image/gif\r\n", "GIF89a");
    Cache("http://frames.test/page.bin", "", "<html>");
    Cache("http://elsewhere.test/x.swf", kFlashHeader, "FWS-elsewhere");
    Cache("http://other.test/loaded2.swf", kFlashHeader, "FWS-denied-frame");

    page_->BuildIn(0);
    const int typedBefore = page_->Calls(TDomCall::Interface);
    const TPageWalkResult r = TPageWalk().Run(page_->Document());
    // Read late-bound: the only typed interface asked for is the control's, of
    // the page's elements whose markup names no address (two movies, one EMBED).
    EXPECT_EQ(page_->Calls(TDomCall::Interface) - typedBefore, 3);
    struct TRow {
        const char* Address;
        TFoundIn Found;
        bool Cached;
    };
    const std::vector<TRow> expected{
        {"http://127.0.0.1/page/movies/intro.swf", TFoundIn::Page, true},
        {"http://127.0.0.1/page/flash/banner.swf", TFoundIn::Page, false},
        {"http://127.0.0.1/page/flash/p.swf", TFoundIn::Page, false},
        {"http://frames.test/m/inner.swf", TFoundIn::Frame, false},
        {"http://127.0.0.1/page/d.swf", TFoundIn::Frame, false},
        {"http://127.0.0.1/page/loaded.swf", TFoundIn::CacheOnly, true},
        {"http://frames.test/get?id=7", TFoundIn::CacheOnly, true},
        {"http://other.test/loaded2.swf", TFoundIn::CacheOnly, true},
    };
    const auto& items = r.Movies.Items();
    ASSERT_EQ(items.size(), expected.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].Address, expected[i].Address) << i;
        EXPECT_EQ(items[i].Found, expected[i].Found) << i;
        EXPECT_EQ(items[i].Cached(), expected[i].Cached) << i;
    }
    EXPECT_EQ(items[0].Size, 9);
    EXPECT_EQ(ReadWholeFile(items[6].CacheFile), "CWS-sniffed");
    EXPECT_EQ(r.Documents, 3);
    EXPECT_EQ(r.DeniedFrames, 1);
    EXPECT_EQ(r.WithoutSource, 1);
}

TEST_F(PageWalk, FramesInsideFramesAreEnteredToABoundedDepthAndThePageItselfMustAnswer)
{
    // A chain of 20 frame documents below the page, one movie in each.
    TFakeDocId parent = 0;
    page_->AddFlash({0, 0, 1, 1}, L"m0.swf", false);
    for (int i = 1; i <= 20; ++i) {
        const std::wstring url = L"http://127.0.0.1/chain/" + std::to_wstring(i) + L".html";
        const TFakeDocId next = page_->AddFrameDocument(url);
        page_->BuildIn(parent);
        page_->AddFrame({0, 0, 1, 1}, L"IFRAME", url, next);
        page_->BuildIn(next);
        page_->AddFlash({0, 0, 1, 1}, L"m" + std::to_wstring(i) + L".swf", false);
        parent = next;
    }
    const TPageWalkResult r = TPageWalk().Run(page_->Document());
    EXPECT_EQ(r.Documents, TPageWalk::MaxDepth + 1);
    EXPECT_EQ(r.Movies.Items().size(), static_cast<size_t>(TPageWalk::MaxDepth + 1));
    EXPECT_EQ(r.Movies.Items().back().Address, "http://127.0.0.1/chain/m16.swf");
    EXPECT_EQ(r.DeniedFrames, 0);

    // Collections that say they hold a million elements are read to a bound:
    // the page's BASE, OBJECT, EMBED, player, IFRAME and FRAME lists and its movie's children.
    page_->BuildIn(0);
    page_->ClaimLength(1000000);
    const int itemsBefore = page_->Calls(TDomCall::Item);
    const TPageWalkResult claimed = TPageWalk().Run(page_->Document());
    EXPECT_EQ(claimed.Movies.Items().size(), r.Movies.Items().size());
    EXPECT_EQ(claimed.CutLists, 5) << "the page's OBJECT, EMBED, player, IFRAME and FRAME lists";
    EXPECT_EQ(r.CutLists, 0);
    EXPECT_LE(page_->Calls(TDomCall::Item) - itemsBefore, 7 * MaxCollectionItems);
    page_->ClaimLength(-1);

    // A frame whose document stops answering counts as one that cannot be read;
    // the page's own document failing ends the walk with the error.
    page_->BuildIn(3);
    page_->FailCall(TDomCall::All, E_FAIL);
    EXPECT_EQ(TPageWalk().Run(page_->Document()).DeniedFrames, 1);
    page_->BuildIn(0);
    page_->FailCall(TDomCall::All, E_FAIL);
    EXPECT_THROW(TPageWalk().Run(page_->Document()), EOleError);
}

}  // namespace
