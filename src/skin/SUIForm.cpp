#include "SUIForm.h"

#include "Dialogs.h"
#include "SUIMainMenu.h"
#include "SUIMenuBar.h"
#include "SUIMenuPaint.h"
#include "SUIThemes.h"

#include <stdexcept>
#include <utility>

namespace {
constexpr int kMinFormWidth = 125;
constexpr int kMinFormHeight = 50;
constexpr int kSizingMargin = 5;  // pixels from the edge that size a borderless form
}  // namespace

TsuiForm::TsuiForm(TComponent* AOwner) : TsuiSkinned<TCustomPanel>(AOwner)
{
    form_ = dynamic_cast<TForm*>(AOwner);
    titleBar_ = new TsuiTitleBar(this);
    titleBar_->SetParent(this);
    if (!form_) return;  // a frame stands on the form that owns it; nothing else is supported
    for (int i = 0; i < form_->ControlCount(); ++i)
        if (dynamic_cast<TsuiForm*>(form_->Controls(i)))
            throw std::runtime_error("Sorry, You can create only one TsuiForm component in one form!");
    form_->Constraints().MinHeight = kMinFormHeight;
    form_->Constraints().MinWidth = kMinFormWidth;
    savedBounds_ = form_->BoundsRect();
    createdMaximized_ = form_->WindowState() == TWindowState::wsMaximized;
    menuBarColor_ = Color();
    savedBorderStyle_ = form_->BorderStyle();
    SetUIStyle(TsuiUIStyle::DeepBlue);
    SetBevelOuter(TPanelBevel::bvNone);
    SetCaption(form_->Caption());
    TCustomPanel::SetText(" ");
    HookForm();
}

TsuiForm::~TsuiForm()
{
    if (ownsMessageHook_) Application()->OnMessage = nullptr;
    if (menu_ && menu_->Watcher() == this) menu_->SetWatcher(nullptr);
    if (auto* skinned = dynamic_cast<TsuiMainMenu*>(menu_)) skinned->SetFrame(nullptr);
    // The form's window outlives us (its components go first): its procedure
    // must not call into a frame that has gone.
    if (form_ && oldFormProc_) form_->SetWindowProc(oldFormProc_);
}

// The form loses its caption and border; its messages reach us after its own
// procedure has run.
void TsuiForm::HookForm()
{
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    oldFormProc_ = form_->WindowProc();
    form_->SetWindowProc([this](TMessage& m) {
        if (m.Msg == WM_PAINT || m.Msg == WM_PRINTCLIENT) {
            FormPaint(m);
            return;
        }
        oldFormProc_(m);
        FormWndProc(m);
    });
    if (form_->HandleAllocated()) {
        HWND h = form_->Handle();
        SetWindowLongPtrA(h, GWL_STYLE, GetWindowLongPtrA(h, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CAPTION));
    }
    if (!Application()->OnMessage) {
        Application()->OnMessage = [this](MSG& msg, bool& handled) { AppMessage(msg, handled); };
        ownsMessageHook_ = true;
    }
}

void TsuiForm::SetUIStyle(TsuiUIStyle value)
{
    StoreUIStyle(value);
    SetBorderColor(StyleColor(ThemeItem::FormBorderColor));
    SetBorderWidth(GetStyleInt(FileTheme(), value, ThemeItem::FormBorderWidthInt));
    SetColor(StyleColor(ThemeItem::FormBackgroundColor));
    SetMenuBarColor(Color());
    titleBar_->SetFileTheme(FileTheme());
    titleBar_->SetUIStyle(value);
    if (auto* skinned = dynamic_cast<TsuiMainMenu*>(menu_)) {
        skinned->SetUIStyle(value);
        skinned->SetFileTheme(FileTheme());
    }
    if (autoUpdateSub_) ApplyStyleToChildren(*this, value, FileTheme());
    Layout();
    Invalidate();
    PaintBorder();
}

