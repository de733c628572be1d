#include "Menus.h"

#include "WideText.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace {

// Hands out menu command numbers and takes them back. Numbers from 0xF000 up
// are the system menu's commands (SC_CLOSE and the rest): ours stay below so a
// command of ours never reads as one of them.
class TCommandPool {
public:
    UINT Acquire()
    {
        UINT id;
        if (next_ <= kLast) {
            id = next_++;
        } else if (!freed_.empty()) {
            id = freed_.front();
            freed_.pop_front();
        } else {
            throw EMenuError("Too many menu items");
        }
        ++live_;
        return id;
    }
    void Release(UINT id)
    {
        freed_.push_back(id);
        --live_;
    }
    int Live() const { return live_; }

private:
    static constexpr UINT kFirst = 100, kLast = 0xEFFF;
    UINT next_ = kFirst;
    std::deque<UINT> freed_;  // oldest first: a number rests as long as it can
    int live_ = 0;
};

// Menus live on the user-interface thread only.
TCommandPool& Commands()
{
    static TCommandPool pool;
    return pool;
}

std::string KeyName(WORD key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return "Num " + std::to_string(key - VK_NUMPAD0);
    switch (key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
    default: return {};
    }
}

}  // namespace

int LiveMenuCommands() { return Commands().Live(); }

std::string ShortCutToText(TShortCut shortCut)
{
    std::string key = KeyName(shortCut & 0xFF);
    if (key.empty()) return {};
    std::string text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    return text + key;
}

// =================================================================== TImageList

TImageList::TImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), width_(width), height_(height),
      list_(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 1, 4))
{
}

int TImageList::Count() const { return list_ ? ImageList_GetImageCount(list_.get()) : 0; }

int TImageList::AddMasked(TBitmap& picture, TColor maskColor)
{
    if (!list_ || picture.Empty()) return -1;
    // The list selects the bitmap into a DC of its own and blackens the masked
    // pixels; the picture may be in its canvas's DC, so it gets a copy.
    TBitmap copy(picture.Width(), picture.Height());
    if (copy.Empty()) return -1;
    std::memcpy(copy.ScanLine(0), picture.ScanLine(0), sizeof(uint32_t) * picture.Width() * picture.Height());
    return ImageList_AddMasked(list_.get(), copy.Handle(), ColorToRGB(maskColor));
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const
{
    if (!list_ || index < 0 || index >= Count()) return;
    if (enabled) {
        ImageList_Draw(list_.get(), index, canvas.Handle(), x, y, ILD_TRANSPARENT);
        return;
    }
    DrawShape(canvas.Handle(), x + 1, y + 1, index, ColorToRGB(clBtnHighlight));
    DrawShape(canvas.Handle(), x, y, index, ColorToRGB(clBtnShadow));
}

// Paints the image's opaque pixels in one colour: its mask as a stencil for a
// brush (ROP PSDPxax keeps the target where the mask is white).
void TImageList::DrawShape(HDC dc, int x, int y, int index, COLORREF colour) const
{
    constexpr DWORD kBrushWhereSourceBlack = 0x00B8074A;
    TBitmapHandle mask(CreateBitmap(width_, height_, 1, 1, nullptr));
    TMemoryDC maskDC;
    TSelectObject holdMask(maskDC.get(), mask.get());
    PatBlt(maskDC.get(), 0, 0, width_, height_, WHITENESS);
    ImageList_Draw(list_.get(), index, maskDC.get(), 0, 0, ILD_MASK);
    TBrushHandle brush(CreateSolidBrush(colour));
    TSelectObject holdBrush(dc, brush.get());
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, x, y, width_, height_, maskDC.get(), 0, 0, kBrushWhereSourceBlack);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
}

// ===================================================================== TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(Commands().Acquire()) {}

TMenuItem::~TMenuItem()
{
    Commands().Release(command_);
    if (parent_) parent_->Remove(this);
    for (TMenuItem* child : items_) child->parent_ = nullptr;
}

