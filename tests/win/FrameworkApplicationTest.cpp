// The application object: its main form, minimise and restore, freeing the
// forms; and the modal dialogs answered through their hooks.
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        Application()->FreeForms();
        Application()->ResetTerminated();
        Application()->OnMinimize = nullptr;
        Application()->OnRestore = nullptr;
        SetMessageBoxHook(nullptr);
        TSaveDialog::SetHook(nullptr);
        PumpPending();
    }
};

TEST_F(ApplicationTest, ClosingTheMainFormEndsTheApplication)
{
    TForm* main = Application()->CreateForm<TForm>();
    TForm* other = Application()->CreateForm<TForm>();
    ASSERT_EQ(Application()->MainForm(), main);
    main->Show();
    other->Show();

    other->Close();
    Application()->ProcessMessages();
    EXPECT_FALSE(Application()->Terminated());

    main->Close();
    EXPECT_FALSE(Application()->Terminated()) << "the quit message is only read by the loop";
    Application()->ProcessMessages();
    EXPECT_TRUE(Application()->Terminated());
    EXPECT_TRUE(IsWindow(main->Handle()));
}

void CALLBACK EndLoop(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(1); }

TEST_F(ApplicationTest, RunShowsTheMainFormAndReturnsWhenItCloses)
{
    TForm* main = Application()->CreateForm<TForm>();
    bool shownInLoop = false;
    TOwnedComponent<TTimer> closer(new TTimer(nullptr));
    closer->SetInterval(10);
    closer->OnTimer = [&](TObject*) {
        closer->SetEnabled(false);
        shownInLoop = IsWindowVisible(main->Handle()) != FALSE;
        main->Close();
    };
    // Should the close go astray, this ends the loop instead, and the test fails.
    const UINT_PTR safety = SetTimer(nullptr, 0, 2000, EndLoop);

    Application()->Run();

    KillTimer(nullptr, safety);
    EXPECT_TRUE(shownInLoop);
    EXPECT_FALSE(closer->Enabled()) << "the loop ended before the form was closed";
    EXPECT_TRUE(Application()->Terminated());
}

TEST_F(ApplicationTest, MinimizeHidesVisibleFormsAndRestoreShowsThemAgain)
{
    TForm* shown = Application()->CreateForm<TForm>();
    TForm* hidden = Application()->CreateForm<TForm>();
    shown->Show();
    hidden->HandleNeeded();
    int minimized = 0, restored = 0;
    Application()->OnMinimize = [&](TObject*) { ++minimized; };
    Application()->OnRestore = [&](TObject*) { ++restored; };

    Application()->Minimize();
    EXPECT_FALSE(IsWindowVisible(shown->Handle()));
    EXPECT_FALSE(IsWindowVisible(hidden->Handle()));
    EXPECT_TRUE(IsIconic(Application()->Handle()));
    EXPECT_EQ(minimized, 1);

    Application()->Restore();
    EXPECT_TRUE(IsWindowVisible(shown->Handle()));
    EXPECT_FALSE(IsWindowVisible(hidden->Handle())) << "restore showed a form that was hidden before";
    EXPECT_FALSE(IsIconic(Application()->Handle()));
    EXPECT_EQ(restored, 1);

    // The main form's minimise command minimises the whole application.
    SendMessageA(shown->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(minimized, 2);
    EXPECT_FALSE(IsWindowVisible(shown->Handle()));
    Application()->Restore();
}

TEST_F(ApplicationTest, FreeFormsDestroysEveryFormAndForgetsTheMainForm)
{
    TForm* first = Application()->CreateForm<TForm>();
    TForm* second = Application()->CreateForm<TForm>();
    std::vector<int> destroyed;
    first->OnDestroy = [&](TObject*) { destroyed.push_back(1); };
    second->OnDestroy = [&](TObject*) { destroyed.push_back(2); };
    first->Show();
    const HWND windows[] = {first->Handle(), second->Handle(), Application()->Handle()};

    Application()->FreeForms();

    EXPECT_EQ(destroyed, (std::vector<int>{2, 1}));
    EXPECT_EQ(Application()->MainForm(), nullptr);
    EXPECT_EQ(Application()->ComponentCount(), 0);
    for (HWND w : windows) EXPECT_FALSE(IsWindow(w));

    TForm* next = Application()->CreateForm<TForm>();
    EXPECT_EQ(Application()->MainForm(), next);
}

TEST_F(ApplicationTest, ShowMessageAsksTheHookWithTheTitleAsCaption)
{
    TForm* form = Application()->CreateForm<TForm>();
    form->Show();
    SetForegroundWindow(form->Handle());
    Application()->SetTitle("Vendrake test");
    std::vector<TMessageBoxRequest> asked;
    SetMessageBoxHook([&](const TMessageBoxRequest& r) {
        asked.push_back(r);
        return IDOK;
    });

    ShowMessage("hello");

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, "hello");
    EXPECT_EQ(asked[0].Caption, "Vendrake test");
    EXPECT_EQ(asked[0].Flags & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    EXPECT_EQ(asked[0].Owner, GetActiveWindow());
    EXPECT_EQ(asked[0].Owner, form->Handle());
    EXPECT_EQ(ShowMessageBox(nullptr, "q", "c", MB_YESNO), IDOK);
    EXPECT_EQ(asked.back().Flags, static_cast<UINT>(MB_YESNO));
}

TEST_F(ApplicationTest, SaveDialogExecuteAsksTheHook)
{
    TOwnedComponent<TSaveDialog> dialog(new TSaveDialog(nullptr));
    dialog->FileName = L"old.swf";
    bool answer = false;
    TSaveDialog::SetHook([&](TSaveDialog& d) {
        EXPECT_EQ(&d, dialog.get());
        if (answer) d.FileName = L"C:\\movie.swf";
        return answer;
    });
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(dialog->FileName, L"old.swf");
    answer = true;
    EXPECT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->FileName, L"C:\\movie.swf");
}

