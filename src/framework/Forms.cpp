#include "Forms.h"

#include "Menus.h"
#include "Threads.h"
#include "WideText.h"

#include <algorithm>

// ========================================================================= TForm

TForm::TForm(TComponent* AOwner) : TCustomControl(AOwner)
{
    TControl::SetVisible(false);  // forms start hidden
    SetParentFont(false);
    SetBounds(100, 100, 320, 240);
}

TForm::~TForm()
{
    if (!Destroying()) TForm::BeforeDestruction();
}

void TForm::AfterConstruction()
{
    if (created_) return;
    created_ = true;
    if (OnCreate) OnCreate(this);
}

void TForm::BeforeDestruction()
{
    if (!Destroying() && OnDestroy) OnDestroy(this);
    TCustomControl::BeforeDestruction();
}

void TForm::StyleFromBorder(DWORD& style, DWORD& exStyle) const
{
    style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    exStyle = WS_EX_CONTROLPARENT;
    switch (borderStyle_) {
    case TFormBorderStyle::bsNone: style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle: style |= WS_CAPTION | WS_BORDER; break;
    case TFormBorderStyle::bsSizeable: style |= WS_CAPTION | WS_THICKFRAME; break;
    case TFormBorderStyle::bsDialog: style |= WS_POPUP | WS_CAPTION; exStyle |= WS_EX_DLGMODALFRAME; break;
    case TFormBorderStyle::bsToolWindow: style |= WS_CAPTION; exStyle |= WS_EX_TOOLWINDOW; break;
    case TFormBorderStyle::bsSizeToolWin: style |= WS_CAPTION | WS_THICKFRAME; exStyle |= WS_EX_TOOLWINDOW; break;
    }
    if (borderStyle_ == TFormBorderStyle::bsNone) return;
    if (borderIcons_ & biSystemMenu) {
        style |= WS_SYSMENU;
        const bool canMinMax = borderStyle_ != TFormBorderStyle::bsDialog &&
                               borderStyle_ != TFormBorderStyle::bsToolWindow &&
                               borderStyle_ != TFormBorderStyle::bsSizeToolWin;
        if (canMinMax && (borderIcons_ & biMinimize)) style |= WS_MINIMIZEBOX;
        if (canMinMax && (borderIcons_ & biMaximize)) style |= WS_MAXIMIZEBOX;
    }
}

void TForm::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    StyleFromBorder(params.Style, params.ExStyle);
    params.WndParent = Application()->Handle();
}

void TForm::RecreateFrame()
{
    if (!HandleAllocated()) return;
    DWORD style = 0, exStyle = 0;
    StyleFromBorder(style, exStyle);
    const LONG_PTR keep = GetWindowLongPtrA(Handle(), GWL_STYLE) & (WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE | WS_DISABLED);
    SetWindowLongPtrA(Handle(), GWL_STYLE, static_cast<LONG_PTR>(style) | keep);
    const LONG_PTR keepEx = GetWindowLongPtrA(Handle(), GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_LAYERED);
    SetWindowLongPtrA(Handle(), GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle) | keepEx);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TForm::SetBorderStyle(TFormBorderStyle v)
{
    if (v == borderStyle_) return;
    borderStyle_ = v;
    RecreateFrame();
}

void TForm::SetBorderIcons(TBorderIcons v)
{
    if (v == borderIcons_) return;
    borderIcons_ = v;
    RecreateFrame();
}

TWindowState TForm::WindowState() const
{
    if (HandleAllocated()) {
        HWND h = const_cast<TForm*>(this)->Handle();
        if (IsIconic(h)) return TWindowState::wsMinimized;
        if (IsZoomed(h)) return TWindowState::wsMaximized;
        return TWindowState::wsNormal;
    }
    return windowState_;
}

void TForm::SetWindowState(TWindowState v)
{
    windowState_ = v;
    if (!HandleAllocated() || !Visible()) return;
    const int cmd = v == TWindowState::wsMinimized ? SW_MINIMIZE
                    : v == TWindowState::wsMaximized ? SW_MAXIMIZE : SW_RESTORE;
    ShowWindow(Handle(), cmd);
}

void TForm::SetClientSize(int w, int h)
{
    DWORD style = 0, exStyle = 0;
    StyleFromBorder(style, exStyle);
    if (HandleAllocated()) {
        style = static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE));
        exStyle = static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_EXSTYLE));
    }
    RECT r{0, 0, w, h};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TForm::SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
void TForm::SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }

void TForm::SetVisible(bool v)
{
    if (v == Visible()) return;
    TControl::SetVisible(v);
    if (v) {
        const int cmd = windowState_ == TWindowState::wsMinimized ? SW_SHOWMINIMIZED
                        : windowState_ == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
        ShowWindow(Handle(), cmd);
        if (OnShow) OnShow(this);
    } else {
        if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
        if (OnHide) OnHide(this);
    }
}