void TsuiForm::SetFileTheme(TsuiFileTheme* value)
{
    if (value == FileTheme()) return;
    TsuiSkinned<TCustomPanel>::SetFileTheme(value);
}

void TsuiForm::FileThemeRemoved()
{
    ApplyStyleToChildren(*this, TsuiUIStyle::DeepBlue, nullptr);
    SetUIStyle(TsuiUIStyle::DeepBlue);
}

void TsuiForm::SetBorderColor(TColor value)
{
    borderColor_ = value;
    Layout();
    PaintBorder();
}

void TsuiForm::SetBorderWidth(int value)
{
    borderWidth_ = value;
    SetFrameWidth(Width());
    Layout();
    SetFrameHeight(Height());
    PaintBorder();
}

void TsuiForm::SetFrameWidth(int value)
{
    if (form_) form_->SetWidth(value + 2 * borderWidth_);
    Layout();
}

// The title bar covers the top border: half a border more is enough below.
void TsuiForm::SetFrameHeight(int value)
{
    if (form_) form_->SetHeight(value + borderWidth_ + borderWidth_ / 2);
    Layout();
}

void TsuiForm::SetTitleBarVisible(bool value)
{
    if (value == titleBar_->Visible()) return;
    titleBar_->SetVisible(value);
    titleBar_->SetTop(0);
    Layout();
    PaintBorder();
}

void TsuiForm::SetCaption(const std::string& value)
{
    titleBar_->SetCaption(value);
    if (form_) form_->SetCaption(value);
}

void TsuiForm::SetFormPanel(TCustomPanel* value)
{
    if (value == this) {
        ShowMessageBox(nullptr, "Sorry, you can't select the Form assign to FormPanel property", Application()->Title(),
                       MB_ICONERROR | MB_OK);
        return;
    }
    if (formPanel_) RemoveFreeNotification(formPanel_);
    formPanel_ = value;
    if (!formPanel_) return;
    FreeNotification(formPanel_);
    formPanel_->SetAlign(TAlign::alClient);
    if (auto* plain = dynamic_cast<TPanel*>(formPanel_)) {
        plain->SetBevelOuter(TPanelBevel::bvNone);
        plain->SetBorderWidth(0);
        plain->SetCaption("");
    }
}

void TsuiForm::Layout()
{
    if (!form_) return;
    const int bw = borderWidth_;
    const int top = titleBar_->Visible() ? 0 : bw;
    SetBounds(bw, top, form_->ClientWidth() - 2 * bw, form_->ClientHeight() - bw - top);
}

// On the form's own surface, round the frame, at once; every later paint of
// the form draws it again.
void TsuiForm::PaintBorder()
{
    if (!form_ || !form_->HandleAllocated()) return;
    TWindowDC dc(form_->Handle());
    PaintBorderOn(dc.get());
}

// The form paints its face over the whole client area (its children clipped
// out), border strips included: the border goes on in the same paint, after
// the face, so that no later paint covers it.
void TsuiForm::FormPaint(TMessage& m)
{
    if (HDC given = reinterpret_cast<HDC>(m.WParam)) {
        oldFormProc_(m);
        PaintBorderOn(given);
        return;
    }
    TPaintDC paint(form_->Handle());
    TMessage inner{WM_PAINT, reinterpret_cast<WPARAM>(paint.get()), 0, 0};
    oldFormProc_(inner);
    PaintBorderOn(paint.get());
}

void TsuiForm::PaintBorderOn(HDC dc)
{
    TCanvas c(dc);
    const int w = form_->ClientWidth(), h = form_->ClientHeight(), bw = borderWidth_;
    c.Brush().SetColor(borderColor_);
    c.Pen().SetColor(borderColor_);
    c.Pen().SetWidth(bw);
    c.FillRect(RECT{0, 0, bw, h});
    c.FillRect(RECT{0, h - bw, w, h});
    c.FillRect(RECT{w - bw, 0, w, h});
    c.MoveTo(0, 0);
    c.LineTo(w, 0);
}

