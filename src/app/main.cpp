#include "main.h"

#include "DocumentOfWindow.h"
#include "FrameDesign.h"
#include "Get.h"
#include "HitTest.h"
#include "View.h"
#include "Product.h"
#include "SingleInstance.h"

#include <objbase.h>
#include <ole2.h>

#include <cstdio>

UINT HookMessage = 0;
HANDLE MouseMapHandle = nullptr;
TMouseShare* MouseShare = nullptr;
TBoundsI RestoreBounds;

TfrmMain::TBeepCall TfrmMain::Beep = &MessageBeep;

namespace {
// Module initialisation and finalisation of the main unit: OLE for the thread.
struct TOleModule {
    TOleModule() { OleInitialize(nullptr); }
    ~TOleModule()
    {
        try {
            OleUninitialize();
        } catch (...) {
            // a failure at the very end changes nothing for the user
        }
    }
} g_oleModule;

constexpr TColor kFrameBorderColor = 0x7F7F7F;
constexpr BYTE kGB2312Charset = GB2312_CHARSET;

void SetDialogFont(TFont& f)
{
    f.SetName("MS Sans Serif");
    f.SetCharset(kGB2312Charset);
    f.SetHeight(-12);
    f.SetColor(clBlack);
}

// The record is written by other processes without a lock: each field is one
// aligned 32-bit read of the newest value.
int ReadShared(const int32_t& field) { return *static_cast<const volatile int32_t*>(&field); }
}

std::string MousePositionCaption(int x, int y)
{
    char text[64];
    std::snprintf(text, sizeof(text), "鼠标位置: X = %d, Y = %d", x, y);
    return text;
}

// =================================================================== TfrmMain

TfrmMain::TfrmMain(TComponent* AOwner) : TForm(AOwner)
{
    SetName("frmMain");
    {
        TLoadScope load(*this);
        BuildMenu();
        BuildLayout();
    }
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
}

void TfrmMain::BuildMenu()
{
    SaveDialog1 = new TSaveDialog(this);  // components below are owned by the form
    SaveDialog1->SetName("SaveDialog1");
    SaveDialog1->DefaultExt = ".swf";
    SaveDialog1->Filter = "Flash File(*.swf)|*.swf|Flash动画，完整 (*.htm)|*.htm";
    IECache1 = new TIECache(this);
    IECache1->SetName("IECache1");
    IECache1->SetFilterOptions(
        FilterOptionBit(TFilterOption::NORMAL_ENTRY) | FilterOptionBit(TFilterOption::STICKY_ENTRY) |
        FilterOptionBit(TFilterOption::COOKIE_ENTRY) | FilterOptionBit(TFilterOption::URLHISTORY_ENTRY) |
        FilterOptionBit(TFilterOption::TRACK_OFFLINE_ENTRY) | FilterOptionBit(TFilterOption::TRACK_ONLINE_ENTRY));
    IECache1->SetSearchPattern(TSearchPattern::spAll);
    IECache1->OnEntry = [this](TObject* s, bool& cancel) { IECache1Entry(s, cancel); };
    auto item = [this](const char* name, const char* caption, TNotifyEvent click) {
        auto* i = new TMenuItem(this);
        i->SetName(name);
        i->SetCaption(caption);
        i->OnClick = std::move(click);
        return i;
    };
    A1 = item("A1", "抓取整页Flash(&A)...", [this](TObject* s) { A1Click(s); });
    Q1 = item("Q1", "设置(&Q)", [this](TObject* s) { Q1Click(s); });
    N1 = item("N1", "-", nullptr);
    H1 = item("H1", "退出(&H)", [this](TObject* s) { H1Click(s); });
    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetInterval(1000);
    Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };
}

