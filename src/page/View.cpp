#include "View.h"

#include "FrameDesign.h"

TfrmView::TfrmView(TComponent* AOwner) : TForm(AOwner)
{
    SetName("frmView");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    Constraints().MinWidth = 130;
    Font().SetName("MS Sans Serif");
    Font().SetCharset(GB2312_CHARSET);
    Font().SetHeight(-12);
    SetCaption("IFRAME内容预览，将鼠标放置到上面可实现抓捕");
    SetBounds(236, 135, Width(), Height());
    SetClientSize(351, 263);

    suiForm1 = new TsuiForm(this);  // components are owned by the form
    suiForm1->SetName("suiForm1");
    suiForm1->SetParent(this);
    using B = TsuiTitleBarBtnType;
    DesignMacFrame(*suiForm1, {B::suiClose, B::suiMax, B::suiControlBox}, 349, 262);
    suiForm1->SetCaption(Caption());

    WebBrowser1 = new TWebBrowser(this);
    WebBrowser1->SetName("WebBrowser1");
    WebBrowser1->SetParent(suiForm1);
    WebBrowser1->SetBounds(0, 23, 349, 239);
    WebBrowser1->SetAlign(TAlign::alClient);  // the frame's client area below the title bar
}

void TfrmView::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    params.ExStyle |= WS_EX_TOPMOST;
}

void TfrmView::WndProc(TMessage& m)
{
    if (m.Msg == CM_MOUSELEAVE) PreviewMouseLeave(m);
    TForm::WndProc(m);
}

void TfrmView::PreviewMouseLeave(TMessage&)
{
    POINT p{};
    GetCursorPos(&p);
    const bool inside = p.x >= Left() && p.x < Left() + Width() && p.y >= Top() && p.y < Top() + Height();
    if (!inside) Hide();
}
