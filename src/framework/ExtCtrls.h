#pragma once
// Panels and the timer.
#include "Controls.h"
#include "UtilWindow.h"

#include <memory>

// A plain panel: its colour, an optional raised or lowered edge and its caption
// centred.
enum class TPanelBevel { bvNone, bvLowered, bvRaised };

class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* AOwner);
    const char* ClassName() const override { return "TCustomPanel"; }
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel v) { bevelOuter_ = v; Invalidate(); }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v) { borderWidth_ = v; Invalidate(); }

protected:
    void Paint() override;

private:
    TPanelBevel bevelOuter_ = TPanelBevel::bvRaised;
    int borderWidth_ = 0;
};

class TPanel : public TCustomPanel {
public:
    using TCustomPanel::TCustomPanel;
    const char* ClassName() const override { return "TPanel"; }
};

// Calls OnTimer every Interval milliseconds while enabled.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    const char* ClassName() const override { return "TTimer"; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { if (v != enabled_) { enabled_ = v; UpdateTimer(); } }
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned v) { if (v != interval_) { interval_ = v; UpdateTimer(); } }
    TNotifyEvent OnTimer;

private:
    void UpdateTimer();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    std::unique_ptr<TUtilWindow> window_;
};
