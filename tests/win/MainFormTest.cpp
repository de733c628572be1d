// The main window created in the test process, with the hook library, the
// notification-area icon and the message boxes replaced by recorders.
#include "FetchFakeCache.h"
#include "FetchTestSupport.h"
#include "Get.h"
#include "MovieMaker.h"
#include "Product.h"
#include "TestSupport.h"
#include "View.h"
#include "WideText.h"
#include "main.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

namespace {

struct TIconCall {
    DWORD Message;
    NOTIFYICONDATAW Data;
    bool WindowAlive;
};

// Recorders behind the seams; plain statics because the seams are plain function pointers.
std::vector<TIconCall> g_iconCalls;
std::vector<HWND> g_enableCalls;
int g_disableCalls = 0;
bool g_hookResult = true;
std::vector<UINT> g_beeps;

BOOL WINAPI RecordBeep(UINT type)
{
    g_beeps.push_back(type);
    return TRUE;
}

BOOL WINAPI RecordIcon(DWORD message, PNOTIFYICONDATAW data)
{
    g_iconCalls.push_back({message, *data, IsWindow(data->hWnd) != FALSE});
    return TRUE;
}

bool __stdcall FakeEnable(HWND window)
{
    g_enableCalls.push_back(window);
    return g_hookResult;
}

bool __stdcall FakeDisable()
{
    ++g_disableCalls;
    return g_hookResult;
}

void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EndMenu();
}

void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        Application()->ProcessMessages();
        Sleep(1);
    } while (GetTickCount() - start < ms);
}

std::string WindowText(HWND h)
{
    char text[256] = {};
    GetWindowTextA(h, text, sizeof(text));
    return text;
}

RECT WindowRect(HWND h)
{
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

class MainForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_iconCalls.clear();
        g_enableCalls.clear();
        g_disableCalls = 0;
        g_hookResult = true;
        g_beeps.clear();
        savedBeep_ = TfrmMain::Beep;
        TfrmMain::Beep = &RecordBeep;
        savedIcon_ = TfrmMain::NotifyIcon;
        TfrmMain::NotifyIcon = &RecordIcon;
        savedShellVersion_ = TfrmMain::ShellVersion;
        savedHook_ = HookLibrary();
        HookLibrary() = THookLibrary{&FakeEnable, &FakeDisable};
        SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            boxes_.push_back(r);
            return IDOK;
        });
    }

    void TearDown() override
    {
        FreeForms();
        SetMessageBoxHook(nullptr);
        HookLibrary() = savedHook_;
        TfrmMain::NotifyIcon = savedIcon_;
        TfrmMain::ShellVersion = savedShellVersion_;
        TfrmMain::Beep = savedBeep_;
        Application()->ResetTerminated();
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {}
    }

    TfrmMain* Create()
    {
        form_ = Application()->CreateForm<TfrmMain>();
        form_->Timer1->SetEnabled(false);  // the shrink test runs it by hand
        return form_;
    }

    void CreateToolbar()
    {
        toolbar_ = Application()->CreateForm<TfrmGet>();
        toolbar_->SetHitState(&form_->Hit);
        form_->SetToolbar(toolbar_);
    }

    void FreeForms()
    {
        if (toolbar_) toolbar_->Free();
        if (form_) form_->Free();
        toolbar_ = nullptr;
        form_ = nullptr;
    }

    // A press and release of the left button over a skinned button.
    static void ClickButton(TWinControl* button)
    {
        SendMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        SendMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    }

    void HookReport(int x, int y)
    {
        ASSERT_NE(MouseShare, nullptr);
        MouseShare->X = x;
        MouseShare->Y = y;
        SendMessageA(form_->Handle(), HookMessage, 0, 0);
    }

    // Zelpo.dll itself, as the program links it.
    void UseRealHookLibrary() { HookLibrary() = savedHook_; }

    TfrmMain* form_ = nullptr;
    TfrmGet* toolbar_ = nullptr;
    std::vector<TMessageBoxRequest> boxes_;

private:
    TfrmMain::TNotifyIconCall savedIcon_ = nullptr;
    TfrmMain::TBeepCall savedBeep_ = nullptr;
    TfrmMain::TShellVersionCall savedShellVersion_ = nullptr;
    THookLibrary savedHook_{};
};

