#include "ExtCtrls.h"

#include "Forms.h"

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {}

void TCustomPanel::Paint()
{
    TCanvas& c = Canvas();
    RECT r = ClientRect();
    c.Brush().SetColor(Color());
    c.FillRect(r);
    if (bevelOuter_ != TPanelBevel::bvNone)
        DrawEdge(c.Handle(), &r, bevelOuter_ == TPanelBevel::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    if (!Caption().empty())
        c.TextRect(r, Caption(), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

namespace {
constexpr UINT_PTR kTimerId = 1;
constexpr int kTitleStripHeight = 24;
}

TFramePanel::TFramePanel(TComponent* AOwner) : TCustomPanel(AOwner)
{
    SetBevelOuter(TPanelBevel::bvNone);
    titleFont_.SetName("Tahoma");
    titleFont_.SetHeight(-11);
    titleFont_.SetStyle(fsBold);
    titleFont_.SetColor(clBlack);
}

void TFramePanel::SetText(const std::string& v)
{
    TCustomPanel::SetText(v);
    // The frame's caption is the window's caption too.
    if (auto* form = dynamic_cast<TForm*>(Owner())) form->SetCaption(v);
}

void TFramePanel::Paint()
{
    TCanvas& c = Canvas();
    const RECT r = ClientRect();
    c.Brush().SetColor(Color());
    c.FillRect(r);
    c.Brush().SetColor(borderColor_);
    c.FrameRect(r);
    RECT title{1, 1, r.right - 1, kTitleStripHeight};
    TRIVERTEX v[2] = {{title.left, title.top, 0xFF00, 0xFF00, 0xFF00, 0},
                      {title.right, title.bottom, 0xD800, 0xD800, 0xD800, 0}};
    GRADIENT_RECT g{0, 1};
    GradientFill(c.Handle(), v, 2, &g, 1, GRADIENT_FILL_RECT_V);
    c.Font().Assign(titleFont_);
    c.TextRect(title, Caption(), DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}


TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner)
{
    window_ = std::make_unique<TUtilWindow>([this](UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg != WM_TIMER) return false;
        if (enabled_ && OnTimer) OnTimer(this);
        return true;
    });
    UpdateTimer();
}

TTimer::~TTimer()
{
    if (window_ && window_->Handle()) KillTimer(window_->Handle(), kTimerId);
}

void TTimer::UpdateTimer()
{
    if (!window_ || !window_->Handle()) return;
    KillTimer(window_->Handle(), kTimerId);
    if (enabled_ && interval_ > 0)
        SetTimer(window_->Handle(), kTimerId, interval_, nullptr);
}
