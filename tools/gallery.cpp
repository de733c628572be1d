// gallery: shows every skinned control in every built-in style and state on
// real windows, and writes what the screen shows of each window as a BMP:
// one sheet per style (buttons normal, mouse on, pressed, disabled, focused,
// default, opaque, with glyphs in the four layouts and a two-image glyph;
// check boxes checked and unchecked, enabled and disabled, focused,
// transparent; group boxes with and without caption, disabled, transparent),
// all over a patterned parent so transparency shows; title bars; and the
// program's two windows in every style, active, inactive and maximised.
// The pixels are taken from the screen by scripts/gallery.sh: for each window
// the program writes its name and place to OUTPUT_FOLDER/capture.txt and waits
// until the script has deleted that file. With "western" (run in a prefix of
// code page 1252) it shows instead the main window, its menu and a box as a
// Western system shows them.
//
//   gallery.exe OUTPUT_FOLDER [western]
#include "SUIButton.h"
#include "SUIForm.h"
#include "SUIGroupBox.h"
#include "SUIMainMenu.h"
#include "SUIMenuBar.h"
#include "SUIThemes.h"
#include "SUITitleBar.h"
#include "SaveReport.h"
#include "View.h"
#include "WideText.h"
#include "main.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

struct TStyleName {
    TsuiUIStyle Style;
    const char* Name;
};
constexpr TStyleName kStyles[] = {{TsuiUIStyle::MacOS, "macos"},
                                  {TsuiUIStyle::WinXP, "winxp"},
                                  {TsuiUIStyle::DeepBlue, "deepblue"},
                                  {TsuiUIStyle::Protein, "protein"},
                                  {TsuiUIStyle::BlueGlass, "blueglass"}};

// A check box that draws its focus rectangle without holding the focus, so a
// sheet can show it beside a focused button.
class TFocusShownCheckBox : public TsuiCheckBox {
public:
    using TsuiCheckBox::TsuiCheckBox;

protected:
    bool ShowsFocus() const override { return true; }
};

void Pump()
{
    MSG msg;
    for (int round = 0; round < 20; ++round) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

// A diagonal stripe pattern: transparent controls must show it through.
void MakePattern(TBitmap& pattern)
{
    pattern.SetSize(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) pattern.ScanLine(y)[x] = ((x + y) / 4) % 2 ? 0xC8D8E8 : 0xF0E4C8;
}

// A 16 x 16 arrow on a magenta mask; two of them side by side (the second
// grey) make a two-image glyph.
void MakeGlyph(TBitmap& glyph, bool twoImages)
{
    glyph.SetSize(twoImages ? 32 : 16, 16);
    for (int image = 0; image < (twoImages ? 2 : 1); ++image)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inside = x >= 3 && x < 13 && std::abs(y - 8) <= (x - 3) / 2 + 1;
                glyph.ScanLine(y)[image * 16 + x] = !inside ? 0xFF00FF : image ? 0x909090 : 0x2060D0;
            }
}

// A borderless form for one sheet, at the desktop's top-left corner.
TForm* NewSheetForm(int width, int height)
{
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(10, 10, width, height);
    return form;
}

class TGallerySheet {
public:
    explicit TGallerySheet(TsuiUIStyle style) : style_(style)
    {
        form_.reset(NewSheetForm(820, 330));
        back_ = new TsuiCustomPanel(form_.get());
        back_->SetParent(form_.get());
        back_->SetAlign(TAlign::alClient);
        MakePattern(back_->Picture());
        back_->SetPictureMode(2);
        back_->PictureChanged();
        back_->Font().SetCharset(GB2312_CHARSET);
        back_->Font().SetHeight(-12);
        back_->Font().SetColor(clBlack);
        Buttons();
        CheckBoxes();
        GroupBoxes();
    }

    void Show()
    {
        form_->Show();
        focused_->SetFocus();
        Pump();
    }
    HWND Handle() { return form_->Handle(); }

private:
    void Label(int x, int y, const char* text, int width = 86)
    {
        auto* l = new TsuiCustomPanel(form_.get());
        l->SetParent(back_);
        l->SetTransparent(true);
        l->SetAlignment(TPanelAlignment::taLeftJustify);
        l->SetBounds(x, y, width, 16);
        l->SetCaption(text);
    }

    TsuiButton* Button(int x, int y, const char* label, const char* caption, int w = 75, int h = 25)
    {
        Label(x, y, label, std::max(w, 86));
        auto* b = new TsuiButton(form_.get());
        b->SetParent(back_);
        b->SetUIStyle(style_);
        b->SetBounds(x, y + 16, w, h);
        b->SetCaption(caption);
        return b;
    }

