#include "PageTestHost.h"

#include "ExtCtrls.h"

#include <algorithm>
#include <deque>
#include <map>

// ================================================================== recorders

THookRecord& HookRecord()
{
    static THookRecord record;  // the seam is a plain function pointer
    return record;
}

int THookRecord::Disables() const
{
    return static_cast<int>(std::count(Events.begin(), Events.end(), std::string("disable")));
}

bool __stdcall RecordEnableHook(HWND window)
{
    HookRecord().Events.push_back("enable");
    HookRecord().EnabledFor.push_back(window);
    return true;
}

bool __stdcall RecordDisableHook()
{
    HookRecord().Events.push_back("disable");
    return true;
}

// ================================================================ TTestHost

namespace {

ComPtr<IDispatch> Keep(IDispatch* d)
{
    d->AddRef();
    return ComPtr<IDispatch>::Attach(d);
}

}  // namespace

TTestHost::TTestHost()
{
    Main = Application()->CreateForm<TForm>();
    Main->SetBorderStyle(TFormBorderStyle::bsNone);
    Main->SetBounds(MainBounds.left, MainBounds.top, MainBounds.right - MainBounds.left,
                    MainBounds.bottom - MainBounds.top);
    MainChild = new TPanel(Main);  // owned by the form
    MainChild->SetParent(Main);
    MainChild->SetBounds(100, 0, 100, 120);
    Browser = new TWebBrowser(Main);  // no parent: the fake is its only control
    Browser->SetControlDispatch(Keep(MainBrowserFake.Dispatch()));

    Get = Application()->CreateForm<TfrmGet>();
    Get->SetHitState(&Hit);
    View = Application()->CreateForm<TfrmView>();
    // Before the preview first shows: its browser window then finds a control
    // in place and creates none.
    View->WebBrowser1->SetControlDispatch(Keep(PreviewBrowserFake.Dispatch()));
    Main->Show();
}

TTestHost::~TTestHost()
{
    ReleaseBrowsers();
    View->Free();
    Get->Free();
    Main->Free();
}

void TTestHost::ReleaseBrowsers()
{
    Browser->SetControlDispatch({});
    View->WebBrowser1->SetControlDispatch({});
}

// ================================================================== helpers

RECT WindowRectOf(HWND h)
{
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

POINT TopLeft(const RECT& r) { return POINT{r.left, r.top}; }

bool Visible(HWND h) { return IsWindowVisible(h) != FALSE; }

namespace {

constexpr UINT kRunCall = WM_APP + 7;
std::deque<std::function<void()>> g_calls;

LRESULT CALLBACK ProbeProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != kRunCall) return DefWindowProcA(wnd, msg, wParam, lParam);
    try {
        if (!g_calls.empty()) {
            std::function<void()> call = std::move(g_calls.front());
            g_calls.pop_front();
            call();
        }
    } catch (...) {
        ADD_FAILURE() << "a dispatched test call raised an exception";
    }
    return 0;
}

HWND ProbeWindow()
{
    static HWND window = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &ProbeProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VendrakeInspectProbe";
        RegisterClassA(&wc);
        return CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                               nullptr);
    }();
    return window;
}

}  // namespace

void RunWhenDispatched(std::function<void()> call)
{
    g_calls.push_back(std::move(call));
    PostMessageA(ProbeWindow(), kRunCall, 0, 0);
}

namespace {

std::map<UINT_PTR, std::function<void()>> g_timed;

void CALLBACK RunTimed(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    const auto it = g_timed.find(id);
    if (it == g_timed.end()) return;
    std::function<void()> call = std::move(it->second);
    g_timed.erase(it);
    try {
        call();
    } catch (...) {
        ADD_FAILURE() << "a timed test call raised an exception";
    }
}

}  // namespace

void RunAfter(UINT ms, std::function<void()> call)
{
    const UINT_PTR id = SetTimer(nullptr, 0, ms, &RunTimed);
    if (id) g_timed[id] = std::move(call);
}

void CancelDispatchedCalls()
{
    g_calls.clear();
    for (const auto& timed : g_timed) KillTimer(nullptr, timed.first);
    g_timed.clear();
}

// ============================================================== InspectTest

namespace {

// What lives once per process (the application's window and the like) is made
// before the first test counts handles.
class TMakeProcessObjects : public ::testing::Environment {
public:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            TTestHost host;
            host.View->Show();
            host.Get->Show();
        }
        PumpPending();
        CoUninitialize();
    }
};

[[maybe_unused]] ::testing::Environment* const g_processObjects =
    ::testing::AddGlobalTestEnvironment(new TMakeProcessObjects);

}  // namespace

void InspectTest::SetUp()
{
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    PumpPending();
    TBitmap::FreeKeptSections();  // only the handles in use are compared
    handlesBefore_ = LiveHandlesTotal();
    HookRecord() = {};
    savedHook_ = HookLibrary();
    HookLibrary() = THookLibrary{&RecordEnableHook, &RecordDisableHook};
    savedLibrary_ = AccessibilityLibraryName();
    savedBoxHook_ = SetMessageBoxHook([this](const TMessageBoxRequest& r) {
        boxes_.push_back(r);
        if (onBox_) onBox_(r);
        return IDOK;
    });
    host_ = std::make_unique<TTestHost>();
    page_ = std::make_unique<TFakePage>();
    page_->SetUrl(L"http://127.0.0.1/page/index.html");
    pageRect_ = page_->ScreenRect();
}

void InspectTest::TearDown()
{
    CancelDispatchedCalls();
    ClipCursor(nullptr);
    if (host_) {
        host_->ReleaseBrowsers();
        EXPECT_EQ(host_->MainBrowserFake.LiveReferences(), 0) << "the hidden browser's control kept a reference";
        EXPECT_EQ(host_->PreviewBrowserFake.LiveReferences(), 0) << "the preview's control kept a reference";
    }
    if (page_) {
        EXPECT_EQ(page_->LiveReferences(), 0) << "the inspection kept a reference to the page";
    }
    host_.reset();
    page_.reset();
    PumpPending();
    EXPECT_EQ(FakeComObjectsAlive(), 0) << "a fixture object outlived its page";
    TBitmap::FreeKeptSections();
    EXPECT_EQ(LiveHandlesTotal(), handlesBefore_) << "wrapped handles were lost";
    SetMessageBoxHook(std::move(savedBoxHook_));
    AccessibilityLibraryName() = savedLibrary_;
    HookLibrary() = savedHook_;
    Application()->ResetTerminated();
    CoUninitialize();
}