void TForm::Show()
{
    SetVisible(true);
    BringToFront();
}

void TForm::ShowAtWithoutActivation(int left, int top)
{
    const bool wasVisible = Visible();
    TControl::SetVisible(true);
    // One call moves, raises and shows: each separate step costs a round trip
    // to the window system.
    SetWindowPos(Handle(), HWND_TOP, left, top, Width(), Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (!wasVisible && OnShow) OnShow(this);
}

void TForm::BringToFront()
{
    if (HandleAllocated()) SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TForm::Close()
{
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::caNone) return;
    if (Application()->MainForm() == this) {
        Application()->Terminate();
        return;
    }
    switch (action) {
    case TCloseAction::caHide: Hide(); break;
    case TCloseAction::caMinimize: SetWindowState(TWindowState::wsMinimized); break;
    case TCloseAction::caFree: Hide(); Release(); break;
    default: break;
    }
}

void TForm::Release() { Application()->ReleaseLater(this); }

void TForm::SetMenu(TMainMenu* menu)
{
    if (menu_ && menu_ != menu) RemoveFreeNotification(menu_);
    menu_ = menu;
    if (menu_) FreeNotification(menu_);
    TMenuHandle bar = menu_ ? menu_->BuildMenuBar() : TMenuHandle();
    if (menu_ || HandleAllocated()) {
        ::SetMenu(Handle(), bar.get());
        DrawMenuBar(Handle());
    }
    menuBar_ = std::move(bar);  // the old bar is off the window now: freed here
}

// Owner-drawn entries of the bar carry the menu's items; commands come with a
// zero notification code and no control.
bool TForm::MenuMessage(TMessage& m)
{
    if (!menu_) return false;
    if (m.Msg == WM_MEASUREITEM || m.Msg == WM_DRAWITEM)
        return menu_->HandleOwnerDraw(m.Msg, m.WParam, m.LParam, m.Result);
    if (m.Msg == WM_COMMAND && HIWORD(m.WParam) == 0 && m.LParam == 0 && menu_->Items())
        if (TMenuItem* item = menu_->Items()->FindByCommand(LOWORD(m.WParam))) {
            m.Result = 0;
            item->Click();
            return true;
        }
    return false;
}

void TForm::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent == menu_) SetMenu(nullptr);
    if (Operation == TOperation::opRemove && AComponent == activeControl_) activeControl_ = nullptr;
    TCustomControl::Notification(AComponent, Operation);
}

void TForm::CMFocusChanged(TMessage& m)
{
    auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
    if (focused == this || focused == activeControl_) return;
    if (activeControl_) RemoveFreeNotification(activeControl_);
    activeControl_ = focused;
    if (activeControl_) FreeNotification(activeControl_);
}

// Tab moves the focus in tab order (Shift+Tab back), arrows within the
// focused control's parent; any other dialog key goes to the controls.
void TForm::CMDialogKey(TMessage& m)
{
    const TShiftState shift = KeyboardShiftState();
    if (shift & (MK_CONTROL | ssAlt)) return;
    TWinControl* current = TWinControl::FindControl(GetFocus());
    TWinControl* next = nullptr;
    switch (m.WParam) {
    case VK_TAB: next = FindNextControl(current, !(shift & MK_SHIFT)); break;
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        if (current && current->Parent())
            next = current->Parent()->FindNextControl(current, m.WParam == VK_RIGHT || m.WParam == VK_DOWN);
        break;
    default: return;
    }
    if (next) next->SetFocus();
    m.Result = 1;
}

void TForm::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_CLOSE: Close(); return;
    case CM_FOCUSCHANGED: CMFocusChanged(m); break;
    case CM_DIALOGKEY: CMDialogKey(m); if (m.Result) return; break;
    case WM_GETMINMAXINFO: WMGetMinMaxInfo(m); return;
    case WM_SYSCOMMAND: WMSysCommand(m); return;
    case WM_ACTIVATE: active_ = LOWORD(m.WParam) != WA_INACTIVE; break;
    case WM_NCDESTROY: active_ = false; break;
    case WM_DESTROY: if (menuBar_) ::SetMenu(Handle(), nullptr); break;
    case WM_MEASUREITEM: case WM_DRAWITEM: case WM_COMMAND: if (MenuMessage(m)) return; break;
    default: break;
    }
    TCustomControl::WndProc(m);
}

