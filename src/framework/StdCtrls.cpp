#include "StdCtrls.h"

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner)
{
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SysClassName = "BUTTON";
    params.Style |= BS_PUSHBUTTON;
}

void TButton::WndProc(TMessage& m)
{
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED) Click();
        return;
    }
    TWinControl::WndProc(m);
}

void TButton::Click() { TWinControl::Click(); }

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner)
{
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
    SetParentColor(true);
}

void TCheckBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SysClassName = "BUTTON";
    params.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::CreateWindowDone()
{
    SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::SetChecked(bool v)
{
    if (v == checked_) return;
    checked_ = v;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
    Click();
}

void TCheckBox::WndProc(TMessage& m)
{
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED) {
            checked_ = SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
            Click();
        }
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetBounds(0, 0, 185, 105);
    SetParentColor(true);
}

void TGroupBox::Paint()
{
    TCanvas& c = Canvas();
    const RECT client = ClientRect();
    c.Brush().SetColor(Color());
    c.FillRect(client);
    const SIZE text = c.TextExtent(Caption().empty() ? std::string("0") : Caption());
    RECT frame = client;
    frame.top = text.cy / 2;
    DrawEdge(c.Handle(), &frame, EDGE_ETCHED, BF_RECT);
    if (!Caption().empty()) {
        RECT label{8, 0, 8 + text.cx + 4, text.cy};
        c.FillRect(label);
        label.left += 2;
        c.TextRect(label, Caption(), DT_LEFT | DT_TOP | DT_SINGLELINE);
    }
}

// ---------------------------------------------------------------- TStaticText

TStaticText::TStaticText(TComponent* AOwner) : TWinControl(AOwner)
{
    SetBounds(0, 0, 200, 17);
    SetParentColor(true);
}

void TStaticText::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SysClassName = "STATIC";
    params.Style |= SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS;
}
