// The complete save against the fake URL cache and the loopback server: a
// movie whose actions, ActionScript 3 strings and page FlashVars name files on
// its server and another, laid out at their paths with the page and the
// record; downloads of what the cache lacks, a file that cannot be had, the
// file bound, a folder name already taken, and a movie the cache lacks.
#include "BundleSaver.h"

#include "FetchFakeCache.h"
#include "FetchTestSupport.h"
#include "MovieMaker.h"
#include "Sha256.h"
#include "TestSupport.h"
#include "WideText.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }
std::string Utf8(const std::string& text) { return ToNarrow(ToWide(text), CP_UTF8); }

// A movie whose frame actions name the texts, and, when given, whose
// ActionScript 3 block does too.
std::string MovieNaming(const std::vector<std::string>& actions, const std::vector<std::string>& abc = {},
                        char signature = 'F')
{
    TSwfBytes body = DoActionTag(ConstantPoolAction(actions));
    if (!abc.empty()) body = Joined({body, DoAbcTag("main", abc)});
    TMovieRecipe recipe;
    recipe.Signature = signature;
    return Bytes(MakeMovie(recipe, Joined({body, EndTag()})));
}

class Bundle : public ::testing::Test {
protected:
    void SetUp() override { InstallFakeCache(); }
    void TearDown() override { UninstallFakeCache(); }

    // A cache entry for url holding bytes, in a file of its own.
    void Cache(const std::string& url, const std::string& bytes, const std::string& type = "text/xml")
    {
        const std::string file = dir_.File("cache" + std::to_string(FakeCache().Entries.size()));
        WriteWholeFile(file, bytes);
        TFakeEntry e;
        e.Url = url;
        e.File = file;
        e.SizeLow = static_cast<DWORD>(bytes.size());
        e.Header = "HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\n\r\n";
        FakeCache().Entries.push_back(e);
    }

    // Saves into the scratch folder as name; true once it ended.
    bool Save(TBundleSource source, const std::wstring& name, TBundleOptions options = {})
    {
        saver_ = std::make_unique<TBundleSaver>(std::move(source), ToWide(out_), name, name + L".htm", options);
        bool done = false;
        saver_->OnDone = [&] { done = true; };
        saver_->Start();
        return PumpUntil([&] { return done; }, 25000);
    }

    const TBundleFile* FileAt(const std::string& path) const
    {
        for (const TBundleFile& f : saver_->Record().Files)
            if (f.Path == path) return &f;
        return nullptr;
    }
    std::string InFolder(const std::string& path) const
    {
        return ReadWholeFile(saver_->Folder() + ToWide(path, CP_UTF8));
    }

    TScratchDir dir_;
    std::string out_ = dir_.File("out\\");
    std::unique_ptr<TBundleSaver> saver_;
};

