#pragma once
// The skinned group box: a thin frame in the style's control border colour
// with the caption set into its top edge, children laid out inside the frame,
// and a style it hands on to its direct children.
#include "SUIImagePanel.h"
#include "SUIPublic.h"

class TsuiCustomGroupBox : public TsuiSkinned<TsuiCustomPanel> {
public:
    explicit TsuiCustomGroupBox(TComponent* AOwner);
    const char* ClassName() const override { return "TsuiCustomGroupBox"; }

    void SetUIStyle(TsuiUIStyle value) override;
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    // Kept apart from the window text, which stays one blank.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    void SetEnabled(bool value) override;
    void AdjustClientRect(RECT& rect) override;
    void WndProc(TMessage& m) override;

    virtual void ApplyUIStyle(TsuiUIStyle style, TsuiFileTheme* theme);

protected:
    void Paint() override;
    void FileThemeRemoved() override;

private:
    int FontHeight() { return std::abs(Font().Height()); }

    TColor borderColor_ = clGray;
    std::string caption_;
};

class TsuiGroupBox : public TsuiCustomGroupBox {
public:
    using TsuiCustomGroupBox::TsuiCustomGroupBox;
    const char* ClassName() const override { return "TsuiGroupBox"; }
};
