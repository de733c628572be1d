#include "Controls.h"

#include "WideText.h"

#include <algorithm>
#include <cctype>
#include <utility>

HINSTANCE MainInstance() { return GetModuleHandleA(nullptr); }

TShiftState KeyboardShiftState()
{
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) shift |= MK_CONTROL;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

bool IsAccel(unsigned ch, const std::string& caption)
{
    for (size_t i = 0; i < caption.size(); ++i) {
        const auto lead = static_cast<unsigned char>(caption[i]);
        if (IsDBCSLeadByteEx(ProgramCodePage, lead)) {  // a trail byte is never an "&"
            ++i;
            continue;
        }
        if (lead != '&' || i + 1 >= caption.size()) continue;
        const auto next = static_cast<unsigned char>(caption[++i]);
        if (next == '&') continue;  // "&&" is a plain ampersand
        return next < 0x80 && ch < 0x80 && std::toupper(next) == std::toupper(static_cast<int>(ch));
    }
    return false;
}

// ====================================================================== TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner)
{
    font_.OnChange = [this] {
        parentFont_ = false;
        Perform(CM_FONTCHANGED);
    };
}

TControl::~TControl()
{
    font_.OnChange = nullptr;
    if (parent_)
        parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == parent_) return;
    if (AParent == this) return;
    if (parent_) parent_->RemoveControl(this);
    if (AParent) {
        AParent->InsertControl(this);
        if (parentFont_) ParentFontChanged();
        if (parentColor_) ParentColorChanged();
    }
}

void TControl::SetBoundsFields(int l, int t, int w, int h)
{
    const bool changed = l != left_ || t != top_ || w != width_ || h != height_;
    left_ = l;
    top_ = t;
    width_ = w;
    height_ = h;
    if (changed) Resized();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (parent_ && visible_) Invalidate();
    SetBoundsFields(ALeft, ATop, AWidth, AHeight);
    if (parent_ && visible_) Invalidate();
}

POINT TControl::ClientOrigin() const
{
    POINT p{left_, top_};
    if (parent_) {
        const POINT o = parent_->ClientOrigin();
        p.x += o.x;
        p.y += o.y;
    }
    return p;
}

POINT TControl::ClientToScreen(POINT p) const
{
    const POINT o = ClientOrigin();
    return POINT{p.x + o.x, p.y + o.y};
}

POINT TControl::ScreenToClient(POINT p) const
{
    const POINT o = ClientOrigin();
    return POINT{p.x - o.x, p.y - o.y};
}

void TControl::SetVisible(bool v)
{
    if (v == visible_) return;
    visible_ = v;
    if (parent_) parent_->Invalidate();
    Perform(CM_VISIBLECHANGED, v);
}

void TControl::SetEnabled(bool v)
{
    if (v == enabled_) return;
    enabled_ = v;
    Perform(CM_ENABLEDCHANGED);
    Invalidate();
}

void TControl::SetText(const std::string& v)
{
    if (v == text_) return;
    text_ = v;
    Perform(CM_TEXTCHANGED);
    Invalidate();
}

void TControl::SetColor(TColor v)
{
    parentColor_ = false;
    if (v == color_) return;
    color_ = v;
    Perform(CM_COLORCHANGED);
    Invalidate();
}

void TControl::SetParentColor(bool v)
{
    parentColor_ = v;
    if (v) ParentColorChanged();
}

void TControl::SetParentFont(bool v)
{
    parentFont_ = v;
    if (v) ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!parent_) return;
    font_.Assign(parent_->Font());
    parentFont_ = true;  // the copy above is not a choice of the control's own
}

void TControl::ParentColorChanged()
{
    if (!parent_) return;
    if (color_ != parent_->Color()) {
        color_ = parent_->Color();
        Perform(CM_COLORCHANGED);
        Invalidate();
    }
    parentColor_ = true;
}

void TControl::SetAlign(TAlign v)
{
    if (v == align_) return;
    align_ = v;
    if (parent_) parent_->Realign();
}

void TControl::Invalidate()
{
    if (parent_ && parent_->HandleAllocated()) {
        const RECT r = BoundsRect();
        InvalidateRect(parent_->Handle(), &r, TRUE);
    }
}

void TControl::Repaint()
{
    Invalidate();
    // A window paints itself; a windowless control is painted by its parent.
    auto* own = dynamic_cast<TWinControl*>(this);
    if (own && own->HandleAllocated())
        own->Update();
    else if (parent_ && parent_->HandleAllocated())
        UpdateWindow(parent_->Handle());
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    Dispatch(m);
    return m.Result;
}