void TMenuItem::SetCaption(const std::string& v)
{
    if (v == caption_) return;
    caption_ = v;
    Changed(false);
}

void TMenuItem::SetChecked(bool v)
{
    if (v == checked_) return;
    checked_ = v;
    Changed(false);
}

void TMenuItem::SetEnabled(bool v)
{
    if (v == enabled_) return;
    enabled_ = v;
    Changed(false);
}

void TMenuItem::SetVisible(bool v)
{
    if (v == visible_) return;
    visible_ = v;
    Changed(true);
}

TPopupMenu* TMenuItem::Menu() const
{
    const TMenuItem* root = this;
    while (root->parent_) root = root->parent_;
    return root->menu_;
}

// The menu may act on the change right away (a bar refreshes its captions).
// Items dying with their form tell nobody: the menu's listeners may be gone.
void TMenuItem::Changed(bool rebuild)
{
    TPopupMenu* menu = Menu();
    if (!menu || menu->Destroying() || (menu->Owner() && menu->Owner()->Destroying())) return;
    menu->MenuChanged(this, rebuild);
}

void TMenuItem::Add(TMenuItem* item)
{
    if (!item || item->parent_ == this) return;
    if (item->parent_) item->parent_->Remove(item);
    item->parent_ = this;
    items_.push_back(item);
    Changed(true);
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
    Changed(true);
}

TMenuItem* TMenuItem::FindByShortCut(TShortCut shortCut)
{
    if (!enabled_ || !visible_) return nullptr;
    if (shortCut_ != 0 && shortCut_ == shortCut) return this;
    for (TMenuItem* child : items_)
        if (TMenuItem* found = child->FindByShortCut(shortCut)) return found;
    return nullptr;
}

TMenuItem* TMenuItem::FindByCommand(UINT command)
{
    if (command_ == command) return this;
    for (TMenuItem* child : items_)
        if (TMenuItem* found = child->FindByCommand(command)) return found;
    return nullptr;
}

void TMenuItem::Click()
{
    if (OnClick) OnClick(this);
}

// ==================================================================== TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(this))
{
    items_->menu_ = this;
    window_ = std::make_unique<TUtilWindow>(
        [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            return HandleOwnerDraw(msg, wParam, lParam, result);
        },
        "TPopupList", WS_POPUP, WS_EX_TOOLWINDOW, false);
}

// The root item is a component of ours and may outlive this body briefly.
TPopupMenu::~TPopupMenu()
{
    if (items_) items_->menu_ = nullptr;
}

void TPopupMenu::MenuChanged(TMenuItem*, bool Rebuild)
{
    if (watcher_) watcher_->MenuItemsChanged(this, Rebuild);
    if (OnChange) OnChange(this);
}

void TPopupMenu::SetImages(TImageList* list)
{
    if (list == images_) return;
    if (images_) RemoveFreeNotification(images_);
    images_ = list;
    if (images_) FreeNotification(images_);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent == items_) items_ = nullptr;
    if (Operation == TOperation::opRemove && AComponent == images_) images_ = nullptr;
    TComponent::Notification(AComponent, Operation);
}

TMenuHandle TPopupMenu::BuildMenuBar()
{
    return items_ ? BuildMenu(items_, true) : TMenuHandle(CreateMenu());
}

TMenuHandle TPopupMenu::BuildMenu(TMenuItem* parent, bool bar)
{
    TMenuHandle menu(bar ? CreateMenu() : CreatePopupMenu());
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible()) continue;
        UINT flags = item->IsLine() ? MF_SEPARATOR : MF_STRING;
        if (ownerDraw_) flags |= MF_OWNERDRAW;
        if (item->Checked()) flags |= MF_CHECKED;
        if (!item->Enabled()) flags |= MF_GRAYED;
        UINT_PTR id = item->Command();
        if (item->Count() > 0) {
            flags |= MF_POPUP;
            id = reinterpret_cast<UINT_PTR>(BuildMenu(item).release());  // the parent menu frees it
        }
        // Owner-drawn items carry the item itself as their data; plain ones
        // show the short cut after a tab, right-aligned by the system.
        std::string text = item->Caption();
        if (const std::string keys = ShortCutToText(item->ShortCut()); !keys.empty()) text += "\t" + keys;
        const std::wstring wide = ToWide(text);
        const wchar_t* data = ownerDraw_ ? reinterpret_cast<const wchar_t*>(item) : wide.c_str();
        AppendMenuW(menu.get(), flags, id, data);
        if (item->Default()) SetMenuDefaultItem(menu.get(), item->Command(), FALSE);
    }
    return menu;
}