void TfrmMain::BuildLayout()
{
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    Constraints().MinWidth = 130;
    SetDialogFont(Font());
    SetCaption(ProductCaption);
    SetBounds(361, 175, Width(), Height());
    SetClientSize(290, 326);

    // The frame takes the border away and sizes the form round itself:
    // 288 x 325 inside a one-pixel border gives the client area 290 x 326.
    suiForm1 = new TsuiForm(this);
    suiForm1->SetName("suiForm1");
    suiForm1->SetParent(this);
    using B = TsuiTitleBarBtnType;
    DesignMacFrame(*suiForm1, {B::suiControlBox, B::suiClose, B::suiMin}, 288, 325);
    suiForm1->SetCaption(ProductCaption);

    // The menu's stored values, the style first, in the designed order.
    PopupMenu1 = new TsuiPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    PopupMenu1->SetUIStyle(TsuiUIStyle::DeepBlue);
    PopupMenu1->SetOwnerDraw(true);
    PopupMenu1->SetMenuItemHeight(21);
    PopupMenu1->SetSeparatorHeight(5);
    PopupMenu1->SetBarWidth(26);
    PopupMenu1->SetBarColor(0xCED3D6);
    PopupMenu1->SetColor(clWhite);
    PopupMenu1->SetSeparatorColor(0x848284);
    PopupMenu1->SetSelectedBorderColor(0xA04A44);
    PopupMenu1->SetSelectedColor(0xA04A44);
    PopupMenu1->SetSelectedFontColor(clWhite);
    PopupMenu1->SetFontColor(clBlack);
    PopupMenu1->SetBorderColor(clBlack);
    PopupMenu1->SetFlatMenu(false);
    PopupMenu1->SetFontName("MS Sans Serif");
    PopupMenu1->SetFontSize(8);
    PopupMenu1->SetFontCharset(DEFAULT_CHARSET);
    PopupMenu1->SetUseSystemFont(true);
    PopupMenu1->Items()->Add(A1);
    PopupMenu1->Items()->Add(Q1);
    PopupMenu1->Items()->Add(N1);
    PopupMenu1->Items()->Add(H1);

    auto group = [this](const char* name, TWinControl* parent, RECT b, const char* caption) {
        auto* g = new TGroupBox(this);
        g->SetName(name);
        g->SetParent(parent);
        g->SetBounds(b.left, b.top, b.right, b.bottom);
        g->SetCaption(caption);
        return g;
    };
    // The buttons' stored values: the style first (it sets Transparent), then
    // the rest, as the designed form applies them.
    auto button = [this](const char* name, int left, const char* caption, int tab) {
        auto* b = new TsuiButton(this);
        b->SetName(name);
        b->SetParent(GroupBox1);
        b->SetUIStyle(TsuiUIStyle::MacOS);
        b->SetBounds(left, 24, 75, 25);
        b->SetCaption(caption);
        b->SetTransparent(true);
        b->SetFocusedRectMargin(2);
        b->SetLayout(TButtonLayout::blGlyphLeft);
        b->SetSpacing(4);
        b->SetMouseContinuouslyDownInterval(100);
        b->SetModalResult(0);
        b->SetTabOrder(tab);
        return b;
    };
    auto check = [this](const char* name, RECT b, const char* caption, int tab) {
        auto* c = new TsuiCheckBox(this);
        c->SetName(name);
        c->SetParent(GroupBox2);
        c->SetUIStyle(TsuiUIStyle::MacOS);
        c->SetBounds(b.left, b.top, b.right, b.bottom);
        c->SetCaption(caption);
        c->SetAutoSize(true);
        c->SetTabStop(true);
        c->SetChecked(false);
        c->SetTabOrder(tab);
        return c;
    };

    GroupBox1 = new TsuiGroupBox(this);
    GroupBox1->SetName("GroupBox1");
    GroupBox1->SetParent(suiForm1);
    GroupBox1->SetUIStyle(TsuiUIStyle::MacOS);
    GroupBox1->SetBounds(8, 32, 273, 57);
    GroupBox1->SetCaption("操作");
    GroupBox1->SetBorderColor(kFrameBorderColor);
    GroupBox1->SetParentColor(true);
    SetDialogFont(GroupBox1->Font());
    btnAbout = button("btnAbout", 98, "关于(&A)", 0);
    btnSrc = button("btnSrc", 10, "停止(&S)", 1);
    btnQuit = button("btnQuit", 186, "退出(&Q)", 2);
    btnSrc->OnClick = [this](TObject* s) { suitempbtnSrcClick(s); };
    btnAbout->OnClick = [this](TObject* s) { suitempbtnAboutClick(s); };
    btnQuit->OnClick = [this](TObject* s) { suitempbtnQuitClick(s); };

    GroupBox2 = group("GroupBox2", suiForm1, {8, 96, 273, 105}, "选项");
    cbTransParent = check("cbTransParent", {16, 12, 209, 21}, "我要查缴设为背景透明的Flash文件", 0);
    cbFor3721 = check("cbFor3721", {16, 56, 143, 21}, "设置了3721的私隐策略", 1);
    GroupBox3 = group("GroupBox3", suiForm1, {8, 216, 273, 105}, "Flash预览");
    WebBrowser1 = new TWebBrowser(this);
    WebBrowser1->SetName("WebBrowser1");
    WebBrowser1->SetParent(GroupBox3);
    WebBrowser1->SetBounds(2, 14, 269, 89);
    cbFindIFRame = check("cbFindIFRame", {16, 34, 239, 21}, "查找网页中包含的IFRAME(注：速度较慢)", 2);
    cbAutoOpenURL = check("cbAutoOpenURL", {16, 80, 251, 21}, "自动打开IFRAME进行抓取(可抓多层IFRAME)", 3);
}