    void Buttons()
    {
        Button(10, 8, "normal", "关于(&A)");
        Button(100, 8, "mouse on", "停止(&S)")->Perform(CM_MOUSEENTER);
        TsuiButton* pressed = Button(190, 8, "pressed", "退出(&Q)");
        pressed->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ReleaseCapture();
        Button(280, 8, "disabled", "退出(&Q)")->SetEnabled(false);
        focused_ = Button(370, 8, "focused", "开始(&S)");
        Button(460, 8, "default", "确定")->SetDefault(true);
        Button(550, 8, "opaque", "取消")->SetTransparent(false);
        Button(640, 8, "large", "保存文件", 150, 40);

        const char* layouts[] = {"glyph left", "glyph right", "glyph top", "glyph bottom"};
        TBitmap glyph, twin;
        MakeGlyph(glyph, false);
        MakeGlyph(twin, true);
        for (int i = 0; i < 4; ++i) {
            TsuiButton* b = Button(10 + i * 110, 70, layouts[i], "保存", 100, 44);
            b->SetGlyph(glyph);
            b->SetLayout(static_cast<TButtonLayout>(i));
        }
        TsuiButton* off = Button(450, 70, "glyph disabled", "保存", 100, 44);
        off->SetGlyph(glyph);
        off->SetEnabled(false);
        TsuiButton* two = Button(560, 70, "two-image, off", "保存", 100, 44);
        two->SetGlyph(twin);
        two->SetEnabled(false);
        TsuiButton* twoOn = Button(670, 70, "two-image", "保存", 100, 44);
        twoOn->SetGlyph(twin);
    }

    void Check(TsuiCheckBox* c, int x, int y, const char* label, bool checked, bool enabled)
    {
        Label(x, y, label, 150);
        c->SetParent(back_);
        c->SetUIStyle(style_);
        c->SetBounds(x, y + 16, 150, 21);
        c->SetCaption("设置了3721的私隐策略");
        c->SetChecked(checked);
        c->SetEnabled(enabled);
    }

    void CheckBoxes()
    {
        Check(new TsuiCheckBox(form_.get()), 10, 140, "unchecked", false, true);
        Check(new TsuiCheckBox(form_.get()), 170, 140, "checked", true, true);
        Check(new TsuiCheckBox(form_.get()), 330, 140, "disabled", false, false);
        Check(new TsuiCheckBox(form_.get()), 490, 140, "disabled, checked", true, false);
        Check(new TFocusShownCheckBox(form_.get()), 10, 182, "focused", true, true);
        auto* clear = new TsuiCheckBox(form_.get());
        Check(clear, 170, 182, "transparent", true, true);
        clear->SetTransparent(true);
    }

    TsuiGroupBox* Group(int x, const char* label, const char* caption)
    {
        Label(x, 222, label, 190);
        auto* g = new TsuiGroupBox(form_.get());
        g->SetParent(back_);
        g->Font().SetCharset(GB2312_CHARSET);
        g->Font().SetHeight(-12);
        g->SetUIStyle(style_);
        g->SetBounds(x, 238, 190, 80);
        g->SetCaption(caption);
        auto* b = new TsuiButton(form_.get());
        b->SetParent(g);
        b->SetBounds(10, 24, 75, 25);
        b->SetCaption("关于(&A)");
        auto* c = new TsuiCheckBox(form_.get());
        c->SetParent(g);
        c->SetBounds(10, 52, 150, 21);
        c->SetCaption("查找IFRAME");
        c->SetChecked(true);
        g->SetUIStyle(style_);  // restyles the children it holds now
        return g;
    }

    void GroupBoxes()
    {
        Group(10, "group box", "操作");
        Group(210, "no caption", "");
        Group(410, "disabled", "操作")->SetEnabled(false);
        Group(610, "transparent", "操作")->SetTransparent(true);
    }

    TsuiUIStyle style_;
    TOwnedComponent<TForm> form_;
    TsuiCustomPanel* back_ = nullptr;  // owned by the form
    TsuiButton* focused_ = nullptr;    // owned by the form
};

// Title bars of one style: the default buttons with a caption, the mouse over
// the close button (the real cursor), a caption cut with "...", the program
// icon for the control box, an inactive caption, and rows of user buttons
// showing each kind's mouse-on, pressed and maximised (restore) frames.
class TTitleBarSheet {
public:
    explicit TTitleBarSheet(TsuiUIStyle style) : style_(style)
    {
        form_.reset(NewSheetForm(420, 0));
        Bar("Vendrake 标题栏");
        hot_ = Bar("鼠标在关闭按钮上");
        Bar("一个很长很长的标题, 在标题栏里放不下的时候用省略号截短, 还有更多的字");
        Bar("程序图标")->SetDrawAppIcon(true);
        Bar("不活动的窗口")->SetFormActive(false);
        FrameRow("mouse on", 1);
        FrameRow("pressed", 2);
        MaximisedRow();
        form_->SetHeight(top_);
    }

