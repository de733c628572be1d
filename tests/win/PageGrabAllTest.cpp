// The whole-page grab's window: saving the picked movies into a folder from
// the cache and from the loopback server (names that collide, a failing
// download among good ones, cancel during a download, one report at the end),
// and the main window's menu item on a page that is open and one that is gone.
#include "GrabAll.h"

#include "FetchFakeCache.h"
#include "FetchTestSupport.h"
#include "PageTestHost.h"
#include "main.h"

namespace {

constexpr int colState = 4;

class GrabAllWindow : public InspectTest {
protected:
    void SetUp() override
    {
        InspectTest::SetUp();
        InstallFakeCache();
        form_ = new TfrmGrabAll(Application());
    }
    void TearDown() override
    {
        if (form_) form_->Free();
        UninstallFakeCache();
        InspectTest::TearDown();
    }

    // Lists the movies as a walk would have found them and saves them all.
    void ListAndSave(const TGrabList& movies, const std::vector<int>& unchecked = {})
    {
        TPageWalkResult walk;
        walk.Movies = movies;
        form_->ShowMovies(walk);
        form_->SetFolder(dir_.Path());
        form_->Show();
        for (int row : unchecked) form_->lvMovies->SetChecked(row, false);
        form_->btnSave->Click();
    }
    bool WaitForReport(DWORD ms = 30000)
    {
        return PumpUntil([&] { return !boxes_.empty() && !form_->Saving(); }, ms);
    }
    std::string Row(int row) const { return form_->lvMovies->ItemText(row, colState); }

    TScratchDir dir_;
    TfrmGrabAll* form_ = nullptr;
};

TEST_F(GrabAllWindow, SavesCachedAndDownloadedMoviesNeverOverwritingAndReportsOnceAtTheEnd)
{
    REQUIRE_HTTP_SERVER();
    WriteWholeFile(dir_.File("intro.swf"), "old file");
    const std::string cached = dir_.File("cache.bin");
    WriteWholeFile(cached, "FWS-from-the-cache");
    TGrabList movies;
    movies.AddElement(ServerUrl("/site/intro.swf"), TFoundIn::Page);
    movies.AddCacheEntry(ServerUrl("/site/intro.swf"), cached, 18, true);
    movies.AddElement(ServerUrl("/movie/grabbed?n=9000"), TFoundIn::Frame);
    movies.AddElement(ServerUrl("/notfound/grab404.swf"), TFoundIn::Page);
    movies.AddElement(ServerUrl("/movie/intro.swf?n=5000"), TFoundIn::Frame);
    movies.AddElement(ServerUrl("/movie/unchecked?n=100"), TFoundIn::Page);
    ListAndSave(movies, {4});
    EXPECT_FALSE(form_->btnSave->Enabled());
    ASSERT_TRUE(WaitForReport());

    EXPECT_EQ(ReadWholeFile(dir_.File("intro.swf")), "old file");
    EXPECT_EQ(ReadWholeFile(dir_.File("intro (2).swf")), "FWS-from-the-cache");
    EXPECT_EQ(ReadWholeFile(dir_.File("grabbed.swf")), "FWS" + GeneratedBody(9000).substr(3));
    EXPECT_EQ(ReadWholeFile(dir_.File("intro (3).swf")), "FWS" + GeneratedBody(5000).substr(3));
    EXPECT_FALSE(FileExists(dir_.File("grab404.swf"))) << "a failed download leaves nothing";
    EXPECT_FALSE(FileExists(dir_.File("unchecked.swf")));
    EXPECT_EQ(Row(0), "已保存（缓存）");
    EXPECT_EQ(Row(1), "已保存");
    EXPECT_EQ(Row(2), "失败：服务器回答 404");
    EXPECT_EQ(Row(4), "");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Text, "已保存 3 个Flash文件（其中 1 个来自缓存）。\r\n1 个没有保存：\r\n" +
                                  ServerUrl("/notfound/grab404.swf") + "：服务器回答 404");
    EXPECT_TRUE(form_->btnSave->Enabled());
}

TEST_F(GrabAllWindow, CancelDuringADownloadFinishesItAndSavesNoMore)
{
    REQUIRE_HTTP_SERVER();
    TGrabList movies;
    movies.AddElement(ServerUrl("/movie/slow?n=40000&ms=150"), TFoundIn::Page);
    movies.AddElement(ServerUrl("/movie/after?n=100"), TFoundIn::Page);
    ListAndSave(movies);
    ASSERT_TRUE(PumpUntil([&] { return Row(0).find('%') != std::string::npos; }, 10000)) << Row(0);
    form_->btnCancel->Click();
    EXPECT_TRUE(form_->Saving()) << "the current movie is finished first";
    ASSERT_TRUE(WaitForReport());
    EXPECT_EQ(ReadWholeFile(dir_.File("slow.swf")), "FWS" + GeneratedBody(40000).substr(3));
    EXPECT_FALSE(FileExists(dir_.File("after.swf")));
    EXPECT_EQ(Row(1), "已取消");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Text, "已保存 1 个Flash文件。\r\n已取消，1 个没有保存。");
}

BOOL WINAPI NoIcon(DWORD, PNOTIFYICONDATAW) { return TRUE; }

TEST_F(GrabAllWindow, MenuItemListsThePageLastHoveredAndSaysSoWhenItIsGone)
{
    const auto savedIcon = TfrmMain::NotifyIcon;
    TfrmMain::NotifyIcon = &NoIcon;
    TfrmMain* main = Application()->CreateForm<TfrmMain>();
    main->Timer1->SetEnabled(false);
    page_->AddFlash({20, 20, 220, 170}, L"movies/intro.swf", false);
    page_->AddEmbed({0, 0, 1, 1}, {{L"src", L"b.swf"}});

    EXPECT_EQ(main->LastPageWindow(), nullptr);
    main->InspectPoint(OnPage(100, 100).x, OnPage(100, 100).y);
    ASSERT_EQ(main->LastPageWindow(), page_->ContentWindow());
    main->A1Click(main);
    auto* grab = dynamic_cast<TfrmGrabAll*>(main->FindComponent("frmGrabAll"));
    ASSERT_NE(grab, nullptr);
    EXPECT_TRUE(Visible(grab->Handle()));
    ASSERT_EQ(grab->lvMovies->Count(), 2);
    EXPECT_EQ(grab->lvMovies->ItemText(0, 0), "http://127.0.0.1/page/movies/intro.swf");
    EXPECT_EQ(grab->lvMovies->ItemText(1, 0), "http://127.0.0.1/page/b.swf");
    EXPECT_TRUE(grab->lvMovies->Checked(1));
    grab->btnNone->Click();
    EXPECT_FALSE(grab->lvMovies->Checked(0));
    grab->btnAll->Click();
    EXPECT_TRUE(grab->lvMovies->Checked(1));
    EXPECT_TRUE(boxes_.empty());
    grab->Close();
    PumpPending();

    page_.reset();
    EXPECT_EQ(main->LastPageWindow(), nullptr);
    main->A1Click(main);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(boxes_[0].Text.find("没有可以抓取的网页"), std::string::npos);
    main->Free();
    TfrmMain::NotifyIcon = savedIcon;
}

}  // namespace