TWndMethod TControl::WindowProc() const
{
    if (windowProc_) return windowProc_;
    return [self = const_cast<TControl*>(this)](TMessage& m) { self->WndProc(m); };
}

void TControl::Dispatch(TMessage& m)
{
    if (windowProc_)
        windowProc_(m);
    else
        WndProc(m);
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::Click()
{
    if (OnClick) OnClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

bool TControl::MouseButton(TMessage& m, TMouseButton button, bool down)
{
    const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
    const TShiftState shift = static_cast<TShiftState>(m.WParam);
    const TAliveFlag alive = AliveFlag();
    if (down) {
        if (button == TMouseButton::mbLeft) clicked_ = clickEvents_;
        MouseDown(button, shift, x, y);
        return *alive;
    }
    const bool click = button == TMouseButton::mbLeft && clicked_;
    if (button == TMouseButton::mbLeft) clicked_ = false;
    const RECT r = ClientRect();
    const POINT p{x, y};
    if (click && PtInRect(&r, p)) Click();
    if (!*alive) return false;  // the click freed us (a close button)
    MouseUp(button, shift, x, y);
    return *alive;
}

void TControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: if (!MouseButton(m, TMouseButton::mbLeft, true)) return; break;
    case WM_LBUTTONUP: if (!MouseButton(m, TMouseButton::mbLeft, false)) return; break;
    case WM_RBUTTONDOWN: if (!MouseButton(m, TMouseButton::mbRight, true)) return; break;
    case WM_RBUTTONUP: if (!MouseButton(m, TMouseButton::mbRight, false)) return; break;
    case WM_MOUSEMOVE: MouseMove(static_cast<TShiftState>(m.WParam), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)); break;
    case WM_CANCELMODE: clicked_ = false; break;  // the press ended without a release
    case CM_MOUSEENTER: CMMouseEnter(m); break;
    case CM_MOUSELEAVE: CMMouseLeave(m); break;
    case CM_PARENTFONTCHANGED: if (parentFont_) ParentFontChanged(); break;
    case CM_PARENTCOLORCHANGED: if (parentColor_) ParentColorChanged(); break;
    default: break;
    }
    DefaultHandler(m);
}