void TsuiForm::Paint()
{
    const RECT client = ClientRect();
    const char* pattern = UIStyle() == TsuiUIStyle::MacOS     ? "MACOS_FORM_BACKGROUND"
                          : UIStyle() == TsuiUIStyle::Protein ? "PROTEIN_FORM_BACKGROUND"
                                                              : nullptr;
    TBitmap tile;
    if (pattern) {
        try {
            LoadSkinPicture(tile, pattern);
        } catch (const EResNotFound&) {
            // the plain colour below
        }
    }
    // One fill straight onto the target, which never shows half of it: a
    // buffer the size of the frame cost more than the fill (its fresh memory).
    // The pattern starts at the frame's corner in any DC, also one a child
    // has shifted to paint what lies behind it.
    TCanvas& c = Canvas();
    POINT origin, oldBrushOrigin;
    GetViewportOrgEx(c.Handle(), &origin);
    SetBrushOrgEx(c.Handle(), origin.x, origin.y, &oldBrushOrigin);
    if (!tile.Empty()) c.Brush().SetBitmap(&tile);
    c.Brush().SetColor(Color());
    c.FillRect(client);
    c.Brush().SetBitmap(nullptr);
    SetBrushOrgEx(c.Handle(), oldBrushOrigin.x, oldBrushOrigin.y, nullptr);
}

// ------------------------------------------------------------ the form's messages

void TsuiForm::FormWndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ACTIVATE: titleBar_->SetFormActive(LOWORD(m.WParam) != WA_INACTIVE); break;
    case WM_SIZE: FormSized(); break;
    case WM_NCHITTEST: FormHitTest(m); break;
    case WM_SHOWWINDOW: form_->SetMenu(nullptr); break;
    case WM_KEYDOWN: m.Result = MenuShortCut(MSG{form_->Handle(), m.Msg, m.WParam, m.LParam, 0, {}}); break;
    default: break;
    }
}

void TsuiForm::FormSized()
{
    const bool maximized = form_->WindowState() == TWindowState::wsMaximized;
    if (createdMaximized_ && !maximized) {
        createdMaximized_ = false;
        SetFormBounds(*form_, savedBounds_);
    }
    // A maximised skinned form leaves the task bar visible.
    if (maximized && savedBorderStyle_ != TFormBorderStyle::bsNone) SetFormBounds(*form_, QueryWorkArea());
    Layout();
    PaintBorder();
    titleBar_->RefreshMaximizeButtons();
    titleBar_->ApplyRoundCorner();
}

void TsuiForm::FormHitTest(TMessage& m)
{
    if (form_->WindowState() == TWindowState::wsMaximized || savedBorderStyle_ != TFormBorderStyle::bsSizeable) return;
    const POINT p = form_->ScreenToClient(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
    const int W = form_->ClientWidth(), H = form_->ClientHeight(), e = kSizingMargin;
    const bool left = p.x < e, right = p.x > W - e, top = p.y < e, bottom = p.y > H - e;
    if (left && top) m.Result = HTTOPLEFT;
    else if (right && top) m.Result = HTTOPRIGHT;
    else if (right && bottom) m.Result = HTBOTTOMRIGHT;
    else if (left && bottom) m.Result = HTBOTTOMLEFT;
    else if (left) m.Result = HTLEFT;
    else if (top) m.Result = HTTOP;
    else if (right) m.Result = HTRIGHT;
    else if (bottom) m.Result = HTBOTTOM;
}

// Alt+Space anywhere in the program opens the title bar's menu below the main
// form's top-left corner.
void TsuiForm::AppMessage(MSG& msg, bool& handled)
{
    if (msg.message == WM_KEYDOWN) {
        handled = MenuShortCut(msg);
        return;
    }
    // Alt+letter or F10 opens the bar's drop-down (while our form is active).
    if (msg.message == WM_SYSKEYDOWN && msg.wParam != VK_SPACE) {
        if (menuBar_ && form_ && form_->Active() && menuBar_->OpenByKey(static_cast<WORD>(msg.wParam))) handled = true;
        return;
    }
    if (msg.message != WM_SYSKEYDOWN || msg.wParam != VK_SPACE) return;
    TForm* main = Application()->MainForm();
    if (!main) return;
    titleBar_->PopupTitleBarMenuAt(POINT{main->Left(), main->Top() + titleBar_->Height()});
    handled = true;
}

void TsuiForm::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent == formPanel_) formPanel_ = nullptr;
    if (Operation == TOperation::opRemove && AComponent == menuBar_) menuBar_ = nullptr;
    if (Operation == TOperation::opRemove && AComponent == menu_ && menu_) SetMenu(nullptr);
    TsuiSkinned<TCustomPanel>::Notification(AComponent, Operation);
}

