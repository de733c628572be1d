#include "ExtCtrls.h"


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
