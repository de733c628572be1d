#include "SUIMainMenu.h"

#include "Forms.h"
#include "SUIForm.h"
#include "SUIMenuBar.h"
#include "SUIThemes.h"

TsuiMainMenu::TsuiMainMenu(TComponent* AOwner) : TsuiPopupMenu(AOwner)
{
    TBitmap mark;
    LoadSkinPicture(mark, "MENU_CHECKED");
    checkMarks_ = new TImageList(this);
    checkMarks_->AddMasked(mark, clWhite);
    TPopupMenu::SetImages(checkMarks_);
    auto* form = dynamic_cast<TForm*>(AOwner);
    if (!form) return;
    // The window gets no system menu bar: the frame shows this menu instead.
    form->SetMenu(nullptr);
    for (int i = 0; i < form->ControlCount(); ++i)
        if (auto* frame = dynamic_cast<TsuiForm*>(form->Controls(i))) {
            frame->SetMenu(this);
            break;
        }
}

TImageList* TsuiMainMenu::Images() const
{
    TImageList* list = TPopupMenu::Images();
    return list == checkMarks_ ? nullptr : list;
}

void TsuiMainMenu::SetImages(TImageList* list)
{
    TPopupMenu::SetImages(list ? list : checkMarks_);
}

void TsuiMainMenu::SetUIStyle(TsuiUIStyle value)
{
    TsuiPopupMenu::SetUIStyle(value);
    if (frame_ && frame_->MenuBar()) frame_->MenuBar()->Invalidate();
}

void TsuiMainMenu::Loaded()
{
    TsuiPopupMenu::Loaded();
    if (frame_) frame_->RebuildMenuBar();
}