void TsuiForm::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_CREATE: Layout(); PaintBorder(); return;
    case WM_ERASEBKGND: m.Result = 1; return;
    default: break;
    }
    TsuiSkinned<TCustomPanel>::WndProc(m);
}

// ------------------------------------------------------------------ the menu bar

void TsuiForm::SetMenu(TPopupMenu* value)
{
    if (auto* old = dynamic_cast<TsuiMainMenu*>(menu_)) old->SetFrame(nullptr);
    // A menu going away (its notice brings us here) needs nothing undone.
    if (menu_ && !menu_->Destroying() && menu_->Watcher() == this) menu_->SetWatcher(nullptr);
    if (menu_ && menu_ != value) RemoveFreeNotification(menu_);
    menu_ = value;
    if (menu_) menu_->SetWatcher(this);
    if (auto* skinned = dynamic_cast<TsuiMainMenu*>(menu_)) skinned->SetFrame(this);
    if (!menu_) {
        if (TsuiMenuBar* bar = std::exchange(menuBar_, nullptr)) {
            bar->Free();
            Realign();  // the controls below take the bar's room back
        }
        return;
    }
    FreeNotification(menu_);
    if (!menuBar_) menuBar_ = new TsuiMenuBar(this);
    ApplyMenuFont();
    RebuildMenuBar();
}

void TsuiForm::RebuildMenuBar()
{
    if (menuBar_) menuBar_->Rebuild();
}

void TsuiForm::MenuItemsChanged(TPopupMenu* menu, bool rebuild)
{
    if (menu != menu_ || !menuBar_) return;
    ApplyMenuFont();
    if (rebuild)
        RebuildMenuBar();
    else
        RefreshMenuBarCaptions();
}

void TsuiForm::RefreshMenuBarCaptions()
{
    if (menuBar_) menuBar_->RefreshCaptions();
}

void TsuiForm::ApplyMenuFont()
{
    if (!menuBar_ || !menu_) return;
    if (auto* skinned = dynamic_cast<TsuiPopupMenu*>(menu_)) {
        TFont font;
        font.Assign(menuBar_->Font());
        if (skinned->UseSystemFont()) {
            AssignMenuFont(font);
        } else {
            font.SetName(skinned->FontName());
            font.SetSize(skinned->FontSize());
            font.SetCharset(skinned->FontCharset());
        }
        menuBar_->SetFont(font);
    }
    menuBar_->Measure();
}

void TsuiForm::SetMenuBarColor(TColor value)
{
    menuBarColor_ = value;
    if (!menuBar_) return;
    menuBar_->SetColor(value);
    menuBar_->Invalidate();
}

void TsuiForm::SetMenuBarHeight(int value)
{
    menuBarHeight_ = value;
    if (!menuBar_) return;
    menuBar_->SetHeight(value);
    Realign();
    menuBar_->Measure();
}

// The click may free the form and us: nothing is touched after it.
bool TsuiForm::MenuShortCut(const MSG& msg)
{
    return form_ && IsFormActive(form_) && form_->Active() && menu_ && menu_->IsShortCut(msg);
}