TEST_F(Bundle, MovieAndEverythingItLoadsLieAtTheirPathsWithThePageAndARecordOfEach)
{
    ASSERT_TRUE(CreateDirectoryA(out_.c_str(), nullptr));
    const std::string movie = MovieNaming({"settings.xml", "http://cdn.test/lib/more.swf", "missing.txt", "onLoad"});
    // A file named twice, by the movie and by the one it loads, is one file and no missing one.
    const std::string more = MovieNaming({}, {"img/a.png", "flash.display.Loader", "settings.xml"}, 'C');
    Cache("http://site.test/flash/main.swf", movie, "application/x-shockwave-flash");
    Cache("http://site.test/shop/settings.xml", "<settings/>");
    Cache("http://cdn.test/lib/more.swf", more, "application/x-shockwave-flash");
    Cache("http://site.test/shop/img/a.png", "PNG", "image/png");
    Cache("http://site.test/shop/data/list.xml", "<list/>");
    Cache("http://site.test/flash/clips/a.flv", "FLV");  // a video: the player takes it from the movie's folder
    const std::string markup =
        "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" width=\"320\" height=\"200\">"
        "<PARAM NAME=\"movie\" VALUE=\"../flash/main.swf\"><PARAM NAME=\"FlashVars\" "
        "VALUE=\"list=data/list.xml&amp;video=clips/a.flv\"><PARAM NAME=\"wmode\" VALUE=\"transparent\"></OBJECT>";
    ASSERT_TRUE(Save({"http://site.test/shop/page.html", "http://site.test/shop/page.html",
                      "http://site.test/flash/main.swf", markup},
                     L"main"));

    ASSERT_TRUE(saver_->MovieSaved());
    const TBundleRecord& record = saver_->Record();
    const struct {
        const char* Path;
        std::string Bytes;
        const char* Where;
    } expected[] = {
        {"flash/main.swf", movie, ""},
        {"shop/data/list.xml", "<list/>", "FlashVars"},
        {"flash/clips/a.flv", "FLV", "FlashVars"},
        {"shop/settings.xml", "<settings/>", "DoAction"},
        {"cdn.test/lib/more.swf", more, "DoAction"},
        {"shop/img/a.png", "PNG", "DoABC"},
    };
    ASSERT_EQ(record.Files.size(), std::size(expected));
    for (const auto& e : expected) {
        const TBundleFile* f = FileAt(e.Path);
        ASSERT_NE(f, nullptr) << e.Path;
        EXPECT_EQ(InFolder(e.Path), e.Bytes) << e.Path;
        EXPECT_EQ(f->Size, e.Bytes.size()) << e.Path;
        EXPECT_EQ(f->Sha256, Sha256Hex(std::span(reinterpret_cast<const uint8_t*>(e.Bytes.data()), e.Bytes.size())));
        EXPECT_TRUE(f->FromCache) << e.Path;
        EXPECT_EQ(f->Where.rfind(e.Where, 0), 0u) << e.Path << ": " << f->Where;
    }
    EXPECT_EQ(FileAt("shop/img/a.png")->SeenIn, "http://cdn.test/lib/more.swf");
    EXPECT_EQ(FileAt("shop/img/a.png")->ContentType, "image/png");
    ASSERT_TRUE(FileAt("cdn.test/lib/more.swf")->Movie);
    EXPECT_EQ(FileAt("cdn.test/lib/more.swf")->Movie->Verdict, TMovieVerdict::Complete);
    ASSERT_EQ(record.Missing.size(), 1u);
    EXPECT_EQ(record.Missing[0].Address, "http://site.test/shop/missing.txt");
    EXPECT_EQ(record.Missing[0].Reason, Utf8("缓存中没有"));
    EXPECT_TRUE(record.Cuts.empty());

    // The page embeds the movie as the original did, from its own path; the
    // root page leads there; the record lies beside it.
    EXPECT_EQ(record.PagePath, "shop/page.html");
    const std::string page = InFolder("shop/page.html");
    for (const char* part : {"VALUE=\"../flash/main.swf\"", "transparent", "clips/a.flv", "data/list.xml"})
        EXPECT_NE(page.find(part), std::string::npos) << part << " not in:\n" << page;
    EXPECT_EQ(saver_->LeadingPage(), ToWide(out_) + L"main\\main.htm");
    EXPECT_NE(InFolder("main.htm").find("shop/page.html"), std::string::npos);
    EXPECT_NE(InFolder("record.json").find("\"sha256\""), std::string::npos);
}

TEST_F(Bundle, DownloadsWhatTheCacheLacksRecordsWhatNoneHasAndStopsAtTheFileBound)
{
    REQUIRE_HTTP_SERVER();
    ASSERT_TRUE(CreateDirectoryA(out_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((out_ + "main").c_str(), nullptr));  // taken: the save goes to "main (2)"
    const std::string page = ServerUrl("/site/page.html");
    const std::string movieUrl = ServerUrl("/site/main.swf");
    Cache(movieUrl, MovieNaming({"/notfound/gone.xml", "/binary/clip.dat?n=700", "/binary/third.dat?n=10"}),
          "application/x-shockwave-flash");
    TBundleOptions options;
    options.DownloadReferences = true;
    options.MaxFiles = 2;
    ASSERT_TRUE(Save({page, page, movieUrl, {}}, L"main", options));

    EXPECT_EQ(saver_->Folder(), ToWide(out_) + L"main (2)\\");
    const TBundleRecord& record = saver_->Record();
    ASSERT_EQ(record.Files.size(), 2u);
    const TBundleFile* clip = FileAt("binary/clip.dat@n=700");
    ASSERT_NE(clip, nullptr);
    EXPECT_FALSE(clip->FromCache);
    EXPECT_EQ(clip->ContentType, "application/x-shockwave-flash");
    EXPECT_EQ(InFolder("binary/clip.dat@n=700"), GeneratedBody(700));
    ASSERT_EQ(record.Missing.size(), 1u);
    EXPECT_EQ(record.Missing[0].Reference, "/notfound/gone.xml");
    EXPECT_EQ(record.Missing[0].Reason, Utf8("服务器回答 404"));
    EXPECT_EQ(InFolder("notfound/gone.xml"), "") << "a failed download leaves nothing";
    ASSERT_EQ(record.Cuts.size(), 1u) << "the third file is past the bound";
    EXPECT_EQ(InFolder("binary/third.dat@n=10"), "");
    // Without a page's markup the movie is embedded at its stage's size.
    EXPECT_NE(InFolder("site/page.html").find("550"), std::string::npos);

    // A movie the cache lacks, without downloads: nothing is left behind.
    ASSERT_TRUE(Save({page, page, ServerUrl("/site/absent.swf"), {}}, L"absent"));
    EXPECT_FALSE(saver_->MovieSaved());
    EXPECT_EQ(saver_->Failure(), "缓存中没有");
    EXPECT_FALSE(FileExists(out_ + "absent"));
}

}  // namespace