// The mouse entered or left this control (LParam 0), or a child of it (LParam
// names the child). The parent hears of both, so a form learns that the mouse
// left any of its controls. A repeated notice changes nothing.
void TControl::CMMouseEnter(TMessage& m)
{
    if (m.LParam == 0) {
        if (mouseInControl_) return;
        mouseInControl_ = true;
        if (OnMouseEnter) OnMouseEnter(this);
    }
    if (parent_) parent_->Perform(CM_MOUSEENTER, 0, m.LParam ? m.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMMouseLeave(TMessage& m)
{
    if (m.LParam == 0) {
        if (!mouseInControl_) return;
        mouseInControl_ = false;
        if (OnMouseLeave) OnMouseLeave(this);
    }
    if (parent_) parent_->Perform(CM_MOUSELEAVE, 0, m.LParam ? m.LParam : reinterpret_cast<LPARAM>(this));
}

// ================================================================ TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) { clickEvents_ = true; }

void TGraphicControl::PaintTo(HDC dc)
{
    canvas_.SetHandle(dc);
    canvas_.Font().Assign(Font());
    Paint();
    canvas_.SetHandle(nullptr);
}

// ==================================================================== TWinControl

namespace {
constexpr char kControlProp[] = "VendrakeControl";  // marks a window bound to one of our controls
// The control whose window CreateWindowExW is making on this thread. A top-level
// window gets WM_GETMINMAXINFO before WM_NCCREATE, and the size it is made with
// already depends on the answer, so the object must be bound by then.
thread_local TWinControl* t_creating = nullptr;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    if (!Destroying())
        TWinControl::BeforeDestruction();
    DestroyHandle();
}

void TWinControl::BeforeDestruction()
{
    TControl::BeforeDestruction();  // frees the components we own
    // Children owned by someone else stay alive: they merely lose their parent.
    while (!controls_.empty())
        controls_.back()->SetParent(nullptr);
    DestroyHandle();
    SetParent(nullptr);
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded()
{
    if (handle_ || Destroying()) return;
    if (Parent()) Parent()->HandleNeeded();
    if (handle_) return;  // the parent made ours while making its own
    CreateWnd();
}

void TWinControl::DestroyHandle()
{
    if (!handle_) return;
    HWND wnd = handle_;
    DestroyWindow(wnd);  // WM_NCDESTROY clears handle_
    handle_ = nullptr;
}

TWinControl* TWinControl::FindControl(HWND wnd)
{
    // The property, not the window procedure, marks our windows: Wine hands back
    // a procedure handle instead of our address for subclassed system windows.
    if (!wnd) return nullptr;
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != GetCurrentProcessId()) return nullptr;
    return static_cast<TWinControl*>(GetPropA(wnd, kControlProp));
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = Text();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Visible()) params.Style |= WS_VISIBLE;
    if (!Enabled()) params.Style |= WS_DISABLED;
    if (TabStop()) params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    if (Parent()) params.WndParent = Parent()->Handle();
    params.WinClassName = ClassName();  // each class registers a window class of its name
}

void TWinControl::CreateWnd()
{
    TCreateParams p;
    CreateParams(p);
    const HINSTANCE inst = MainInstance();
    const bool system = !p.SysClassName.empty();
    // Unicode windows, so that their texts hold the Chinese on any system:
    // an ANSI window keeps its text in the system's code page.
    const std::wstring className = ToWide(system ? p.SysClassName : p.WinClassName);
    if (!system) {
        WNDCLASSW existing{};
        if (!GetClassInfoW(inst, className.c_str(), &existing)) {
            WNDCLASSW wc{};
            wc.style = p.ClassStyle;
            wc.lpfnWndProc = &StdWndProc;
            wc.hInstance = inst;
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.lpszClassName = className.c_str();
            RegisterClassW(&wc);
        }
    }
    t_creating = system ? nullptr : this;
    HWND wnd = CreateWindowExW(p.ExStyle, className.c_str(), ToWide(p.Caption).c_str(), p.Style, p.X, p.Y,
                               p.Width, p.Height, p.WndParent, nullptr, inst, this);
    t_creating = nullptr;
    if (!wnd) return;
    if (system) {
        // Subclass the system window; its own procedure handles what we pass on.
        handle_ = wnd;
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetPropA(wnd, kControlProp, this);
        oldProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StdWndProc)));
    }
    // The window may have been given another size than asked (top-level limits).
    RECT r;
    GetWindowRect(wnd, &r);
    if (p.Style & WS_CHILD) MapWindowPoints(HWND_DESKTOP, p.WndParent, reinterpret_cast<POINT*>(&r), 2);
    SetBoundsFields(r.left, r.top, r.right - r.left, r.bottom - r.top);
    ApplyFont();
    CreateWindowDone();
    // Children in tab order, so the dialog manager walks them in that order.
    std::vector<TWinControl*> kids;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) kids.push_back(w);
    std::stable_sort(kids.begin(), kids.end(),
                     [](TWinControl* a, TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
    for (TWinControl* w : kids) w->HandleNeeded();
}

void TWinControl::ApplyFont()
{
    if (handle_ && IsSystemClass())
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
}

void TWinControl::InsertControl(TControl* c)
{
    if (std::find(controls_.begin(), controls_.end(), c) != controls_.end()) return;
    controls_.push_back(c);
    c->parent_ = this;
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
        if (w->tabOrder_ < 0) {
            int n = 0;
            for (TControl* k : controls_)
                if (dynamic_cast<TWinControl*>(k)) ++n;
            w->tabOrder_ = n - 1;
        }
        if (handle_) w->HandleNeeded();
    } else {
        c->Invalidate();
    }
    if (c->Align() != TAlign::alNone) Realign();
}

void TWinControl::RemoveControl(TControl* c)
{
    auto it = std::find(controls_.begin(), controls_.end(), c);
    if (it == controls_.end()) return;
    c->Invalidate();
    controls_.erase(it);
    if (captureControl_ == c) captureControl_ = nullptr;
    if (hoverControl_ == c) hoverControl_ = nullptr;
    c->parent_ = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
}

