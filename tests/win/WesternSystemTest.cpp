// The program on a Western system: run in the second Wine prefix, made with
// LANG=en_US.UTF-8 (code page 1252; scripts/common.sh, vk_start_wine_cp1252).
// Every text must reach Windows in UTF-16 read as code page 936, so that it
// reads there as on a Chinese system; everything is read back in UTF-16.
#include "Graphics.h"
#include "SUITitleBar.h"
#include "WideText.h"
#include "TestSupport.h"
#include "main.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

NOTIFYICONDATAW g_icon{};
BOOL WINAPI RecordIcon(DWORD message, PNOTIFYICONDATAW data)
{
    if (message == NIM_ADD) g_icon = *data;
    return TRUE;
}
bool __stdcall FakeHook(HWND) { return true; }
bool __stdcall FakeUnhook() { return true; }

std::wstring TextOf(HWND h)
{
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    return text;
}

// Waits on a thread of its own for a top-level dialog of this title, hands it
// to act and gives back what act read, while this thread runs the modal loop.
class TDialogWatch {
public:
    TDialogWatch(std::wstring title, std::function<std::wstring(HWND)> act)
        : title_(std::move(title)), act_(std::move(act)), thread_(CreateThread(nullptr, 0, &Run, this, 0, nullptr))
    {
    }
    ~TDialogWatch() { Result(); }
    const std::wstring& Result()
    {
        if (thread_) {
            WaitForSingleObject(thread_, 15000);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        return read_;
    }

private:
    static DWORD WINAPI Run(void* p)
    {
        auto* self = static_cast<TDialogWatch*>(p);
        for (int i = 0; i < 1000; ++i, Sleep(10))
            if (HWND dialog = FindWindowW(L"#32770", self->title_.c_str())) {
                Sleep(100);  // the dialog fills its controls after it appears
                self->read_ = self->act_(dialog);
                return 0;
            }
        return 1;
    }
    std::wstring title_;
    std::function<std::wstring(HWND)> act_;
    std::wstring read_;
    HANDLE thread_;
};

class WesternSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), 1252u) << "this suite belongs in the code-page-1252 prefix";
        savedIcon_ = TfrmMain::NotifyIcon;
        TfrmMain::NotifyIcon = &RecordIcon;
        savedHook_ = HookLibrary();
        HookLibrary() = THookLibrary{&FakeHook, &FakeUnhook};
    }
    void TearDown() override
    {
        Application()->FreeForms();
        HookLibrary() = savedHook_;
        TfrmMain::NotifyIcon = savedIcon_;
    }

private:
    TfrmMain::TNotifyIconCall savedIcon_ = nullptr;
    THookLibrary savedHook_{};
};

TEST_F(WesternSystem, WindowTextsTheBoxAndTheTipReadAsOnAChineseSystem)
{
    TfrmMain* f = Application()->CreateForm<TfrmMain>();
    f->Timer1->SetEnabled(false);
    ASSERT_NE(MouseShare, nullptr);
    MouseShare->X = 310;
    MouseShare->Y = 305;
    SendMessageW(f->Handle(), HookMessage, 0, 0);
    EXPECT_EQ(TextOf(f->Handle()), L"鼠标位置: X = 310, Y = 305");
    EXPECT_EQ(TextOf(Application()->Handle()), L"Vendrake (Qingshan Soft http://www.qingshansoft.example)");
    EXPECT_EQ(TextOf(f->btnAbout->Handle()), L"关于(&A)");
    EXPECT_EQ(TextOf(f->GroupBox2->Handle()), L"选项");  // a system button window
    EXPECT_EQ(TextOf(f->cbFor3721->Handle()), L"设置了3721的私隐策略");
    EXPECT_EQ(std::wstring(g_icon.szTip), L"Vendrake (Qingshan Soft http://www.qingshansoft.example)");
    // A download's tip, and a long one cut to what each record holds.
    NOTIFYICONDATAW tip{};
    tip.cbSize = NOTIFYICONDATAW_V2_SIZE;
    PutTrayTip(tip, "下载 片头.swf: 45%");
    EXPECT_EQ(std::wstring(tip.szTip), L"下载 片头.swf: 45%");
    std::string longTip;
    for (int i = 0; i < 70; ++i) longTip += "动";
    PutTrayTip(tip, longTip);
    EXPECT_EQ(std::wstring(tip.szTip), std::wstring(70, L'动'));
    tip.cbSize = NOTIFYICONDATAW_V1_SIZE;
    PutTrayTip(tip, longTip);
    EXPECT_EQ(std::wstring(tip.szTip), std::wstring(63, L'动'));

    // The real box: its caption finds it, its static holds the text.
    TDialogWatch box(L"Vendrake (Qingshan Soft http://www.qingshansoft.example)", [](HWND dialog) {
        std::wstring text = TextOf(GetDlgItem(dialog, 0xFFFF));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return text;
    });
    ShowMessage("文件已经保存。");
    EXPECT_EQ(box.Result(), L"文件已经保存。");
}

TEST_F(WesternSystem, SaveDialogKeepsANameOutsideCodePage936)
{
    // The Korean syllable and the o with double acute exist in neither 936 nor 1252.
    const std::wstring typed = L"C:\\保存\uD55C\u0151.swf";
    TOwnedComponent<TSaveDialog> dialog(new TSaveDialog(nullptr));
    dialog->Title = "保存Flash文件";
    dialog->Filter = "Flash File(*.swf)|*.swf";
    TDialogWatch watch(L"保存Flash文件", [&typed](HWND d) {
        // The explorer-style dialog's file name box (control 0x47c).
        SendMessageW(GetDlgItem(d, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
        PostMessageW(d, WM_COMMAND, IDOK, 0);
        return std::wstring(L"answered");
    });
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(watch.Result(), L"answered");
    EXPECT_EQ(dialog->FileName, typed);
}

TEST_F(WesternSystem, TextIsDrawnMeasuredAndCutAsTheChineseItIs)
{
    const std::wstring expected = L"鼠标位置";
    TTestDib drawn(80, 16, RGB(255, 255, 255)), reference(80, 16, RGB(255, 255, 255));
    TCanvas canvas(drawn.Dc());
    canvas.Font().SetCharset(GB2312_CHARSET);
    canvas.Font().SetHeight(-12);
    canvas.TextOut(0, 0, "鼠标位置");
    // The same glyphs through the W call with the font the canvas chose.
    SelectObject(reference.Dc(), GetCurrentObject(drawn.Dc(), OBJ_FONT));
    SetBkMode(reference.Dc(), TRANSPARENT);
    TextOutW(reference.Dc(), 0, 0, expected.c_str(), static_cast<int>(expected.size()));
    SIZE size{};
    GetTextExtentPoint32W(reference.Dc(), expected.c_str(), static_cast<int>(expected.size()), &size);
    EXPECT_EQ(canvas.TextWidth("鼠标位置"), size.cx);
    int inked = 0, differing = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 80; ++x) {
            inked += reference.Pixel(x, y) != RGB(255, 255, 255);
            differing += drawn.Pixel(x, y) != reference.Pixel(x, y);
        }
    EXPECT_GT(inked, 40);
    EXPECT_EQ(differing, 0);

    // A caption too long for the title bar loses whole characters only.
    const auto bytesWide = [](const std::string& t) { return static_cast<int>(t.size()) * 6; };
    EXPECT_EQ(ToWide(ShortenCaption("鼠标位置鼠标位置", 60, bytesWide)), L"鼠标位...");
}

}  // namespace
