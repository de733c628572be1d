#pragma once
// What the page-inspection tests share: a host that stands in for the main
// window (its own form, the hit-test state, the three options as plain flags,
// the toolbar, the preview window and a hidden browser, each browser answering
// through a fake dispatch object), recorders behind the hook-library and
// message-box seams, and a fixture that proves every test released what it
// took: no fixture COM reference and no wrapped handle outlives the test.
#include "Dialogs.h"
#include "DocumentOfWindow.h"
#include "FakeBrowser.h"
#include "FakeCom.h"
#include "FakePage.h"
#include "Get.h"
#include "HitTest.h"
#include "MapFileUnit.h"
#include "PageHost.h"
#include "TestSupport.h"
#include "View.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The hook library's calls in the order they came, "disable" and "enable",
// interleaved with whatever a test notes itself.
struct THookRecord {
    std::vector<std::string> Events;
    std::vector<HWND> EnabledFor;
    int Disables() const;
};
THookRecord& HookRecord();
bool __stdcall RecordEnableHook(HWND window);
bool __stdcall RecordDisableHook();

class TTestHost : public IPageHost {
public:
    TTestHost();
    ~TTestHost() override;
    TTestHost(const TTestHost&) = delete;
    TTestHost& operator=(const TTestHost&) = delete;

    HWND MainHandle() override { return Main->Handle(); }
    THitState& HitState() override { return Hit; }
    bool TransParentChecked() override { return TransParent; }
    bool FindIFrameChecked() override { return FindIFrame; }
    bool AutoOpenURLChecked() override { return AutoOpenURL; }
    TfrmGet* Toolbar() override { return HasToolbar ? Get : nullptr; }
    TfrmView* Preview() override { return View; }
    TWebBrowser* MainBrowser() override { return Browser; }

    // Drops both browsers' dispatch objects, so the fakes can count their references.
    void ReleaseBrowsers();

    THitState Hit;
    bool TransParent = false;
    bool FindIFrame = false;
    bool AutoOpenURL = false;
    bool HasToolbar = true;

    // Forms owned by the application, freed by the destructor.
    TForm* Main = nullptr;          // shown at MainBounds, off the fake page
    TCustomPanel* MainChild = nullptr;  // a child window covering its right half
    TfrmGet* Get = nullptr;
    TfrmView* View = nullptr;
    TWebBrowser* Browser = nullptr;  // owned by Main, never given a window

    TFakeBrowser MainBrowserFake;
    TFakeBrowser PreviewBrowserFake;

    static constexpr RECT MainBounds{760, 600, 960, 720};
};

// Window helpers.
RECT WindowRectOf(HWND h);
POINT TopLeft(const RECT& r);
bool Visible(HWND h);

// Posts a call to run the next time this thread dispatches messages: the way a
// test looks inside a message loop the code under test runs (the follow-up's wait).
void RunWhenDispatched(std::function<void()> call);
// Runs a call from a thread timer about ms later, when messages are dispatched.
void RunAfter(UINT ms, std::function<void()> call);
// Forgets the calls that never ran.
void CancelDispatchedCalls();

// Base fixture: COM for the thread, the recorders installed, a host, and one
// fake page at its default place (content window at screen 100,100-740,580).
// TearDown checks that neither the page nor the browsers hold a reference the
// test took, that no fixture object is left and that no wrapped handle was lost.
class InspectTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Screen point of a point in the page's content window.
    POINT OnPage(int x, int y) const { return POINT{pageRect_.left + x, pageRect_.top + y}; }
    // A report as the hook gives it, in screen coordinates.
    void Report(POINT p) { InspectPoint(*host_, p.x, p.y); }
    // The same, after forgetting the window last taken up, so the skip tests let
    // a report inside that window through.
    void ReportFresh(POINT p)
    {
        host_->Hit.LastWnd = nullptr;
        Report(p);
    }
    bool ToolbarShown() const { return Visible(host_->Get->Handle()); }
    POINT ToolbarTopLeft() const { return TopLeft(WindowRectOf(host_->Get->Handle())); }

    // Called for every message box instead of a person; answers IDOK.
    std::function<void(const TMessageBoxRequest&)> onBox_;
    std::vector<TMessageBoxRequest> boxes_;

    std::unique_ptr<TTestHost> host_;
    std::unique_ptr<TFakePage> page_;
    RECT pageRect_{};

private:
    int handlesBefore_ = 0;
    THookLibrary savedHook_{};
    TMessageBoxHook savedBoxHook_;
    std::string savedLibrary_;
};