TControl* TWinControl::ControlAtPos(POINT p) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        const RECT r = c->BoundsRect();
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::SetTabOrder(int v)
{
    TWinControl* parent = Parent();
    if (!parent) {
        tabOrder_ = v;
        return;
    }
    // The windowed children of a parent keep the tab orders 0..n-1: moving one
    // shifts the others, as a list does.
    std::vector<TWinControl*> order;
    for (TControl* c : parent->controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w != this) order.push_back(w);
    std::stable_sort(order.begin(), order.end(),
                     [](TWinControl* a, TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
    const int at = std::clamp(v, 0, static_cast<int>(order.size()));
    order.insert(order.begin() + at, this);
    for (size_t i = 0; i < order.size(); ++i) order[i]->tabOrder_ = static_cast<int>(i);
    // The dialog manager walks the window order, so the window moves too.
    HWND after = at == 0 ? HWND_TOP : order[at - 1]->handle_;  // HWND_TOP is null
    if (handle_ && (at == 0 || after))
        SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::SetTabStop(bool v)
{
    tabStop_ = v;
    if (handle_) {
        LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
        style = v ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrA(handle_, GWL_STYLE, style);
    }
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (handle_) {
        SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        // WM_WINDOWPOSCHANGED updated the fields; a window may refuse a size.
    } else {
        SetBoundsFields(ALeft, ATop, AWidth, AHeight);
    }
}

void TWinControl::SetVisible(bool v)
{
    if (v == Visible()) return;
    TControl::SetVisible(v);
    if (handle_) ShowWindow(handle_, v ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool v)
{
    if (v == Enabled()) return;
    TControl::SetEnabled(v);
    if (handle_) EnableWindow(handle_, v);
}

void TWinControl::SetText(const std::string& v)
{
    if (v == Text()) return;
    TControl::SetText(v);
    if (handle_) SetWindowTextW(handle_, ToWide(v).c_str());
}

RECT TWinControl::ClientRect() const
{
    RECT r{0, 0, Width(), Height()};
    if (handle_) GetClientRect(handle_, &r);
    return r;
}

POINT TWinControl::ClientOrigin() const
{
    if (handle_) {
        POINT p{0, 0};
        ::ClientToScreen(handle_, &p);
        return p;
    }
    return TControl::ClientOrigin();
}

void TWinControl::Invalidate()
{
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update()
{
    if (handle_) UpdateWindow(handle_);
}

HBRUSH TWinControl::ColorBrush()
{
    colorBrush_.SetColor(Color());
    return colorBrush_.Handle();
}

void TWinControl::PaintControls(HDC dc)
{
    for (TControl* c : controls_) {
        auto* g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->Visible()) continue;
        const int saved = SaveDC(dc);
        POINT org;
        GetViewportOrgEx(dc, &org);
        SetViewportOrgEx(dc, org.x + g->Left(), org.y + g->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, g->Width(), g->Height());
        g->PaintTo(dc);
        RestoreDC(dc, saved);
    }
}

// ------------------------------------------------------------ messages

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self && t_creating) {
        // The first message of the window being made binds it to its object.
        self = std::exchange(t_creating, nullptr);
        self->handle_ = wnd;
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        SetPropA(wnd, kControlProp, self);
    }
    if (!self) return DefWindowProcW(wnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    try {
        self->Dispatch(m);
    } catch (...) {
        // Nothing may unwind into user32; the operation that threw has ended.
        m.Result = 0;
    }
    return m.Result;
}

void TWinControl::DefaultHandler(TMessage& m)
{
    if (!handle_) return;
    if (oldProc_)
        m.Result = CallWindowProcW(oldProc_, handle_, m.Msg, m.WParam, m.LParam);
    else
        m.Result = DefWindowProcW(handle_, m.Msg, m.WParam, m.LParam);
}

void TWinControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT: if (!IsSystemClass()) { WMPaint(m); return; } break;
    case WM_PRINTCLIENT: if (!IsSystemClass()) { WMPaint(m); return; } break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(m); break;
    case WM_NCDESTROY: WMNCDestroy(m); return;
    case WM_MOUSEMOVE: WMMouseMove(m); if (RouteMouseToGraphic(m)) return; break;
    case WM_MOUSELEAVE: WMMouseLeave(m); return;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP:
        if (RouteMouseToGraphic(m)) return;
        // Controls that click themselves hold the mouse between press and
        // release; system buttons manage their own capture.
        if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) && clickEvents_) SetCapture(handle_);
        {
            const TAliveFlag alive = AliveFlag();
            TControl::WndProc(m);
            if (!*alive) return;  // the click freed us: nothing of ours is left to touch
        }
        if (m.Msg == WM_LBUTTONUP && clickEvents_ && GetCapture() == handle_) ReleaseCapture();
        return;
    case WM_SETFOCUS: WMSetFocus(m); break;
    case WM_KILLFOCUS: DoExit(); break;
    case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR: WMKey(m); break;
    case CM_FOCUSCHANGED: case CM_DIALOGKEY: case CM_DIALOGCHAR:
        // Passed down to every child; the first one that answers ends it.
        Broadcast(m);
        if (m.Msg == CM_FOCUSCHANGED) m.Result = 0;
        return;
    case WM_CAPTURECHANGED: WMCaptureChanged(m); break;
    case WM_COMMAND: if (ReflectToChild(m, reinterpret_cast<HWND>(m.LParam), CN_COMMAND)) return; break;
    case WM_CTLCOLORBTN: if (ReflectToChild(m, reinterpret_cast<HWND>(m.LParam), CN_CTLCOLORBTN)) return; break;
    case WM_CTLCOLORSTATIC: if (ReflectToChild(m, reinterpret_cast<HWND>(m.LParam), CN_CTLCOLORSTATIC)) return; break;
    case CN_CTLCOLORBTN: case CN_CTLCOLORSTATIC:
        SetTextColor(reinterpret_cast<HDC>(m.WParam), ColorToRGB(Font().Color()));
        SetBkColor(reinterpret_cast<HDC>(m.WParam), ColorToRGB(Color()));
        m.Result = reinterpret_cast<LRESULT>(ColorBrush());
        return;
    case CM_FONTCHANGED:
        ApplyFont();
        for (TControl* c : controls_) c->Perform(CM_PARENTFONTCHANGED);
        break;
    case CM_COLORCHANGED:
        for (TControl* c : controls_) c->Perform(CM_PARENTCOLORCHANGED);
        break;
    default: break;
    }
    TControl::WndProc(m);
}