// Plays the user at the real save dialog from a second thread: types the name
// of a file that exists, presses Save, notes whether Windows asks before
// replacing it, answers No, then cancels the dialog.
struct TOverwriteUser {
    DWORD DialogThread = 0;
    std::string ExistingFile;
    bool Asked = false;
    HWND Except = nullptr, Found = nullptr;

    static BOOL CALLBACK Match(HWND h, LPARAM lp)
    {
        auto* self = reinterpret_cast<TOverwriteUser*>(lp);
        char cls[16] = {};
        GetClassNameA(h, cls, sizeof(cls));
        if (h == self->Except || !IsWindowVisible(h) || lstrcmpA(cls, "#32770") != 0) return TRUE;
        self->Found = h;
        return FALSE;
    }

    // Waits up to 5 s for a visible dialog box of the dialog's thread other than except.
    HWND AwaitDialog(HWND except)
    {
        for (int i = 0; i < 500; ++i, Sleep(10)) {
            Except = except;
            Found = nullptr;
            EnumThreadWindows(DialogThread, &Match, reinterpret_cast<LPARAM>(this));
            if (Found && (except || GetDlgItem(Found, 0x47c))) return Found;
            if (except && !IsWindow(except)) return nullptr;  // it closed without asking
        }
        return nullptr;
    }

    static DWORD WINAPI Play(LPVOID p)
    {
        auto* self = static_cast<TOverwriteUser*>(p);
        HWND dialog = self->AwaitDialog(nullptr);
        if (!dialog) return 0;
        SendMessageA(GetDlgItem(dialog, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(self->ExistingFile.c_str()));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        HWND prompt = self->AwaitDialog(dialog);
        self->Asked = prompt != nullptr;
        if (!prompt) return 0;
        PostMessageA(prompt, WM_COMMAND, IDNO, 0);
        for (int i = 0; i < 500 && IsWindow(prompt); ++i) Sleep(10);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
};

TEST_F(ApplicationTest, SaveDialogAsksBeforeReplacingAFile)
{
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    TOverwriteUser user;
    user.DialogThread = GetCurrentThreadId();
    user.ExistingFile = std::string(dir) + "vendrake-overwrite.swf";
    HANDLE file = CreateFileA(user.ExistingFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    TOwnedComponent<TSaveDialog> dialog(new TSaveDialog(nullptr));
    dialog->DefaultExt = ".swf";
    dialog->Filter = "Flash File(*.swf)|*.swf";
    HANDLE player = CreateThread(nullptr, 0, &TOverwriteUser::Play, &user, 0, nullptr);
    ASSERT_NE(player, nullptr);
    const bool chosen = dialog->Execute();
    WaitForSingleObject(player, 10000);
    CloseHandle(player);
    DeleteFileA(user.ExistingFile.c_str());

    EXPECT_TRUE(user.Asked) << "the dialog replaced an existing file without asking";
    EXPECT_FALSE(chosen) << "after No and Cancel no file was chosen, got " << dialog->FileName;
}

}  // namespace
