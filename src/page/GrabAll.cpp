#include "GrabAll.h"

#include "Dialogs.h"
#include "FrameDesign.h"
#include "MovieElement.h"
#include "WideText.h"

#include <shlobj.h>

namespace {

constexpr int kFrameWidth = 598, kFrameHeight = 399;
enum TColumn { colAddress, colFound, colSize, colCached, colState };

std::wstring FolderOf(const std::wstring& file)
{
    const size_t slash = file.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash);
}

std::string SizeText(int64_t size) { return size < 0 ? std::string() : std::to_string(size); }

}  // namespace

std::wstring DefaultGrabFolder(const std::wstring& lastSavedFile)
{
    const std::wstring folder = FolderOf(lastSavedFile);
    if (!folder.empty() && GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return folder;
    wchar_t desktop[MAX_PATH] = {};
    if (SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE)) return desktop;
    return {};
}

TfrmGrabAll::TfrmGrabAll(TComponent* AOwner) : TForm(AOwner)
{
    SetName("frmGrabAll");
    BuildLayout();
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

TfrmGrabAll::~TfrmGrabAll() = default;

void TfrmGrabAll::BuildLayout()
{
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    Font().SetName("MS Sans Serif");
    Font().SetCharset(GB2312_CHARSET);
    Font().SetHeight(-12);
    SetCaption("抓取整页Flash");
    SetClientSize(kFrameWidth + 2, kFrameHeight + 1);
    SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, Width(),
              Height());

    suiForm1 = new TsuiForm(this);  // components are owned by the form
    suiForm1->SetName("suiForm1");
    suiForm1->SetParent(this);
    using B = TsuiTitleBarBtnType;
    DesignMacFrame(*suiForm1, {B::suiClose, B::suiMin}, kFrameWidth, kFrameHeight);
    suiForm1->SetCaption(Caption());

    lvMovies = new TListView(this);
    lvMovies->SetName("lvMovies");
    lvMovies->SetParent(suiForm1);
    lvMovies->SetBounds(8, 30, 582, 270);
    lvMovies->AddColumn("地址", 270);
    lvMovies->AddColumn("位置", 70);
    lvMovies->AddColumn("大小", 70);
    lvMovies->AddColumn("缓存", 50);
    lvMovies->AddColumn("状态", 100);
    lvMovies->SetTabOrder(0);

    auto text = [this](const char* name, RECT b) {
        auto* t = new TStaticText(this);
        t->SetName(name);
        t->SetParent(suiForm1);
        t->SetBounds(b.left, b.top, b.right, b.bottom);
        return t;
    };
    lblStatus = text("lblStatus", {8, 306, 582, 17});
    lblFolder = text("lblFolder", {8, 336, 470, 17});

    auto button = [this](const char* name, RECT b, const char* caption, int tab, void (TfrmGrabAll::*click)(TObject*)) {
        auto* btn = new TsuiButton(this);
        btn->SetName(name);
        btn->SetParent(suiForm1);
        btn->SetUIStyle(TsuiUIStyle::MacOS);
        btn->SetBounds(b.left, b.top, b.right, b.bottom);
        btn->SetCaption(caption);
        btn->SetTransparent(true);
        btn->SetTabOrder(tab);
        btn->OnClick = [this, click](TObject* s) { (this->*click)(s); };
        return btn;
    };
    btnFolder = button("btnFolder", {490, 332, 100, 25}, "文件夹(&F)...", 1, &TfrmGrabAll::btnFolderClick);
    btnAll = button("btnAll", {8, 366, 75, 25}, "全选(&A)", 2, &TfrmGrabAll::btnAllClick);
    btnNone = button("btnNone", {90, 366, 75, 25}, "全不选(&N)", 3, &TfrmGrabAll::btnNoneClick);
    btnSave = button("btnSave", {434, 366, 75, 25}, "保存(&S)", 4, &TfrmGrabAll::btnSaveClick);
    btnCancel = button("btnCancel", {515, 366, 75, 25}, "取消(&C)", 5, &TfrmGrabAll::btnCancelClick);

    cbComplete = new TsuiCheckBox(this);
    cbComplete->SetName("cbComplete");
    cbComplete->SetParent(suiForm1);
    cbComplete->SetUIStyle(TsuiUIStyle::MacOS);
    cbComplete->SetBounds(176, 368, 250, 21);
    cbComplete->SetCaption("完整保存（连同动画运行时载入的文件）");
    cbComplete->SetAutoSize(true);
    cbComplete->SetTabStop(true);
    cbComplete->SetTabOrder(6);
}

void TfrmGrabAll::SetComplete(bool complete, bool downloadReferences)
{
    cbComplete->SetChecked(complete);
    downloadReferences_ = downloadReferences;
}

std::string TfrmGrabAll::FoundText(TFoundIn found)
{
    switch (found) {
    case TFoundIn::Page: return "网页";
    case TFoundIn::Frame: return "框架";
    case TFoundIn::CacheOnly: return "仅在缓存中";
    }
    return {};
}