void TWinControl::WMPaint(TMessage& m)
{
    HDC given = reinterpret_cast<HDC>(m.WParam);
    if (given) {
        PaintWindow(given);
        PaintControls(given);
        return;
    }
    TPaintDC paint(handle_);
    PaintWindow(paint.get());
    PaintControls(paint.get());
}

void TWinControl::WMWindowPosChanged(TMessage& m)
{
    const auto* wp = reinterpret_cast<const WINDOWPOS*>(m.LParam);
    if ((wp->flags & SWP_NOSIZE) && (wp->flags & SWP_NOMOVE)) return;
    RECT r;
    GetWindowRect(handle_, &r);
    if (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(HWND_DESKTOP, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
    SetBoundsFields(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TWinControl::WMNCDestroy(TMessage& m)
{
    DefaultHandler(m);
    if (oldProc_) {
        SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
        oldProc_ = nullptr;
    }
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    RemovePropA(handle_, kControlProp);
    handle_ = nullptr;
    trackingLeave_ = false;
}

void TWinControl::WMMouseMove(TMessage&)
{
    if (!trackingLeave_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, handle_, 0};
        trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
    }
    if (!MouseInControl()) Perform(CM_MOUSEENTER);
}

void TWinControl::WMMouseLeave(TMessage&)
{
    trackingLeave_ = false;
    UpdateHover(nullptr);
    if (MouseInControl()) Perform(CM_MOUSELEAVE);
}

void TWinControl::UpdateHover(TControl* over)
{
    if (over == hoverControl_) return;
    TControl* old = hoverControl_;
    hoverControl_ = over;
    if (old) old->Perform(CM_MOUSELEAVE);
    if (over) over->Perform(CM_MOUSEENTER);
}

// Passes a mouse message to the windowless child under the point (or the one
// that holds the mouse since its button went down), in its own coordinates.
bool TWinControl::RouteMouseToGraphic(TMessage& m)
{
    const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    TControl* target = captureControl_ ? captureControl_ : ControlAtPos(p);
    if (m.Msg == WM_MOUSEMOVE) UpdateHover(ControlAtPos(p));
    if (!target || !target->Enabled()) return false;
    if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) {  // a double-click's second press
        captureControl_ = target;
        SetCapture(handle_);
    }
    const LPARAM local = MAKELPARAM(p.x - target->Left(), p.y - target->Top());
    const TAliveFlag alive = AliveFlag();
    target->Perform(m.Msg, m.WParam, local);
    if (!*alive) return true;  // the child's click freed this window
    if (m.Msg == WM_LBUTTONUP && captureControl_) {
        captureControl_ = nullptr;
        if (GetCapture() == handle_) ReleaseCapture();
    }
    return true;
}

// Another window took the mouse in the middle of a press (a menu, a dialog): the
// press ends without a click, here and in the windowless child that had it.
void TWinControl::WMCaptureChanged(TMessage& m)
{
    if (reinterpret_cast<HWND>(m.LParam) == handle_) return;
    clicked_ = false;
    if (TControl* c = std::exchange(captureControl_, nullptr)) c->Perform(WM_CANCELMODE);
}

void TWinControl::WMSetFocus(TMessage&)
{
    DoEnter();
    // Every control of the top window hears where the focus went (default
    // buttons redraw, the form remembers its active control).
    TWinControl* top = this;
    while (top->Parent()) top = top->Parent();
    top->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
}

void TWinControl::WMKey(TMessage& m)
{
    if (m.Msg == WM_CHAR) {
        char key = static_cast<char>(m.WParam);
        KeyPress(key);
        return;
    }
    WORD key = static_cast<WORD>(m.WParam);
    if (m.Msg == WM_KEYDOWN)
        KeyDown(key, KeyboardShiftState());
    else
        KeyUp(key, KeyboardShiftState());
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter()
{
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit) OnExit(this);
}

void TWinControl::Broadcast(TMessage& m)
{
    // By index: a child may leave the list while it answers.
    for (size_t i = 0; i < controls_.size(); ++i) {
        TControl* c = controls_[i];
        c->Dispatch(m);
        if (m.Result != 0) return;
    }
}

void TWinControl::AppendTabStops(std::vector<TWinControl*>& list) const
{
    std::vector<TWinControl*> kids;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) kids.push_back(w);
    std::stable_sort(kids.begin(), kids.end(),
                     [](TWinControl* a, TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
    for (TWinControl* w : kids) {
        if (!w->Visible() || !w->Enabled()) continue;
        if (w->TabStop() && w->HandleAllocated()) list.push_back(w);
        w->AppendTabStops(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward) const
{
    std::vector<TWinControl*> list;
    AppendTabStops(list);
    if (list.empty()) return nullptr;
    const auto at = std::find(list.begin(), list.end(), current);
    if (at == list.end()) return forward ? list.front() : list.back();
    const size_t i = static_cast<size_t>(at - list.begin());
    const size_t n = list.size();
    return list[forward ? (i + 1) % n : (i + n - 1) % n];
}

void TWinControl::Realign()
{
    RECT r = ClientRect();
    AdjustClientRect(r);
    AlignControls(r);
}

void TWinControl::AlignControls(RECT& rect)
{
    for (TAlign pass : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (size_t i = 0; i < controls_.size(); ++i) {
            TControl* c = controls_[i];
            if (c->Align() != pass || !c->Visible()) continue;
            const int w = rect.right - rect.left, h = rect.bottom - rect.top;
            switch (pass) {
            case TAlign::alTop: c->SetBounds(rect.left, rect.top, w, c->Height()); rect.top += c->Height(); break;
            case TAlign::alBottom:
                rect.bottom -= c->Height();
                c->SetBounds(rect.left, rect.bottom, w, c->Height());
                break;
            case TAlign::alLeft: c->SetBounds(rect.left, rect.top, c->Width(), h); rect.left += c->Width(); break;
            case TAlign::alRight:
                rect.right -= c->Width();
                c->SetBounds(rect.right, rect.top, c->Width(), h);
                break;
            default: c->SetBounds(rect.left, rect.top, std::max(0, w), std::max(0, h)); break;
            }
        }
    }
}

bool TWinControl::ReflectToChild(TMessage& m, HWND child, UINT reflected)
{
    if (!child || child == handle_) return false;
    TWinControl* c = FindControl(child);
    if (!c) return false;
    m.Result = c->Perform(reflected, m.WParam, m.LParam);
    return true;
}

// ================================================================== TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TCustomControl::WndProc(TMessage& m)
{
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;  // Paint covers everything; erasing would only flicker
        return;
    }
    TWinControl::WndProc(m);
}

void TCustomControl::PaintWindow(HDC dc)
{
    canvas_.SetHandle(dc);
    canvas_.Font().Assign(Font());
    Paint();
    canvas_.SetHandle(nullptr);
}

void TCustomControl::Paint()
{
    canvas_.Brush().SetColor(Color());
    canvas_.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas_.FillRect(ClientRect());
}
