// The document of a content window: the real Active Accessibility route
// against the fake page, the two boxes about a broken accessibility library,
// and the windows that give no document.
#include "PageTestHost.h"

namespace {

constexpr char kInstallText[] = "请您安装Microsoft Active Accessibility";
constexpr char kLoadText[] = "载入dll出错!";

class DocumentOfWindow : public InspectTest {};

TEST_F(DocumentOfWindow, ContentWindowGivesItsOwnDocument)
{
    {
        const ComPtr<IHTMLDocument2> document = GetDocumentOfWindow(page_->ContentWindow());
        ASSERT_TRUE(document);
        // The script window's document: here the page's own object.
        EXPECT_EQ(document.get(), page_->Document());
        EXPECT_EQ(page_->Calls(TDomCall::Script), 1);
        EXPECT_EQ(page_->Calls(TDomCall::Document), 1);
        EXPECT_EQ(page_->LiveReferences(), 1) << "only the returned document may stay referenced";
    }
    EXPECT_EQ(page_->LiveReferences(), 0);
    EXPECT_EQ(page_->GetObjectRequests(), 1);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(DocumentOfWindow, OtherWindowsAndEmptyAnswersGiveNone)
{
    // The page's frame window is no content window: it answers the request with 0.
    EXPECT_FALSE(GetDocumentOfWindow(page_->TopWindow()));
    EXPECT_FALSE(GetDocumentOfWindow(host_->Main->Handle()));
    EXPECT_FALSE(GetDocumentOfWindow(nullptr));
    EXPECT_EQ(page_->GetObjectRequests(), 0);

    page_->SetAnswer(TGetObjectAnswer::Zero);
    EXPECT_FALSE(GetDocumentOfWindow(page_->ContentWindow()));
    EXPECT_EQ(page_->GetObjectRequests(), 1);
    EXPECT_EQ(page_->Calls(TDomCall::Script), 0);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(DocumentOfWindow, FailingScriptOrWindowDocumentGivesNone)
{
    struct TCase {
        TDomCall call;
        HRESULT hr;
    };
    // S_FALSE: the call succeeded and gave nothing, which is no document either.
    for (const TCase c : {TCase{TDomCall::Script, E_FAIL}, TCase{TDomCall::Script, S_FALSE},
                          TCase{TDomCall::Document, E_ACCESSDENIED}, TCase{TDomCall::Document, S_FALSE}}) {
        SCOPED_TRACE(static_cast<int>(c.call));
        page_->FailCall(c.call, c.hr);
        EXPECT_FALSE(GetDocumentOfWindow(page_->ContentWindow()));
        EXPECT_EQ(page_->LiveReferences(), 0) << "a failed lookup kept an intermediate reference";
        page_->FailCall(c.call, S_OK);
    }
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(GetDocumentOfWindow(page_->ContentWindow())) << "the page answers again";
}

TEST_F(DocumentOfWindow, MissingLibraryIsToldAtEveryCall)
{
    AccessibilityLibraryName() = "vendrake-no-such-oleacc.dll";
    EXPECT_FALSE(GetDocumentOfWindow(page_->ContentWindow()));
    EXPECT_FALSE(GetDocumentOfWindow(page_->ContentWindow()));
    ASSERT_EQ(boxes_.size(), 2u);
    for (const TMessageBoxRequest& box : boxes_) {
        EXPECT_EQ(box.Text, kInstallText);
        EXPECT_EQ(box.Flags, static_cast<UINT>(MB_OK));
    }
    EXPECT_EQ(page_->GetObjectRequests(), 0) << "nothing is asked without the library";

    // Every report over a browser window tells it once; reports the skip tests
    // end tell nothing.
    boxes_.clear();
    Report(OnPage(50, 50));
    EXPECT_EQ(boxes_.size(), 1u);
    Report(OnPage(60, 60));
    EXPECT_EQ(boxes_.size(), 1u);
    ReportFresh(OnPage(60, 60));
    EXPECT_EQ(boxes_.size(), 2u);
    EXPECT_FALSE(ToolbarShown());
}

TEST_F(DocumentOfWindow, LibraryWithoutObjectFromLresultIsToldAndReleased)
{
    AccessibilityLibraryName() = "kernel32.dll";
    EXPECT_FALSE(GetDocumentOfWindow(page_->ContentWindow()));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Text, kLoadText);

    // A library nobody else holds shows whether the call let it go again.
    constexpr char kUnused[] = "wldap32.dll";
    ASSERT_EQ(GetModuleHandleA(kUnused), nullptr) << "pick a library this process does not use";
    AccessibilityLibraryName() = kUnused;
    EXPECT_FALSE(GetDocumentOfWindow(page_->ContentWindow()));
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1].Text, kLoadText);
    EXPECT_EQ(GetModuleHandleA(kUnused), nullptr) << "the library stayed loaded";
    EXPECT_EQ(page_->GetObjectRequests(), 0);
}

TEST_F(DocumentOfWindow, HungWindowIsWaitedForAtMostOneSecond)
{
    TFakePageOptions options;
    options.screen = RECT{780, 100, 1000, 300};
    options.answer = TGetObjectAnswer::Hang;
    TFakePage hung(options);
    for (int i = 0; i < 2; ++i) {
        const DWORD start = GetTickCount();
        EXPECT_FALSE(GetDocumentOfWindow(hung.ContentWindow()));
        const ULONGLONG elapsed = GetTickCount() - start;
        EXPECT_LE(elapsed, DocumentRequestTimeoutMs + 250) << "call " << i;
        RecordProperty(i == 0 ? "first_hung_call_ms" : "second_hung_call_ms", static_cast<int>(elapsed));
    }
    // Through the hit test: the toolbar goes, nothing is recorded, no box.
    host_->Hit.MoviePath = "kept.swf";
    const DWORD start = GetTickCount();
    Report(POINT{850, 150});
    EXPECT_LE(GetTickCount() - start, DocumentRequestTimeoutMs + 250);
    EXPECT_EQ(host_->Hit.LastWnd, hung.ContentWindow());
    EXPECT_EQ(host_->Hit.MoviePath, "kept.swf");
    EXPECT_FALSE(ToolbarShown());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_GE(hung.GetObjectRequests(), 1);
}

}  // namespace