void TfrmMain::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    params.ExStyle |= WS_EX_TOPMOST;
}

void TfrmMain::SetToolbar(TfrmGet* toolbar)
{
    if (frmGet_) RemoveFreeNotification(frmGet_);
    frmGet_ = toolbar;
    if (!frmGet_) return;
    FreeNotification(frmGet_);
    frmGet_->OnSave = [this](TObject*) { SaveMovie(); };
}

void TfrmMain::SetPreview(TfrmView* preview)
{
    if (frmView_) RemoveFreeNotification(frmView_);
    frmView_ = preview;
    if (frmView_) FreeNotification(frmView_);
}

void TfrmMain::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent == frmGet_) frmGet_ = nullptr;
    if (Operation == TOperation::opRemove && AComponent == frmView_) frmView_ = nullptr;
    TForm::Notification(AComponent, Operation);
}

void TfrmMain::FormCreate(TObject*)
{
    HookMessage = RegisterWindowMessageA(HookMessageName);
    MapMouseFile(MouseShare, MouseMapHandle);
    CoInitialize(nullptr);
    GetWindowRect(Handle(), &Hit.HitRect);
    SetHeight(Height() - DesignedHeightCut);
    SetTop(GetSystemMetrics(SM_CYSCREEN) - Height() - 50);
    SetLeft(GetSystemMetrics(SM_CXSCREEN) - Width() - 20);
    AddTrayIcon();
    Application()->OnMinimize = [this](TObject* s) { AppMinimize(s); };
    Application()->SetTitle(Caption());
    RestoreBounds = TBoundsI{Left(), Top(), Width(), Height()};
    if (!HookLibrary().Enable(Handle())) ShowMessage("Enable Mouse Hook failed.");
}

void TfrmMain::FormClose(TObject*, TCloseAction&) { RemoveTrayIcon(); }

void TfrmMain::FormDestroy(TObject*)
{
    if (MouseShare) UnmapMouseFile(MouseShare, MouseMapHandle);
    if (!HookLibrary().Disable()) ShowMessage("Disable Mouse Hook failed.");
    CoUninitialize();
}