void TForm::WMGetMinMaxInfo(TMessage& m)
{
    DefaultHandler(m);
    auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
    if (constraints_.MinWidth > 0) info->ptMinTrackSize.x = constraints_.MinWidth;
    if (constraints_.MinHeight > 0) info->ptMinTrackSize.y = constraints_.MinHeight;
    if (constraints_.MaxWidth > 0) info->ptMaxTrackSize.x = constraints_.MaxWidth;
    if (constraints_.MaxHeight > 0) info->ptMaxTrackSize.y = constraints_.MaxHeight;
    m.Result = 0;
}

void TForm::WMSysCommand(TMessage& m)
{
    // The main form minimises the whole application, which hides its windows.
    if ((m.WParam & 0xFFF0) == SC_MINIMIZE && Application()->MainForm() == this) {
        Application()->Minimize();
        m.Result = 0;
        return;
    }
    DefaultHandler(m);
}

// ================================================================== TApplication

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication()
{
    if (!Destroying()) TComponent::BeforeDestruction();
}

bool TApplication::Active() const
{
    DWORD process = 0;
    HWND foreground = GetForegroundWindow();
    return foreground && GetWindowThreadProcessId(foreground, &process) && process == GetCurrentProcessId();
}

HWND TApplication::Handle()
{
    if (!window_) {
        window_ = std::make_unique<TUtilWindow>(
            [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
                return AppWindowMessage(msg, wParam, lParam, result);
            },
            "TApplication", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, false);
        SetWindowTextW(window_->Handle(), ToWide(title_).c_str());
        SendMessageA(window_->Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon()));
    }
    return window_->Handle();
}

bool TApplication::AppWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result)
{
    switch (msg) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE) { Minimize(); result = 0; return true; }
        if ((wParam & 0xFFF0) == SC_RESTORE) { Restore(); result = 0; return true; }
        return false;
    case WM_CLOSE:
        if (mainForm_) mainForm_->Close();
        result = 0;
        return true;
    case CM_RELEASE:
        ReleasePending();
        result = 0;
        return true;
    default:
        return false;
    }
}

void TApplication::SetTitle(const std::string& v)
{
    title_ = v;
    if (window_) SetWindowTextW(window_->Handle(), ToWide(v).c_str());
}

HICON TApplication::Icon()
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    return icon ? icon : LoadIcon(nullptr, IDI_APPLICATION);
}

void TApplication::Minimize()
{
    HWND app = Handle();
    if (IsIconic(app)) return;
    // Only the main form leaves the screen with the application. Every other
    // form keeps the state its own logic gave it: the grab toolbar and the
    // preview show and hide by the hit test, minimised or not. Windows hides a
    // window owned by a minimised one by itself (Wine does not); that is undone.
    const auto others = OtherFormsShown();
    hiddenOnMinimize_.clear();
    if (mainForm_ && mainForm_->HandleAllocated() && IsWindowVisible(mainForm_->Handle())) {
        ShowWindow(mainForm_->Handle(), SW_HIDE);
        hiddenOnMinimize_.push_back(mainForm_->Handle());
    }
    ShowWindow(app, SW_MINIMIZE);
    PutBackShown(others);
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore()
{
    HWND app = Handle();
    if (!IsIconic(app)) return;
    // Windows shows again what it hid with the owner; the other forms' own
    // state stands instead.
    const auto others = OtherFormsShown();
    ShowWindow(app, SW_RESTORE);
    PutBackShown(others);
    // The main form comes back unless it was hidden by its own logic since.
    for (HWND form : hiddenOnMinimize_)
        if (mainForm_ && mainForm_->HandleAllocated() && form == mainForm_->Handle() && mainForm_->Visible())
            ShowWindow(form, SW_SHOW);
    hiddenOnMinimize_.clear();
    if (OnRestore) OnRestore(this);
}

std::vector<std::pair<HWND, bool>> TApplication::OtherFormsShown() const
{
    std::vector<std::pair<HWND, bool>> shown;
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* form = dynamic_cast<TForm*>(Components(i));
        if (form && form != mainForm_ && form->HandleAllocated())
            shown.emplace_back(form->Handle(), IsWindowVisible(form->Handle()) != FALSE);
    }
    return shown;
}

void TApplication::PutBackShown(const std::vector<std::pair<HWND, bool>>& shown)
{
    for (const auto& [form, visible] : shown)
        if (IsWindow(form) && (IsWindowVisible(form) != FALSE) != visible)
            ShowWindow(form, visible ? SW_SHOWNA : SW_HIDE);
}

void TApplication::BringToFront()
{
    if (mainForm_ && mainForm_->HandleAllocated()) {
        HWND top = GetLastActivePopup(mainForm_->Handle());
        SetForegroundWindow(top ? top : mainForm_->Handle());
    }
}