    void Show()
    {
        form_->Show();
        Pump();
        // The close button is the first right-hand button.
        TsuiTitleBarButton& close = *hot_->Buttons().Items(1);
        const int x = hot_->Width() + 1 + hot_->RightBtnXOffset() - close.PicNormal().Width() - 1;
        const POINT p = hot_->ClientToScreen(POINT{x + 3, close.Top() + 3});
        // Wine's X server reports the old position back for a while: set it
        // until it stays.
        POINT now{};
        for (int tries = 0; tries < 40 && (now.x != p.x || now.y != p.y); ++tries) {
            SetCursorPos(p.x, p.y);
            Pump();
            GetCursorPos(&now);
        }
        hot_->Invalidate();
        Pump();
    }
    HWND Handle() { return form_->Handle(); }

private:
    TsuiTitleBar* Bar(const char* caption)
    {
        auto* holder = new TPanel(form_.get());
        holder->SetParent(form_.get());
        holder->SetBevelOuter(TPanelBevel::bvNone);
        auto* bar = new TsuiTitleBar(form_.get());
        bar->SetParent(holder);
        bar->SetUIStyle(style_);
        bar->Font().SetCharset(GB2312_CHARSET);
        bar->SetCaption(caption);
        holder->SetBounds(0, top_, 420, bar->Height() + 4);
        top_ += bar->Height() + 4;
        return bar;
    }

    // User buttons carrying frame `offset` (0 normal, 1 mouse on, 2 pressed) of
    // the control box, help, maximise, restore, minimise and close.
    void Buttons(TsuiTitleBar* bar, const int (&firsts)[6], int offset)
    {
        bar->Buttons().Clear();
        for (int first : firsts) {
            TsuiTitleBarButton* b = bar->Buttons().Add();
            b->SetUIStyle(style_);
            TBitmap frame;
            GetBuiltInBitmap(style_, ThemeItem::TitleBarButtonImage, &frame, first + offset, 18);
            b->SetPicNormal(frame);
            b->SetTop(GetBuiltInInt(style_, ThemeItem::TitleBarButtonTopInt));
        }
    }

    void FrameRow(const char* caption, int offset) { Buttons(Bar(caption), {1, 4, 7, 10, 13, 16}, offset); }
    void MaximisedRow() { Buttons(Bar("maximised: restore"), {16, 10, 13}, 0); }

    TsuiUIStyle style_;
    TOwnedComponent<TForm> form_;
    TsuiTitleBar* hot_ = nullptr;  // owned by the form
    int top_ = 0;
};