std::string TfrmGrabAll::StateText(const TGrabJob& job)
{
    switch (job.State) {
    case TGrabState::Waiting: return "等待";
    case TGrabState::Saving:
        return job.Percent >= 0 ? std::to_string(job.Percent) + "%" : std::to_string(job.Received) + " 字节";
    case TGrabState::Saved: return !job.MovieProblem.empty() ? "已保存（" + job.MovieProblem + "）" : (job.FromCache ? "已保存（缓存）" : "已保存");
    case TGrabState::Failed: return "失败：" + job.Reason;
    case TGrabState::Cancelled: return "已取消";
    }
    return {};
}

void TfrmGrabAll::ShowMovies(const TPageWalkResult& walk)
{
    items_ = walk.Movies.Items();
    lvMovies->Clear();
    for (const TGrabItem& item : items_)
        lvMovies->AddItem({item.Address, FoundText(item.Found), SizeText(item.Size), item.Cached() ? "有" : "无", ""});
    lblStatus->SetText(GrabStatusText(items_.size(), walk.DeniedFrames, walk.WithoutSource, walk.CutLists, MaxCollectionItems));
    btnSave->SetEnabled(!items_.empty());
}

void TfrmGrabAll::SetFolder(const std::wstring& folder)
{
    folder_ = folder;
    lblFolder->SetText("保存到：" + ToNarrow(folder_));  // what 936 cannot hold shows as "?"; the folder keeps it
}

void TfrmGrabAll::btnFolderClick(TObject*)
{
    const std::wstring title = ToWide("请选择保存Flash文件的文件夹");
    BROWSEINFOW info{};
    info.hwndOwner = Handle();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
    if (!chosen) return;
    wchar_t path[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    if (ok && path[0]) SetFolder(path);
}

void TfrmGrabAll::btnAllClick(TObject*)
{
    for (int i = 0; i < lvMovies->Count(); ++i) lvMovies->SetChecked(i, true);
}

void TfrmGrabAll::btnNoneClick(TObject*)
{
    for (int i = 0; i < lvMovies->Count(); ++i) lvMovies->SetChecked(i, false);
}

void TfrmGrabAll::SetButtonsForSaving(bool saving)
{
    for (TsuiButton* b : {btnFolder, btnAll, btnNone, btnSave}) b->SetEnabled(!saving);
    cbComplete->SetEnabled(!saving);
}

void TfrmGrabAll::btnSaveClick(TObject*)
{
    if (Saving()) return;
    if (folder_.empty() || GetFileAttributesW(folder_.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ShowMessage("请先选择一个存在的文件夹。");
        return;
    }
    std::vector<TGrabItem> chosen;
    rowOfJob_.clear();
    for (int i = 0; i < lvMovies->Count(); ++i) {
        lvMovies->SetItemText(i, colState, "");
        if (!lvMovies->Checked(i)) continue;
        chosen.push_back(items_[i]);
        rowOfJob_.push_back(i);
        lvMovies->SetItemText(i, colState, "等待");
    }
    if (chosen.empty()) {
        ShowMessage("没有选中要保存的Flash。");
        return;
    }
    saver_ = std::make_unique<TGrabSaver>(std::move(chosen), folder_);
    saver_->SetComplete(cbComplete->Checked(), downloadReferences_);
    if (OnCompleteChosen) OnCompleteChosen(cbComplete->Checked());
    saver_->OnJob = [this](size_t job) { JobChanged(job); };
    saver_->OnDone = [this] { SavingDone(); };
    SetButtonsForSaving(true);
    saver_->Start();
}

void TfrmGrabAll::JobChanged(size_t job)
{
    const TGrabJob& j = saver_->Jobs()[job];
    lvMovies->SetItemText(rowOfJob_[job], colState, StateText(j));
    if (j.State == TGrabState::Saved && j.Item.Size < 0) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExW(j.File.c_str(), GetFileExInfoStandard, &data))
            lvMovies->SetItemText(rowOfJob_[job], colSize, std::to_string(data.nFileSizeLow));
    }
    if (OnTip && j.State == TGrabState::Saving)
        OnTip("保存Flash " + std::to_string(job + 1) + "/" + std::to_string(saver_->Jobs().size()) + " " +
              (j.Percent >= 0 ? std::to_string(j.Percent) + "%" : std::string()));
}

void TfrmGrabAll::SavingDone()
{
    if (OnTip) OnTip(std::string());
    SetButtonsForSaving(false);
    ShowMessage(GrabReportText(saver_->Summary()));
    // The box pumped messages: the window may have been asked to close meanwhile.
    if (closeWhenDone_) Release();
}

void TfrmGrabAll::btnCancelClick(TObject*)
{
    if (Saving()) {
        saver_->Cancel();
        btnCancel->SetEnabled(false);
        return;
    }
    Close();
}

void TfrmGrabAll::FormClose(TObject*, TCloseAction& Action)
{
    // A movie being saved is finished first; the window goes after the report.
    if (Saving()) {
        saver_->Cancel();
        closeWhenDone_ = true;
        Action = TCloseAction::caNone;
        return;
    }
    Action = TCloseAction::caFree;
}
