#include "Menus.h"

#include <algorithm>

namespace {
UINT NextCommand()
{
    static UINT next = 100;  // menu command numbers, unique in the process
    return next++;
}
}

// ===================================================================== TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(NextCommand()) {}

TMenuItem::~TMenuItem()
{
    if (parent_) parent_->Remove(this);
    for (TMenuItem* child : items_) child->parent_ = nullptr;
}

void TMenuItem::Add(TMenuItem* item)
{
    if (!item || item->parent_ == this) return;
    if (item->parent_) item->parent_->Remove(item);
    item->parent_ = this;
    items_.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
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
    window_ = std::make_unique<TUtilWindow>(
        [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            return MenuMessage(msg, wParam, lParam, result);
        },
        "TPopupList", WS_POPUP, WS_EX_TOOLWINDOW, false);
}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent == items_) items_ = nullptr;
    TComponent::Notification(AComponent, Operation);
}

TMenuHandle TPopupMenu::BuildMenu(TMenuItem* parent)
{
    TMenuHandle menu(CreatePopupMenu());
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
        // Owner-drawn items carry the item itself as their data.
        const char* data = ownerDraw_ ? reinterpret_cast<const char*>(item) : item->Caption().c_str();
        AppendMenuA(menu.get(), flags, id, data);
        if (item->Default()) SetMenuDefaultItem(menu.get(), item->Command(), FALSE);
    }
    return menu;
}

void TPopupMenu::Popup(int X, int Y)
{
    popupPoint_ = POINT{X, Y};
    if (OnPopup) OnPopup(this);
    if (!items_) return;
    TMenuHandle menu = BuildMenu(items_);
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

bool TPopupMenu::MenuMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result)
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