// Tells the gallery script where the window is and waits until the script
// has taken the screen's pixels (it deletes the file).
void AwaitCapture(const RECT& r, const std::string& folder, const char* name)
{
    const std::string request = folder + "/capture.txt";
    FILE* f = std::fopen(request.c_str(), "w");
    if (!f) return;
    std::fprintf(f, "%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fclose(f);
    for (int i = 0; i < 3000 && GetFileAttributesA(request.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
        Pump();
    }
}

void AwaitCapture(HWND window, const std::string& folder, const char* name)
{
    RECT r;
    GetWindowRect(window, &r);
    AwaitCapture(r, folder, name);
}

// The capture of an open drop-down runs inside the menu's own loop, from a
// thread timer that loop dispatches; then the menu is closed.
std::string g_openCapture;
HWND g_openWindow = nullptr;
std::string g_folder;

void CALLBACK CaptureOpenMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    AwaitCapture(g_openWindow, g_folder, g_openCapture.c_str());
    EndMenu();
}

// A form with a skinned frame and a main menu of three items (Edit disabled):
// the bar alone, then with File's drop-down open.
void ShowMainMenu(TsuiUIStyle style, const std::string& folder, const std::string& name)
{
    TOwnedComponent<TForm> form(new TForm(nullptr));
    form->SetBounds(60, 60, 320, 220);
    auto* frame = new TsuiForm(form.get());
    frame->SetParent(form.get());
    frame->SetCaption("Main menu");
    TsuiMainMenu* menu = nullptr;
    {
        TLoadScope load(*form);
        menu = new TsuiMainMenu(form.get());
        auto add = [&](TMenuItem* parent, const char* caption) {
            auto* item = new TMenuItem(form.get());
            item->SetCaption(caption);
            parent->Add(item);
            return item;
        };
        TMenuItem* file = add(menu->Items(), "&File");
        add(file, "Open")->SetShortCut(ShortCut('O', scCtrl));
        add(file, "Save")->SetChecked(true);
        add(file, "-");
        add(file, "Exit");
        add(menu->Items(), "Edit")->SetEnabled(false);
        add(menu->Items(), "Help");
    }
    frame->SetUIStyle(style);
    form->Show();
    Pump();
    AwaitCapture(form->Handle(), folder, ("mainmenu-" + name).c_str());
    g_folder = folder;
    g_openCapture = "mainmenu-open-" + name;
    g_openWindow = GetDesktopWindow();
    SetTimer(nullptr, 0, 300, CaptureOpenMenu);
    frame->MenuBar()->OpenButton(0);
}

void ShowMainWindow(const std::string& folder)
{
    TfrmMain* main = Application()->CreateForm<TfrmMain>();
    main->Timer1->SetEnabled(false);  // no shrink into the corner
    main->Show();
    main->btnAbout->SetFocus();
    Pump();
    AwaitCapture(main->Handle(), folder, "main-window");
    Application()->FreeForms();
}

// The two windows of the program in each style: the main window active, then
// inactive beside the active preview window; and the preview maximised (on
// the work area, the task bar left visible).
void ShowWindows(const std::string& folder)
{
    for (const TStyleName& s : kStyles) {
        TfrmMain* main = Application()->CreateForm<TfrmMain>();
        main->Timer1->SetEnabled(false);
        main->suiForm1->SetUIStyleAutoUpdateSub(true);  // the look of every control follows
        main->suiForm1->SetUIStyle(s.Style);
        main->SetBounds(40, 40, main->Width(), main->Height());
        main->Show();
        Pump();
        const std::string name = std::string("window-main-") + s.Name;
        AwaitCapture(main->Handle(), folder, name.c_str());
        auto* view = Application()->CreateForm<TfrmView>();
        view->suiForm1->SetUIStyle(s.Style);
        view->SetBounds(360, 40, view->Width(), view->Height());
        view->Show();
        SetForegroundWindow(view->Handle());
        Pump();
        AwaitCapture(main->Handle(), folder, (name + "-inactive").c_str());
        AwaitCapture(view->Handle(), folder, (std::string("window-view-") + s.Name).c_str());
        if (s.Style == TsuiUIStyle::MacOS) {
            view->SetWindowState(TWindowState::wsMaximized);
            Pump();
            AwaitCapture(view->Handle(), folder, "window-view-macos-maximised");
        }
        Application()->FreeForms();
    }
}

// The main window's menu open beside it: one picture of both.
HWND g_menuOwner = nullptr;
void CALLBACK CaptureWindowAndMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    RECT window{}, menu{}, both{};
    GetWindowRect(g_menuOwner, &window);
    GetWindowRect(FindWindowW(L"#32768", nullptr), &menu);
    UnionRect(&both, &window, &menu);
    AwaitCapture(both, g_folder, g_openCapture.c_str());
    EndMenu();
}

// The message box of the program, found by its caption, then answered.
void CALLBACK CaptureBox(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND box = FindWindowW(L"#32770", ToWide(Application()->Title()).c_str());
    if (!box) return;
    AwaitCapture(box, g_folder, g_openCapture.c_str());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// What a user of a Western system (code page 1252) sees: the caption of a
// hook report, the tray menu and a box, all in the program's Chinese.
void ShowWesternSystem(const std::string& folder)
{
    TfrmMain* main = Application()->CreateForm<TfrmMain>();
    main->Timer1->SetEnabled(false);
    main->SetBounds(300, 200, main->Width(), main->Height());
    main->suiForm1->SetCaption(MousePositionCaption(310, 305));
    main->Show();
    Pump();
    AwaitCapture(main->Handle(), folder, "main-window-cp1252");
    g_folder = folder;
    g_menuOwner = main->Handle();
    g_openCapture = "main-menu-cp1252";
    SetTimer(nullptr, 0, 300, CaptureWindowAndMenu);
    main->PopupMenu1->Popup(main->Left() + 60, main->Top() + 40);
    g_openCapture = "box-cp1252";
    SetTimer(nullptr, 0, 300, CaptureBox);
    ShowMessage(CachedFileReport("C:\\我的动画\\片头.swf", TMovieInfo{}));
    Application()->FreeForms();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[2]) == "western") {
        ShowWesternSystem(argv[1]);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: gallery OUTPUT_FOLDER [western]\n");
        return 2;
    }
    const std::string folder = argv[1];
    SetCursorPos(1000, 700);  // away from every sheet: no mouse-on but the one asked for
    for (const TStyleName& s : kStyles) {
        TGallerySheet sheet(s.Style);
        sheet.Show();
        AwaitCapture(sheet.Handle(), folder, (std::string("controls-") + s.Name).c_str());
    }
    for (const TStyleName& s : kStyles) {
        TTitleBarSheet sheet(s.Style);
        sheet.Show();
        AwaitCapture(sheet.Handle(), folder, (std::string("titlebar-") + s.Name).c_str());
        SetCursorPos(1000, 700);
    }
    for (const TStyleName& s : kStyles) ShowMainMenu(s.Style, folder, s.Name);
    ShowMainWindow(folder);
    ShowWindows(folder);
    return 0;
}