TEST_F(MainForm, StartsInTheBottomRightCornerWithIconTitleAndHook)
{
    TfrmMain* f = Create();
    HWND h = f->Handle();
    const RECT r = WindowRect(h);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN) - 20);
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN) - 50);
    // 118 pixels lower than designed; HitRect holds the designed window rectangle.
    EXPECT_EQ(f->Hit.HitRect.left, 361);
    EXPECT_EQ(f->Hit.HitRect.top, 175);
    EXPECT_EQ((r.bottom - r.top) + 118, f->Hit.HitRect.bottom - f->Hit.HitRect.top);
    EXPECT_EQ(r.right - r.left, f->Hit.HitRect.right - f->Hit.HitRect.left);
    RECT client{};
    GetClientRect(h, &client);
    EXPECT_EQ(client.right, 290);
    EXPECT_EQ(RestoreBounds, (TBoundsI{r.left, r.top, r.right - r.left, r.bottom - r.top}));
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);

    ASSERT_EQ(g_iconCalls.size(), 1u);
    const NOTIFYICONDATAW& icon = g_iconCalls[0].Data;
    EXPECT_EQ(g_iconCalls[0].Message, static_cast<DWORD>(NIM_ADD));
    // Shell 5 and later (2000 on) take the second record; shell 4 only the first.
    EXPECT_GE(ShellMajorVersion(), 5u);
    EXPECT_EQ(icon.cbSize, NOTIFYICONDATAW_V2_SIZE);
    EXPECT_EQ(TrayRecordSize(4), NOTIFYICONDATAW_V1_SIZE);
    EXPECT_EQ(icon.hWnd, h);
    EXPECT_EQ(icon.uID, 200u);
    EXPECT_EQ(icon.uFlags, 7u);
    EXPECT_EQ(icon.uCallbackMessage, 0x420u);
    EXPECT_NE(icon.hIcon, nullptr);
    EXPECT_EQ(icon.szTip, ToWide(ProductCaption));

    EXPECT_EQ(Application()->Title(), ProductCaption);
    EXPECT_EQ(WindowText(h), ProductCaption);
    ASSERT_EQ(g_enableCalls.size(), 1u);
    EXPECT_EQ(g_enableCalls[0], h);
    EXPECT_NE(MouseShare, nullptr);
    EXPECT_EQ(HookMessage, RegisterWindowMessageA("WM_QUORVEL"));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainForm, LayoutKeepsDesignedPlacesAndTabOrder)
{
    TfrmMain* f = Create();
    // The skinned frame: 288 wide inside a one-pixel border, the designed
    // 326 high client area less the 118 pixels cut at start.
    EXPECT_EQ(f->Width(), 290);
    EXPECT_EQ(f->Height(), 326 - DesignedHeightCut);
    EXPECT_EQ(f->suiForm1->Left(), 1);
    EXPECT_EQ(f->suiForm1->Width(), 288);
    EXPECT_EQ(f->suiForm1->UIStyle(), TsuiUIStyle::MacOS);
    TsuiTitleBarButtons& buttons = f->suiForm1->TitleBar().Buttons();
    ASSERT_EQ(buttons.Count(), 3);
    EXPECT_EQ(buttons.Items(0)->ButtonType(), TsuiTitleBarBtnType::suiControlBox);
    EXPECT_EQ(buttons.Items(1)->ButtonType(), TsuiTitleBarBtnType::suiClose);
    EXPECT_EQ(buttons.Items(2)->ButtonType(), TsuiTitleBarBtnType::suiMin);
    EXPECT_EQ(buttons.Items(1)->Top(), 4);
    EXPECT_EQ(f->btnSrc->Caption(), "停止(&S)");
    EXPECT_EQ(f->btnAbout->Left(), 98);
    EXPECT_EQ(f->btnQuit->Left(), 186);
    EXPECT_EQ(f->cbFindIFRame->Parent(), f->GroupBox2);
    EXPECT_EQ(f->cbAutoOpenURL->Top(), 80);
    // Tab order inside the option group: TransParent, For3721, FindIFRame, AutoOpenURL.
    HWND group = f->GroupBox2->Handle();
    HWND first = GetNextDlgTabItem(group, nullptr, FALSE);
    EXPECT_EQ(first, f->cbTransParent->Handle());
    EXPECT_EQ(GetNextDlgTabItem(group, f->cbTransParent->Handle(), FALSE), f->cbFor3721->Handle());
    EXPECT_EQ(GetNextDlgTabItem(group, f->cbFor3721->Handle(), FALSE), f->cbFindIFRame->Handle());
    EXPECT_EQ(GetNextDlgTabItem(group, f->cbFindIFRame->Handle(), FALSE), f->cbAutoOpenURL->Handle());
    for (TsuiCheckBox* c : {f->cbTransParent, f->cbFor3721, f->cbFindIFRame, f->cbAutoOpenURL}) {
        EXPECT_FALSE(c->Checked());
        EXPECT_EQ(c->UIStyle(), TsuiUIStyle::MacOS);
        EXPECT_TRUE(c->AutoSize());
    }
    // The skinned operations box and its buttons, About first in tab order.
    EXPECT_EQ(f->GroupBox1->UIStyle(), TsuiUIStyle::MacOS);
    EXPECT_EQ(f->GroupBox1->BorderColor(), 0x7F7F7Fu);
    EXPECT_EQ(f->GroupBox1->Caption(), "操作");
    EXPECT_EQ(f->GroupBox1->FindNextControl(nullptr, true), f->btnAbout);
    EXPECT_EQ(f->GroupBox1->FindNextControl(f->btnAbout, true), f->btnSrc);
    EXPECT_EQ(f->GroupBox1->FindNextControl(f->btnSrc, true), f->btnQuit);
    for (TsuiButton* b : {f->btnAbout, f->btnSrc, f->btnQuit}) {
        EXPECT_EQ(b->UIStyle(), TsuiUIStyle::MacOS);
        EXPECT_TRUE(b->Transparent());
        EXPECT_EQ(b->Width(), 75);
        EXPECT_EQ(b->Height(), 25);
    }
    // The preview group lies below the visible client area.
    EXPECT_GE(f->GroupBox3->ClientOrigin().y, WindowRect(f->Handle()).bottom);
}

