#include "Get.h"

#include "Dialogs.h"
#include "Product.h"

namespace {
constexpr int kButtonSize = 26;
constexpr int kToolbarWidth = 1 + 3 * kButtonSize;  // the buttons span the toolbar exactly
constexpr BYTE kToolbarAlpha = 220;
}

std::string ToolbarAboutText() { return "本程序为从缓存中读取Flash文件，因此请确保网页打开完毕后再进行操作"; }

std::string ToolbarHelpText()
{
    return std::string("请确保含有Flash的网页打开完成后，\r\n") +
           "启动本系统，当您的鼠标移动到Flash的上方的时候，会\r\n" +
           "自动出现存盘提示符，点保存即可，\r\n" +
           "如果您在使用过程中有任何问题，请发信至" + MakerEmail + "\r\n" +
           "或登陆" + MakerWebAddress + "论坛发贴";
}

std::string ToolbarHelpCaption() { return std::string(MakerWebAddress) + MakerName; }

TfrmGet::TfrmGet(TComponent* AOwner) : TForm(AOwner)
{
    SetName("frmGet");
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetBorderIcons(biSystemMenu);
    SetBounds(427, 210, 104, 24);
    SetColor(clBtnFace);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    SetShowHint(false);
    btnSave = MakeButton("btnSave", 1, "Save Flash Files", "GLYPH_SAVE");
    btnAbout = MakeButton("btnAbout", 1 + kButtonSize, "About Soft", "GLYPH_ABOUT");
    btnHelp = MakeButton("btnHelp", 1 + 2 * kButtonSize, "Help", "GLYPH_HELP");
    btnSave->OnClick = [this](TObject* s) { btnSaveClick(s); };
    btnAbout->OnClick = [this](TObject* s) { btnAboutClick(s); };
    btnHelp->OnClick = [this](TObject* s) { btnHelpClick(s); };
    OnCreate = [this](TObject* s) { FormCreate(s); };
}

TSpeedButton* TfrmGet::MakeButton(const char* name, int left, const char* hint, const char* glyph)
{
    auto* b = new TSpeedButton(this);  // owned by the form
    b->SetName(name);
    b->SetParent(this);
    b->SetBounds(left, 0, kButtonSize, kButtonSize);
    b->SetFlat(true);
    b->SetHint(hint);
    if (b->Glyph().LoadFromResourceName(MainInstance(), glyph)) b->GlyphChanged();
    return b;
}

void TfrmGet::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    params.ExStyle |= WS_EX_TOPMOST;
    // Owned by the desktop, not by the application: it shows while we are minimised.
    params.WndParent = GetDesktopWindow();
}

void TfrmGet::FormCreate(TObject*)
{
    HWND h = Handle();
    SetWindowLongA(h, GWL_EXSTYLE, GetWindowLongA(h, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    SetHeight(kButtonSize);
    SetWidth(kToolbarWidth);
    SetLayeredWindowAttributes(h, 0, kToolbarAlpha, LWA_ALPHA);
}

void TfrmGet::PlaceToolbar(bool atCursor, HWND W, POINT C)
{
    // At the top-left corner of the window under the cursor, or at the cursor.
    POINT at{Left(), Top()};
    if (hitState_) at = POINT{hitState_->HitRect.left, hitState_->HitRect.top};
    if (atCursor) {
        at = C;
        ::ClientToScreen(W, &at);
    }
    // Shown without activation: the browser keeps the keyboard while the
    // toolbar floats over its movie.
    ShowAtWithoutActivation(at.x, at.y);
}

void TfrmGet::btnSaveClick(TObject*)
{
    Hide();
    if (OnSave) OnSave(this);
}

void TfrmGet::btnAboutClick(TObject*)
{
    Hide();
    ShowMessageBox(Handle(), ToolbarAboutText(), MakerWebAddress, MB_ICONINFORMATION);
}

void TfrmGet::btnHelpClick(TObject*)
{
    Hide();
    ShowMessageBox(Handle(), ToolbarHelpText(), ToolbarHelpCaption(), MB_ICONINFORMATION);
}