bool TApplication::ProcessMessage(MSG& msg)
{
    // Unicode all the way: an ANSI loop would squeeze typed characters
    // through the system's code page.
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    bool handled = false;
    if (OnMessage) OnMessage(msg, handled);
    if (handled) return true;
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        if (IsKeyMsg(msg)) return true;
        // The system's own controls keep the dialog manager's keys (their
        // mnemonics, Enter as the default push button).
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        TWinControl* focused = TWinControl::FindControl(msg.hwnd);
        const bool ours = focused && !focused->IsSystemClass();
        if (!ours && root && dynamic_cast<TForm*>(TWinControl::FindControl(root)) && IsDialogMessageW(root, &msg))
            return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

namespace {
bool IsDialogKey(WPARAM key, UINT code)
{
    if (code & DLGC_WANTALLKEYS) return false;
    switch (key) {
    case VK_TAB: return !(code & DLGC_WANTTAB);
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN: return !(code & DLGC_WANTARROWS);
    case VK_RETURN: case VK_ESCAPE: case VK_EXECUTE: case VK_CANCEL: return true;
    default: return false;
    }
}
}  // namespace

bool TApplication::IsKeyMsg(const MSG& msg)
{
    auto* form = dynamic_cast<TForm*>(TWinControl::FindControl(GetAncestor(msg.hwnd, GA_ROOT)));
    if (!form) return false;
    const auto code = static_cast<UINT>(
        SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
    switch (msg.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
        return IsDialogKey(msg.wParam, code) && form->Perform(CM_DIALOGKEY, msg.wParam, msg.lParam) != 0;
    case WM_CHAR:
        return !(code & DLGC_WANTCHARS) && form->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
    case WM_SYSCHAR:
        return form->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
    default:
        return false;
    }
}

void TApplication::ReleaseLater(TComponent* component)
{
    if (!component || std::find(pendingRelease_.begin(), pendingRelease_.end(), component) != pendingRelease_.end())
        return;
    pendingRelease_.push_back(component);
    FreeNotification(component);
    PostMessageA(Handle(), CM_RELEASE, 0, 0);
}

void TApplication::ReleasePending()
{
    while (!pendingRelease_.empty()) {
        TComponent* c = pendingRelease_.back();
        pendingRelease_.pop_back();
        RemoveFreeNotification(c);
        c->Free();
    }
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (ProcessMessage(msg)) {
        if (terminated_) break;
    }
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (ProcessMessage(msg)) {
        // A worker's synchronised call (a download makes one per chunk)
        // changes nothing under the cursor: no idle look-up for it alone.
        if (!IsSynchronizeCall(msg)) idleOwed_ = true;
        wokeEmpty_ = false;
        return;
    }
    // A wake that found no message came from a sent one (a hook report, another
    // program): it may mean the cursor moved, so it is owed an idle too.
    if (idleOwed_ || wokeEmpty_) Idle();
    idleOwed_ = false;
    WaitMessage();
    wokeEmpty_ = true;
}

void TApplication::Idle() { DoMouseIdle(); }

// Windows inside a control that are not ours (the browser control's own) send
// us no mouse messages; when idle, the control under the cursor is looked up
// from the window there, and enter and leave notices go out when it changed.
void TApplication::DoMouseIdle()
{
    POINT p{};
    GetCursorPos(&p);
    TControl* over = nullptr;
    for (HWND h = WindowFromPoint(p); h && h != GetDesktopWindow() && !over; h = GetAncestor(h, GA_PARENT))
        over = TWinControl::FindControl(h);
    if (over == mouseControl_) return;
    TControl* old = mouseControl_;
    SetMouseControl(over);
    if (old) old->Perform(CM_MOUSELEAVE);
    if (over) over->Perform(CM_MOUSEENTER);
}

void TApplication::SetMouseControl(TControl* control)
{
    if (mouseControl_) RemoveFreeNotification(mouseControl_);
    mouseControl_ = control;
    if (mouseControl_) FreeNotification(mouseControl_);
}

void TApplication::Run()
{
    if (mainForm_) {
        ShowWindow(Handle(), SW_SHOWNA);
        mainForm_->Show();
    }
    while (!terminated_) HandleMessage();
}

void TApplication::FreeForms()
{
    ReleasePending();
    DestroyComponents();
    hiddenOnMinimize_.clear();
    window_.reset();
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent == mainForm_) mainForm_ = nullptr;
    if (Operation == TOperation::opRemove && AComponent == mouseControl_) mouseControl_ = nullptr;
    if (Operation == TOperation::opRemove)
        pendingRelease_.erase(std::remove(pendingRelease_.begin(), pendingRelease_.end(), AComponent),
                              pendingRelease_.end());
    TComponent::Notification(AComponent, Operation);
}

TApplication* Application()
{
    static TOwnedComponent<TApplication> app(new TApplication);  // lives for the process
    return app.get();
}
