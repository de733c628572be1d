#include "Geting.h"

TfrmGeting::TfrmGeting(TComponent* AOwner) : TForm(AOwner)
{
    SetName("frmGeting");
    SetBorderStyle(TFormBorderStyle::bsNone);
    Font().SetName("MS Sans Serif");
    Font().SetCharset(GB2312_CHARSET);
    Font().SetHeight(-12);
    SetClientSize(368, 97);
    Panel1 = new TPanel(this);  // owned by the form
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetBevelOuter(TPanelBevel::bvNone);
    Panel1->SetCaption("正在获得，请稍候......");
    Panel1->SetBounds(0, 0, ClientWidth(), ClientHeight());
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

void TfrmGeting::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    params.ExStyle |= WS_EX_TOPMOST;
    params.WndParent = GetDesktopWindow();
}

void TfrmGeting::Resized()
{
    // The panel fills the form.
    if (Panel1) Panel1->SetBounds(0, 0, ClientWidth(), ClientHeight());
}

void TfrmGeting::FormCreate(TObject*)
{
    HWND h = Handle();
    SetWindowLongA(h, GWL_EXSTYLE, GetWindowLongA(h, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    SetLayeredWindowAttributes(h, 0, OverlayAlpha, LWA_ALPHA);
}

void TfrmGeting::FormClose(TObject*, TCloseAction& Action) { Action = TCloseAction::caFree; }
