#pragma once
// Plain push button, check box and group box. The windows use them where no
// skinned control is wanted, and as stand-ins until the skinned ones exist.
#include "Controls.h"

// A system push button; BN_CLICKED clicks it.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* AOwner);
    const char* ClassName() const override { return "TButton"; }
    void WndProc(TMessage& m) override;
    void Click() override;

protected:
    void CreateParams(TCreateParams& params) override;
};

// A system check box. The state is kept here too, so it can be read and set
// before the window exists.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* AOwner);
    const char* ClassName() const override { return "TCheckBox"; }
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    void WndProc(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowDone() override;

private:
    bool checked_ = false;
};

// A frame with its caption in the top edge, drawn by us on the parent's colour.
class TGroupBox : public TCustomControl {
public:
    explicit TGroupBox(TComponent* AOwner);
    const char* ClassName() const override { return "TGroupBox"; }

protected:
    void Paint() override;
};

// A system static text: one line the window shows and the user cannot change.
class TStaticText : public TWinControl {
public:
    explicit TStaticText(TComponent* AOwner);
    const char* ClassName() const override { return "TStaticText"; }

protected:
    void CreateParams(TCreateParams& params) override;
};