void TPopupMenu::Popup(int X, int Y)
{
    popupPoint_ = POINT{X, Y};
    if (OnPopup) OnPopup(this);
    if (items_) Track(items_, X, Y);
}

void TPopupMenu::PopupItem(TMenuItem* item, int X, int Y)
{
    if (item && item->Count() > 0 && item->Menu() == this) Track(item, X, Y);
}

void TPopupMenu::Track(TMenuItem* parent, int X, int Y)
{
    TMenuHandle menu = BuildMenu(parent);
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, X, Y, 0, window_->Handle(), nullptr));
    // The menu window has closed: a message posted now lets the owner window's
    // next activation work as usual.
    PostMessageA(window_->Handle(), WM_NULL, 0, 0);
    if (command == 0 || !items_) return;
    if (TMenuItem* item = items_->FindByCommand(command)) item->Click();
}

void TPopupMenu::MeasureItem(TMenuItem* item, int& width, int& height)
{
    if (item->OnMeasureItem) {
        TWindowDC screen(nullptr);
        TCanvas canvas(screen.get());
        item->OnMeasureItem(item, canvas, width, height);
    } else if (OnMeasureItem) {
        TWindowDC screen(nullptr);
        TCanvas canvas(screen.get());
        OnMeasureItem(item, canvas, width, height);
    }
}

void TPopupMenu::DrawItem(TMenuItem* item, TCanvas& canvas, RECT rect, bool selected)
{
    if (item->OnDrawItem)
        item->OnDrawItem(item, canvas, rect, selected);
    else if (OnDrawItem)
        OnDrawItem(item, canvas, rect, selected);
    else {
        canvas.Brush().SetColor(selected ? clHighlight : clMenu);
        canvas.FillRect(rect);
        canvas.Font().SetColor(selected ? clHighlightText : clWindowText);
        rect.left += 16;
        canvas.TextRect(rect, item->Caption(), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
}

bool TPopupMenu::IsShortCut(const MSG& msg)
{
    if ((msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) || !items_) return false;
    const WORD key = static_cast<WORD>(msg.wParam);
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return false;
    TShortCut modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0) modifiers |= scShift;
    if (GetKeyState(VK_CONTROL) < 0) modifiers |= scCtrl;
    if (GetKeyState(VK_MENU) < 0) modifiers |= scAlt;
    TMenuItem* item = items_->FindByShortCut(ShortCut(key, modifiers));
    if (!item || item == items_) return false;
    item->Click();  // may free the menu: nothing of ours is touched after it
    return true;
}

bool TPopupMenu::HandleOwnerDraw(UINT msg, WPARAM, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (mis->CtlType != ODT_MENU || !mis->itemData) return false;
        auto* item = reinterpret_cast<TMenuItem*>(mis->itemData);
        int w = 80, h = item->IsLine() ? 5 : 19;
        MeasureItem(item, w, h);
        mis->itemWidth = static_cast<UINT>(std::max(w, 0));
        mis->itemHeight = static_cast<UINT>(std::max(h, 0));
        result = TRUE;
        return true;
    }
    if (msg == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (dis->CtlType != ODT_MENU || !dis->itemData) return false;
        auto* item = reinterpret_cast<TMenuItem*>(dis->itemData);
        TCanvas canvas(dis->hDC);
        DrawItem(item, canvas, dis->rcItem, (dis->itemState & ODS_SELECTED) != 0);
        result = TRUE;
        return true;
    }
    return false;
}