TEST_F(MainForm, HookReportShowsPositionInCaptionButNotInIconOrTitle)
{
    TfrmMain* f = Create();
    HookReport(120, 45);
    EXPECT_EQ(f->suiForm1->Caption(), "鼠标位置: X = 120, Y = 45");
    EXPECT_EQ(WindowText(f->Handle()), "鼠标位置: X = 120, Y = 45");
    EXPECT_EQ(Application()->Title(), ProductCaption);
    EXPECT_EQ(g_iconCalls.size(), 1u);  // no modify: the tip keeps the product caption

    HookReport(-5, -300);
    EXPECT_EQ(WindowText(f->Handle()), "鼠标位置: X = -5, Y = -300");
    // The caption is code page 936: the first character is two bytes.
    EXPECT_EQ(static_cast<unsigned char>(f->Caption()[0]), 0xCA);
    EXPECT_EQ(static_cast<unsigned char>(f->Caption()[1]), 0xF3);
}

TEST_F(MainForm, HookMessagesChangeNothingWithoutTheSharedRecord)
{
    TfrmMain* f = Create();
    TMouseShare* mapped = MouseShare;
    MouseShare = nullptr;
    SendMessageA(f->Handle(), HookMessage, 0, 0);
    EXPECT_EQ(WindowText(f->Handle()), ProductCaption);
    MouseShare = mapped;
}

TEST_F(MainForm, StartStopAlternatesByCaption)
{
    TfrmMain* f = Create();
    f->Show();  // a button takes clicks only while it can be seen
    ClickButton(f->btnSrc);
    EXPECT_EQ(f->btnSrc->Caption(), "开始(&S)");
    EXPECT_EQ(g_disableCalls, 1);
    ClickButton(f->btnSrc);
    EXPECT_EQ(f->btnSrc->Caption(), "停止(&S)");
    ASSERT_EQ(g_enableCalls.size(), 2u);
    EXPECT_EQ(g_enableCalls[1], f->Handle());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainForm, FailingHookLibraryShowsBoxesAndCaptionChangesAnyway)
{
    g_hookResult = false;
    TfrmMain* f = Create();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Text, "Enable Mouse Hook failed.");
    EXPECT_EQ(boxes_[0].Caption, ProductCaption);
    EXPECT_EQ(boxes_[0].Flags & MB_TYPEMASK, static_cast<UINT>(MB_OK));

    f->btnSrc->Click();
    EXPECT_EQ(f->btnSrc->Caption(), "开始(&S)");
    f->btnSrc->Click();
    EXPECT_EQ(f->btnSrc->Caption(), "停止(&S)");
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_EQ(boxes_[1].Text, "Disable Mouse Hook failed.");
    EXPECT_EQ(boxes_[2].Text, "Enable Mouse Hook failed.");
}

TEST_F(MainForm, ShrinkThenTrayLeftButtonRestoresAtFormerPlace)
{
    TfrmMain* f = Create();
    f->Show();
    const RECT before = WindowRect(f->Handle());
    f->Timer1->SetEnabled(true);
    f->Timer1Timer(f->Timer1);
    EXPECT_FALSE(f->Timer1->Enabled());
    EXPECT_EQ(RestoreBounds, (TBoundsI{before.left, before.top, before.right - before.left, before.bottom - before.top}));
    // Minimised, off the taskbar, the main window hidden with the application.
    EXPECT_TRUE(IsIconic(Application()->Handle()));
    EXPECT_FALSE(IsWindowVisible(Application()->Handle()));
    EXPECT_FALSE(IsWindowVisible(f->Handle()));
    // Thirty steps: the size ends as the remainders of the size divided by 30,
    // nothing of the form's minimum width holding the borderless window back.
    const RECT shrunk = WindowRect(f->Handle());
    const int W = before.right - before.left, H = before.bottom - before.top;
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(shrunk.left, before.left + 30 * ((sw - before.left) / 30));
    EXPECT_EQ(shrunk.top, before.top + 30 * ((sh - before.top) / 30));
    EXPECT_EQ(shrunk.right - shrunk.left, W % 30);
    EXPECT_EQ(shrunk.bottom - shrunk.top, H % 30);

    SendMessageA(f->Handle(), WM_TRAYNOTIFY, TrayIconId, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(f->Handle()));
    EXPECT_TRUE(IsWindowVisible(Application()->Handle()));
    EXPECT_FALSE(IsIconic(Application()->Handle()));
    const RECT after = WindowRect(f->Handle());
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
}