void TfrmMain::WndProc(TMessage& m)
{
    if (HookMessage != 0 && m.Msg == HookMessage) HookReport();
    if (m.Msg == WM_TRAYNOTIFY) {
        WMTrayNotify(m);
        return;
    }
    if (m.Msg == WM_SAVEREPORT) {
        ShowSaveReports();
        return;
    }
    if (m.Msg == WM_BUNDLEDONE) {
        BundleDone(m.LParam);
        return;
    }
    // A second start of the program asks for the window instead of running.
    static const UINT showRunning = RegisterWindowMessageA(ShowRunningMessageName);
    if (m.Msg == showRunning && showRunning != 0) {
        RestoreFromTray();
        return;
    }
    // A restarted shell has forgotten the icon: put it back.
    static const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    if (m.Msg == taskbarCreated && taskbarCreated != 0) AddTrayIcon();
    TForm::WndProc(m);
}

void TfrmMain::HookReport()
{
    if (!MouseShare) return;
    suiForm1->SetCaption(MousePositionCaption(ReadShared(MouseShare->X), ReadShared(MouseShare->Y)));
    if (MouseShare) InspectPoint(ReadShared(MouseShare->X), ReadShared(MouseShare->Y));
}

void TfrmMain::InspectPoint(int x, int y) { ::InspectPoint(*this, x, y); }

ComPtr<IHTMLDocument2> TfrmMain::GetDocumentOfWindow(HWND window) { return ::GetDocumentOfWindow(window); }

TFollowResult TfrmMain::FollowFrame(ComPtr<IHTMLElement>& E, ComPtr<IHTMLDocument2>& D)
{
    return ::FollowFrame(*this, E, D);
}

void TfrmMain::AppMinimize(TObject*)
{
    // Hiding the application's own window takes the program off the taskbar.
    ShowWindow(Application()->Handle(), SW_HIDE);
}

void TfrmMain::WMTrayNotify(TMessage& m)
{
    switch (m.LParam) {
    case WM_LBUTTONDOWN:
        RestoreFromTray();
        break;
    case WM_RBUTTONDOWN: {
        POINT p{};
        GetCursorPos(&p);
        SetForegroundWindow(Handle());  // so the menu closes when the user clicks elsewhere
        A1->SetEnabled(LastPageWindow() != nullptr);
        PopupMenu1->Popup(p.x, p.y);
        break;
    }
    default:
        break;
    }
}

void TfrmMain::RestoreFromTray()
{
    ShowWindow(Application()->Handle(), SW_SHOW);
    Application()->Restore();
    Application()->BringToFront();
    MoveWindow(Handle(), RestoreBounds.Left, RestoreBounds.Top, RestoreBounds.Width, RestoreBounds.Height, TRUE);
}

void TfrmMain::Timer1Timer(TObject*)
{
    Timer1->SetEnabled(false);
    ShrinkToCorner();
}

void TfrmMain::ShrinkToCorner()
{
    RestoreBounds = TBoundsI{Left(), Top(), Width(), Height()};
    const auto plan = ShrinkSteps(RestoreBounds, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    for (const TBoundsI& b : plan) {
        MoveWindow(Handle(), b.Left, b.Top, b.Width, b.Height, TRUE);
        Sleep(ShrinkStepPauseMs);
    }
    Application()->Minimize();
}

void TfrmMain::suitempbtnSrcClick(TObject*)
{
    // The button's caption alone carries the state, and changes even when the call fails.
    if (btnSrc->Caption() == "停止(&S)") {
        btnSrc->SetCaption("开始(&S)");
        if (!HookLibrary().Disable()) ShowMessage("Disable Mouse Hook failed.");
    } else {
        btnSrc->SetCaption("停止(&S)");
        if (!HookLibrary().Enable(Handle())) ShowMessage("Enable Mouse Hook failed.");
    }
}

void TfrmMain::suitempbtnAboutClick(TObject*)
{
    if (frmGet_) frmGet_->btnHelp->Click();
}

void TfrmMain::suitempbtnQuitClick(TObject*) { Close(); }

void TfrmMain::Q1Click(TObject*) { RestoreFromTray(); }

void TfrmMain::H1Click(TObject*) { Close(); }
