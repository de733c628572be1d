#pragma once
// The whole-page grab's window: the movies of one page (its elements, its
// frames' and the URL cache's) in a list with check boxes, the folder they go
// to, and Save; the movies are saved one at a time in the background while
// the rows show how far each has got, and one box says at the end what was
// saved and what was not.
#include "ComCtrls.h"
#include "Forms.h"
#include "GrabSaver.h"
#include "PageWalk.h"
#include "SUIButton.h"
#include "SUIForm.h"
#include "StdCtrls.h"

#include <functional>
#include <memory>
#include <string>

class TfrmGrabAll : public TForm {
public:
    explicit TfrmGrabAll(TComponent* AOwner);
    ~TfrmGrabAll() override;
    const char* ClassName() const override { return "TfrmGrabAll"; }

    TsuiForm* suiForm1 = nullptr;
    TListView* lvMovies = nullptr;
    TStaticText* lblStatus = nullptr;
    TStaticText* lblFolder = nullptr;
    TsuiButton* btnFolder = nullptr;
    TsuiButton* btnAll = nullptr;
    TsuiButton* btnNone = nullptr;
    TsuiButton* btnSave = nullptr;
    TsuiButton* btnCancel = nullptr;
    TsuiCheckBox* cbComplete = nullptr;

    // Fills the list from a walk's result.
    void ShowMovies(const TPageWalkResult& walk);
    const std::wstring& Folder() const { return folder_; }
    void SetFolder(const std::wstring& folder);
    bool Saving() const { return saver_ && saver_->Running(); }
    const TGrabSaver* Saver() const { return saver_.get(); }

    // Saving complete: each movie in a folder with every file it loads. The
    // box starts as the user left it last; downloadReferences: files the cache
    // lacks are downloaded (the main window's download option).
    void SetComplete(bool complete, bool downloadReferences);
    // The user started saving with the box as it now is.
    std::function<void(bool complete)> OnCompleteChosen;

    // The notification-area tip while saving; empty text: the tip goes back.
    std::function<void(const std::string& tip)> OnTip;

    void btnFolderClick(TObject* Sender);
    void btnAllClick(TObject* Sender);
    void btnNoneClick(TObject* Sender);
    void btnSaveClick(TObject* Sender);
    void btnCancelClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    // Column texts of one movie.
    static std::string FoundText(TFoundIn found);
    static std::string StateText(const TGrabJob& job);

private:
    void BuildLayout();
    void JobChanged(size_t job);
    void SavingDone();
    void SetButtonsForSaving(bool saving);

    std::vector<TGrabItem> items_;
    std::vector<int> rowOfJob_;  // list row of each job of the saver
    std::unique_ptr<TGrabSaver> saver_;
    std::wstring folder_;
    bool downloadReferences_ = false;
    bool closeWhenDone_ = false;
};

// The folder a whole-page grab saves to at first: the one of the file last
// chosen in the save dialog, else the user's desktop.
std::wstring DefaultGrabFolder(const std::wstring& lastSavedFile);