TEST_F(MainForm, SettingsMenuItemRestoresLikeTheLeftButton)
{
    TfrmMain* f = Create();
    f->Show();
    RestoreBounds = TBoundsI{300, 200, 296, 240};
    Application()->Minimize();
    EXPECT_FALSE(IsWindowVisible(Application()->Handle()));
    f->Q1->Click();
    EXPECT_TRUE(IsWindowVisible(f->Handle()));
    const RECT r = WindowRect(f->Handle());
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(r.right - r.left, 296);
    EXPECT_EQ(r.bottom - r.top, 240);
}

TEST_F(MainForm, TrayRightButtonOpensMenuAtCursor)
{
    TfrmMain* f = Create();
    f->Show();
    SetCursorPos(300, 200);
    POINT at{-1, -1};
    f->PopupMenu1->OnPopup = [&](TObject*) {
        at = f->PopupMenu1->PopupPoint();
        // Close the modal menu from inside its loop.
        SetTimer(nullptr, 0, 30, &EndMenuSoon);
    };
    SendMessageA(f->Handle(), WM_TRAYNOTIFY, TrayIconId, WM_RBUTTONDOWN);
    EXPECT_EQ(at.x, 300);
    EXPECT_EQ(at.y, 200);
    // Other mouse messages do nothing.
    at = POINT{-1, -1};
    SendMessageA(f->Handle(), WM_TRAYNOTIFY, TrayIconId, WM_MOUSEMOVE);
    EXPECT_EQ(at.x, -1);
    // The whole-page grab first, greyed while no page has been under the cursor.
    ASSERT_EQ(f->PopupMenu1->Items()->Count(), 4);
    EXPECT_EQ(f->PopupMenu1->Items()->Items(0)->Caption(), "抓取整页Flash(&A)...");
    EXPECT_FALSE(f->PopupMenu1->Items()->Items(0)->Enabled());
    EXPECT_EQ(f->PopupMenu1->Items()->Items(1)->Caption(), "设置(&Q)");
    EXPECT_TRUE(f->PopupMenu1->Items()->Items(2)->IsLine());
    EXPECT_EQ(f->PopupMenu1->Items()->Items(3)->Caption(), "退出(&H)");
}

// Closes the open menu once both items have been drawn (or after a second).
std::function<bool()> g_menuDone;
int g_menuTicks = 0;
void CALLBACK EndMenuWhenDone(HWND, UINT, UINT_PTR id, DWORD)
{
    if ((g_menuDone && g_menuDone()) || ++g_menuTicks > 100) {
        KillTimer(nullptr, id);
        EndMenu();
    }
}

TEST_F(MainForm, TrayMenuIsSkinnedWithItsStoredValuesAndItsItemsHaveThoseHeights)
{
    TfrmMain* f = Create();
    TsuiPopupMenu* m = f->PopupMenu1;
    EXPECT_EQ(m->UIStyle(), TsuiUIStyle::DeepBlue);
    EXPECT_TRUE(m->OwnerDraw());
    EXPECT_EQ(m->MenuItemHeight(), 21);
    EXPECT_EQ(m->SeparatorHeight(), 5);
    EXPECT_EQ(m->BarWidth(), 26);
    EXPECT_EQ(m->BarColor(), 0xCED3D6u);
    EXPECT_EQ(m->Color(), clWhite);
    EXPECT_EQ(m->SeparatorColor(), 0x848284u);
    EXPECT_EQ(m->SelectedBorderColor(), 0xA04A44u);
    EXPECT_EQ(m->SelectedColor(), 0xA04A44u);
    EXPECT_EQ(m->SelectedFontColor(), clWhite);
    EXPECT_EQ(m->FontColor(), clBlack);
    EXPECT_EQ(m->BorderColor(), clBlack);
    EXPECT_FALSE(m->FlatMenu());
    EXPECT_EQ(m->FontName(), "MS Sans Serif");
    EXPECT_EQ(m->FontSize(), 8);
    EXPECT_EQ(m->FontCharset(), DEFAULT_CHARSET);
    EXPECT_TRUE(m->UseSystemFont());

    // Opened for real: the system lays the items out by the measured heights.
    f->Show();
    std::map<TMenuItem*, RECT> drawn;
    for (TMenuItem* item : {f->Q1, f->N1, f->H1}) {
        ASSERT_TRUE(item->OnDrawItem) << item->Name() << " got no draw handler when the form loaded";
        item->OnDrawItem = [&drawn, item, skinned = item->OnDrawItem](TObject* s, TCanvas& c, RECT r, bool sel) {
            drawn[item] = r;
            skinned(s, c, r, sel);
        };
    }
    g_menuDone = [&] { return drawn.count(f->Q1) && drawn.count(f->H1); };
    g_menuTicks = 0;
    SetTimer(nullptr, 0, 10, &EndMenuWhenDone);
    m->Popup(200, 200);
    g_menuDone = nullptr;
    ASSERT_TRUE(drawn.count(f->Q1) && drawn.count(f->H1)) << "the menu drew no items";
    EXPECT_EQ(drawn[f->Q1].bottom - drawn[f->Q1].top, 21);
    EXPECT_EQ(drawn[f->H1].bottom - drawn[f->H1].top, 21);
    EXPECT_EQ(drawn[f->H1].top - drawn[f->Q1].bottom, 5) << "the separator is not 5 pixels high";
}

