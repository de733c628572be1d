#include "ComCtrls.h"

#include <commctrl.h>

namespace {

std::wstring Wide936(const std::string& s)
{
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(936, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(936, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string Narrow936(const wchar_t* w)
{
    const int n = WideCharToMultiByte(936, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string s(static_cast<size_t>(n - 1), '\0');
    WideCharToMultiByte(936, 0, w, -1, s.data(), n, nullptr, nullptr);
    return s;
}

// The state-image index of a row with check boxes: 1 unchecked, 2 checked.
constexpr UINT CheckState(bool checked) { return static_cast<UINT>(checked ? 2 : 1) << 12; }

}  // namespace

TListView::TListView(TComponent* AOwner) : TWinControl(AOwner)
{
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
}

void TListView::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SysClassName = WC_LISTVIEWA;
    params.Style |= LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP;
}

void TListView::CreateWindowDone()
{
    const LPARAM ex = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    for (int i = 0; i < static_cast<int>(columns_.size()); ++i) PutColumn(i);
    for (int i = 0; i < Count(); ++i) PutRow(i);
}

void TListView::PutColumn(int index)
{
    std::wstring text = Wide936(columns_[index].Caption);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.cx = columns_[index].Width;
    c.pszText = text.data();
    c.iSubItem = index;
    SendMessageW(Handle(), LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&c));
}

void TListView::PutRow(int index)
{
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    std::wstring first = Wide936(rows_[index].empty() ? std::string() : rows_[index][0]);
    item.pszText = first.data();
    SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    const std::vector<std::string> texts = rows_[index];
    for (int c = 1; c < static_cast<int>(texts.size()); ++c) SetItemText(index, c, texts[c]);
    SetChecked(index, checked_[index]);
}

void TListView::AddColumn(const std::string& caption, int width)
{
    columns_.push_back({caption, width});
    if (HandleAllocated()) PutColumn(static_cast<int>(columns_.size()) - 1);
}

int TListView::AddItem(const std::vector<std::string>& texts)
{
    rows_.push_back(texts);
    checked_.push_back(true);
    const int index = Count() - 1;
    if (HandleAllocated()) PutRow(index);
    return index;
}

void TListView::SetItemText(int item, int column, const std::string& text)
{
    if (item < 0 || item >= Count() || column < 0) return;
    auto& row = rows_[item];
    if (static_cast<int>(row.size()) <= column) row.resize(column + 1);
    row[column] = text;
    if (!HandleAllocated()) return;
    std::wstring w = Wide936(text);
    LVITEMW i{};
    i.iSubItem = column;
    i.pszText = w.data();
    SendMessageW(Handle(), LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&i));
}

std::string TListView::ItemText(int item, int column) const
{
    if (item < 0 || item >= Count()) return {};
    if (!HandleAllocated()) return column < static_cast<int>(rows_[item].size()) ? rows_[item][column] : std::string();
    wchar_t buffer[1024] = {};
    LVITEMW i{};
    i.iSubItem = column;
    i.pszText = buffer;
    i.cchTextMax = 1024;
    SendMessageW(const_cast<TListView*>(this)->Handle(), LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&i));
    return Narrow936(buffer);
}

void TListView::Clear()
{
    rows_.clear();
    checked_.clear();
    if (HandleAllocated()) SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0);
}

bool TListView::Checked(int item) const
{
    if (item < 0 || item >= Count()) return false;
    if (!HandleAllocated()) return checked_[item];
    const auto state = static_cast<UINT>(
        SendMessageW(const_cast<TListView*>(this)->Handle(), LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == CheckState(true);
}

void TListView::SetChecked(int item, bool checked)
{
    if (item < 0 || item >= Count()) return;
    checked_[item] = checked;
    if (!HandleAllocated()) return;
    LVITEMW i{};
    i.stateMask = LVIS_STATEIMAGEMASK;
    i.state = CheckState(checked);
    SendMessageW(Handle(), LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&i));
}