TEST_F(MainForm, AboutButtonOpensTheToolbarHelpBox)
{
    TfrmMain* f = Create();
    CreateToolbar();
    f->Show();
    toolbar_->Show();
    ClickButton(f->btnAbout);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Text, ToolbarHelpText());
    EXPECT_EQ(boxes_[0].Caption, ToolbarHelpCaption());
    EXPECT_EQ(boxes_[0].Owner, toolbar_->Handle());
    EXPECT_EQ(boxes_[0].Flags, 0x40u);
    EXPECT_FALSE(IsWindowVisible(toolbar_->Handle()));
}

TEST_F(MainForm, AboutWithoutToolbarDoesNothing)
{
    TfrmMain* f = Create();
    f->btnAbout->Click();
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainForm, CloseRemovesIconBeforeWindowIsDestroyedThenShutsDown)
{
    TfrmMain* f = Create();
    f->Show();
    const HWND h = f->Handle();
    ClickButton(f->btnQuit);
    ASSERT_EQ(g_iconCalls.size(), 2u);
    EXPECT_EQ(g_iconCalls[1].Message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(g_iconCalls[1].Data.uID, 200u);
    EXPECT_EQ(g_iconCalls[1].Data.hWnd, h);
    EXPECT_TRUE(g_iconCalls[1].WindowAlive);
    Application()->ProcessMessages();
    EXPECT_TRUE(Application()->Terminated());

    const int disablesBefore = g_disableCalls;
    FreeForms();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(g_disableCalls, disablesBefore + 1);
    EXPECT_EQ(MouseShare, nullptr);
    EXPECT_EQ(MouseMapHandle, nullptr);
}

TEST_F(MainForm, RestartedShellGetsTheIconBack)
{
    TfrmMain* f = Create();
    HookReport(10, 20);  // the window caption is the cursor position now
    SendMessageA(f->Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ASSERT_EQ(g_iconCalls.size(), 2u);
    EXPECT_EQ(g_iconCalls[1].Message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(g_iconCalls[1].Data.uID, 200u);
    EXPECT_EQ(g_iconCalls[1].Data.szTip, ToWide(ProductCaption));
}

TEST_F(MainForm, ExitMenuItemCloses)
{
    TfrmMain* f = Create();
    f->H1->Click();
    ASSERT_EQ(g_iconCalls.size(), 2u);
    EXPECT_EQ(g_iconCalls[1].Message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(MainForm, ManyHookReportsLeakNoHandles)
{
    TfrmMain* f = Create();
    f->Show();
    HookReport(1, 1);
    Pump(20);
    const int before = LiveHandlesTotal();
    for (int i = 0; i < 2000; ++i) HookReport(i % 1024, i % 768);
    Pump(20);
    EXPECT_EQ(LiveHandlesTotal(), before);
}

TEST_F(MainForm, StopThenQuitWithTheRealHookLibraryShowsNoBox)
{
    UseRealHookLibrary();
    for (const int clicks : {1, 2}) {  // Stop then Quit; Stop, Start, then Quit
        SCOPED_TRACE(clicks);
        TfrmMain* f = Create();
        f->Show();
        for (int i = 0; i < clicks; ++i) SendMessageA(f->btnSrc->Handle(), BM_CLICK, 0, 0);
        EXPECT_EQ(f->btnSrc->Caption(), clicks == 1 ? "开始(&S)" : "停止(&S)");
        SendMessageA(f->btnQuit->Handle(), BM_CLICK, 0, 0);
        Application()->ProcessMessages();
        FreeForms();
        Application()->ResetTerminated();
        EXPECT_TRUE(boxes_.empty()) << boxes_[0].Text;
    }
}

TEST_F(MainForm, ToolbarAndPreviewFollowTheHitTestAcrossMinimiseAndRestore)
{
    TfrmMain* f = Create();
    CreateToolbar();
    auto* preview = Application()->CreateForm<TfrmView>();
    f->SetPreview(preview);
    f->Show();
    toolbar_->Show();
    preview->Show();

    Application()->Minimize();
    EXPECT_FALSE(IsWindowVisible(f->Handle()));
    EXPECT_TRUE(IsWindowVisible(toolbar_->Handle())) << "the toolbar left with the minimised program";
    // While minimised: the hit test hides the toolbar, a follow-up shows the preview again.
    toolbar_->Hide();
    preview->Show();
    EXPECT_TRUE(IsWindowVisible(preview->Handle()));

    SendMessageA(f->Handle(), WM_TRAYNOTIFY, TrayIconId, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(f->Handle()));
    EXPECT_FALSE(IsWindowVisible(toolbar_->Handle())) << "restore brought back a toolbar the hit test hid";
    EXPECT_TRUE(IsWindowVisible(preview->Handle()));
    // The toolbar's flag and window agree: the next show and hide work.
    toolbar_->Show();
    EXPECT_TRUE(IsWindowVisible(toolbar_->Handle()));
    toolbar_->Hide();
    EXPECT_FALSE(IsWindowVisible(toolbar_->Handle()));
    preview->Free();
}

// The save flow against the loopback server and the fake URL cache: what the
// user hears or reads once the file is there.
class SaveFlow : public MainForm {
protected:
    void SetUp() override
    {
        MainForm::SetUp();
        TSaveDialog::SetHook([this](TSaveDialog& d) {
            suggested_ = d.FileName;
            shownType_ = d.FilterIndex;
            d.FileName = target_;
            if (chosenType_) d.FilterIndex = chosenType_;
            return true;
        });
    }

    void TearDown() override
    {
        TSaveDialog::SetHook(nullptr);
        UninstallFakeCache();
        MainForm::TearDown();
    }

    // Saves the movie at url (a server path when downloading, unless a page is
    // given that url is written in) into target_; true once the beep or a box
    // has come.
    bool Save(const std::string& url, bool download, const std::string& page = {})
    {
        TfrmMain* f = form_ ? form_ : Create();
        f->cbFor3721->SetChecked(download);
        f->Hit.PageURL = page.empty() ? "http://127.0.0.1/page.htm" : page;
        f->Hit.MoviePath = download && page.empty() ? ServerUrl(url) : url;
        boxes_.clear();
        f->SaveMovie();
        return PumpUntil([&] { return !g_beeps.empty() || !boxes_.empty(); }, 25000);
    }

    void ExpectOneBoxSaying(std::initializer_list<std::string> parts)
    {
        ASSERT_EQ(boxes_.size(), 1u);
        for (const std::string& part : parts)
            EXPECT_NE(boxes_[0].Text.find(part), std::string::npos) << "no \"" << part << "\" in: " << boxes_[0].Text;
        EXPECT_TRUE(g_beeps.empty());
        EXPECT_TRUE(Balloons().empty()) << "a balloon for a file that is no whole movie";
    }

    // The balloons shown since the last call, as the shell received them.
    static std::vector<NOTIFYICONDATAW> Balloons()
    {
        std::vector<NOTIFYICONDATAW> shown;
        for (const TIconCall& c : g_iconCalls)
            if (c.Message == NIM_MODIFY && (c.Data.uFlags & NIF_INFO)) shown.push_back(c.Data);
        g_iconCalls.clear();
        return shown;
    }

    // One balloon with title over a text that begins with textStart.
    static void ExpectOneBalloon(const std::string& title, const std::string& textStart)
    {
        const std::vector<NOTIFYICONDATAW> shown = Balloons();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].cbSize, NOTIFYICONDATAW_V2_SIZE);
        EXPECT_EQ(shown[0].uID, TrayIconId);
        EXPECT_EQ(shown[0].uFlags, static_cast<UINT>(NIF_INFO));
        EXPECT_EQ(ToNarrow(shown[0].szInfoTitle), title);
        const std::string text = ToNarrow(shown[0].szInfo);
        EXPECT_EQ(text.rfind(textStart, 0), 0u) << text;
    }

    TScratchDir dir_;
    // A name with a character code page 936 lacks: the file must still be made
    // under exactly that name; the texts about it may show "?" in its place.
    std::wstring target_ = ToWide(dir_.File("saved"), CP_ACP) + L"\u0151.swf";
    std::wstring suggested_;  // the name the dialog came up with
    int shownType_ = 0;       // the file type it came up with
    int chosenType_ = 0;      // the file type the user picks; 0: as shown
};

TEST_F(SaveFlow, DownloadedMovieBeepsShowsNoBoxAndTheTipFollowsItsProgress)
{
    REQUIRE_HTTP_SERVER();
    // 24 blocks of 4 KiB, 100 ms apart: about 2.3 s.
    const DWORD start = GetTickCount();
    ASSERT_TRUE(Save("/movie/" + UniqueKey("mv") + "?n=98304&ms=100", true));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(g_beeps, std::vector<UINT>{100});
    PumpPending();
    EXPECT_TRUE(boxes_.empty()) << boxes_[0].Text;
    EXPECT_EQ(ReadWholeFile(target_).substr(0, 3), "FWS");
    std::vector<TIconCall> calls = g_iconCalls;
    ExpectOneBalloon("已保存 saved?.swf", "Flash 9, 550 x 400, 24 帧/秒, 120 帧, 96.0 KB");

    std::vector<std::string> tips;
    for (const TIconCall& c : calls)
        if (c.Message == NIM_MODIFY && (c.Data.uFlags & NIF_TIP)) tips.emplace_back(ToNarrow(c.Data.szTip));
    ASSERT_GE(tips.size(), 3u) << "no progress shown while the movie arrived";
    EXPECT_EQ(tips.back(), ProductCaption);
    for (size_t i = 0; i + 1 < tips.size(); ++i) {
        EXPECT_EQ(tips[i].rfind("下载 saved?.swf: ", 0), 0u) << tips[i];
        EXPECT_EQ(tips[i].back(), '%') << tips[i];
    }
    EXPECT_LE(tips.size(), elapsed / 250 + 2) << "more than one change per 250 ms";
}

TEST_F(SaveFlow, DownloadsThatAreNoMovieSayWhyAndWhatWasKept)
{
    REQUIRE_HTTP_SERVER();
    ASSERT_TRUE(Save("/notfound/" + UniqueKey("nf"), true));
    ExpectOneBoxSaying({"404", "不是Flash动画", ToNarrow(target_)});
    EXPECT_EQ(boxes_[0].Caption, ProductCaption);
    EXPECT_EQ(ReadWholeFile(target_), "<html>missing</html>");

    ASSERT_TRUE(Save("/text/" + UniqueKey("login"), true));  // a page sent with status 200
    ExpectOneBoxSaying({"200", "不是Flash动画", ToNarrow(target_)});
    EXPECT_EQ(ReadWholeFile(target_), "one<br>two<BR>three<br>");

    ASSERT_TRUE(Save("/cut/" + UniqueKey("cut") + "?n=5000&total=100000", true));
    ExpectOneBoxSaying({"没有完成", "连接中断", "5000", "100000", ToNarrow(target_)});
    EXPECT_EQ(ReadWholeFile(target_).size(), 5000u);

    // The file of the last save is still there, but this download made none.
    ASSERT_TRUE(Save("/auth-always/" + UniqueKey("deny"), true));
    ExpectOneBoxSaying({"没有完成", "401", "没有保存文件"});
    ASSERT_TRUE(Save("/no-type/" + UniqueKey("untyped"), true));
    ExpectOneBoxSaying({"没有完成", "Content-Type", "200", "没有保存文件"});
}

TEST_F(SaveFlow, DownloadedMovieCutShortIsReportedWithAndWithoutALength)
{
    REQUIRE_HTTP_SERVER();
    // The server's copy ends early and says so in its length, or sends no length at all:
    // either way the download looks whole, and only the movie's header tells.
    for (const char* length : {"", "&length=0"}) {
        SCOPED_TRACE(length);
        ASSERT_TRUE(Save("/movie/" + UniqueKey("short") + "?n=50000&cut=20000" + length, true));
        ExpectOneBoxSaying({"200", "Flash 9 动画不完整", "声明 50000 字节", "只有 20000 字节", ToNarrow(target_)});
        EXPECT_EQ(ReadWholeFile(target_).size(), 20000u);
    }
    ASSERT_TRUE(Save("/movie/" + UniqueKey("shortc") + "?n=50000&sig=C&cut=400&length=0", true));
    SCOPED_TRACE("compressed");
    ExpectOneBoxSaying({"不完整", "解压后 50000 字节", ToNarrow(target_)});
    // Written root-relative on a page with a "/" in its query, as the browser reads it.
    ASSERT_TRUE(Save("/movie/" + UniqueKey("whole") + "?n=50000&sig=C", true, ServerUrl("/site/index.php?p=a/b")));
    ExpectOneBalloon("已保存 saved?.swf", "Flash 9, 550 x 400, 24 帧/秒, 120 帧, ");
}

TEST_F(SaveFlow, CachedFileThatIsNoWholeMovieWarnsAndKeepsTheCopyAndACachedMovieBeepsWithItsBalloon)
{
    InstallFakeCache();
    for (const char* name : {"page", "short", "movie"}) {
        TFakeEntry entry;
        entry.Url = std::string("http://media.example.com/") + name + ".swf";
        entry.File = dir_.File(std::string(name) + "[1].swf");
        FakeCache().Entries.push_back(entry);
    }
    TMovieRecipe recipe;
    recipe.Signature = 'C';
    recipe.Version = 8;
    const std::vector<uint8_t> movie = MakeMovie(recipe, MovieBody(300000));
    const std::string bytes(movie.begin(), movie.end());
    WriteWholeFile(dir_.File("page[1].swf"), "<html>an error page the browser kept</html>");
    WriteWholeFile(dir_.File("short[1].swf"), bytes.substr(0, bytes.size() / 2));  // an entry never finished
    WriteWholeFile(dir_.File("movie[1].swf"), bytes);
    Save("http://media.example.com/page.swf", false);
    EXPECT_EQ(suggested_, L"page.swf");
    ExpectOneBoxSaying({"缓存", "不是Flash动画", ToNarrow(target_)});
    EXPECT_EQ(ReadWholeFile(target_), ReadWholeFile(dir_.File("page[1].swf"))) << "the copy stays";

    target_ = ToWide(dir_.File("second.swf"), CP_ACP);
    Save("http://media.example.com/short.swf", false);
    ExpectOneBoxSaying({"从缓存中复制的Flash 8 动画不完整", "解压后 300021 字节", ToNarrow(target_)});

    // The look-up asks for the address in the form the browser keeps it in.
    target_ = ToWide(dir_.File("third.swf"), CP_ACP);
    Save("/movie.swf#intro", false, "HTTP://Media.Example.com:80/site/index.php?p=a/b");
    EXPECT_TRUE(boxes_.empty()) << boxes_[0].Text;
    EXPECT_EQ(g_beeps, std::vector<UINT>{100});
    ExpectOneBalloon("已保存 third.swf", "Flash 8, 550 x 400, 24 帧/秒, 120 帧, ");

    // A shell without balloons: the beep alone, as before.
    TfrmMain::ShellVersion = [] { return DWORD{4}; };
    target_ = ToWide(dir_.File("fourth.swf"), CP_ACP);
    g_beeps.clear();
    Save("http://media.example.com/movie.swf", false);
    EXPECT_EQ(g_beeps, std::vector<UINT>{100});
    EXPECT_TRUE(Balloons().empty());
}

TEST_F(SaveFlow, SavedCompleteIntoAFolderNamedAsTheFileAndTheChoiceStaysForTheNextSave)
{
    InstallFakeCache();
    TSwfBytes actions = DoActionTag(ConstantPoolAction({"data.xml"}));
    const std::vector<uint8_t> movie = MakeMovie(TMovieRecipe{}, Joined({actions, EndTag()}));
    const std::pair<const char*, std::string> files[] = {{"movie.swf", std::string(movie.begin(), movie.end())},
                                                         {"data.xml", "<data/>"}};
    for (const auto& [name, bytes] : files) {
        TFakeEntry entry;
        entry.Url = std::string("http://media.example.com/") + name;
        entry.File = dir_.File(std::string("cached-") + name);
        WriteWholeFile(entry.File, bytes);
        FakeCache().Entries.push_back(entry);
    }
    target_ = ToWide(dir_.File("pack.htm"), CP_ACP);
    chosenType_ = SaveCompleteFilter;
    ASSERT_TRUE(Save("http://media.example.com/movie.swf", false, "http://media.example.com/page.htm"));
    EXPECT_EQ(shownType_, 1) << "the movie alone, until the user chooses otherwise";
    EXPECT_EQ(g_beeps, std::vector<UINT>{100});
    ExpectOneBalloon("已完整保存 pack", "2 个文件\r\nFlash 9, 550 x 400");
    for (const auto& [name, bytes] : files) EXPECT_EQ(ReadWholeFile(dir_.File(std::string("pack\\") + name)), bytes);
    EXPECT_TRUE(FileExists(dir_.File("pack\\pack.htm")));

    chosenType_ = 0;
    g_beeps.clear();
    ASSERT_TRUE(Save("http://media.example.com/movie.swf", false, "http://media.example.com/page.htm"));
    EXPECT_EQ(shownType_, SaveCompleteFilter);
    EXPECT_EQ(ReadWholeFile(dir_.File("pack (2)\\data.xml")), "<data/>") << "a folder is never written into twice";
}

}  // namespace
