#pragma once
// The skinned main menu: drawn as the skinned popup menu draws, with a check
// mark list of its own, for forms that carry a skinned frame. Right after its
// construction it takes the form's own menu away and hands itself to the
// form's first TsuiForm, which shows the top-level items in its menu bar and
// watches the menu for changes of its items and font, as it watches any menu.
#include "SUIPopupMenu.h"

class TsuiForm;

class TsuiMainMenu : public TsuiPopupMenu {
public:
    // Raises EResNotFound when the program has no "MENU_CHECKED" picture.
    explicit TsuiMainMenu(TComponent* AOwner);
    const char* ClassName() const override { return "TsuiMainMenu"; }

    // None while the check mark list stands in; assigning none puts it back.
    TImageList* Images() const;
    void SetImages(TImageList* list);
    void SetUIStyle(TsuiUIStyle value) override;

    // The frame showing this menu; set and cleared by that frame.
    TsuiForm* Frame() const { return frame_; }
    void SetFrame(TsuiForm* frame) { frame_ = frame; }

    // Handlers on the items, then the frame's bar made afresh.
    void Loaded() override;

protected:
    const TImageList* CheckMarks() const override { return checkMarks_; }
    TImageList* ItemImages() const override { return Images(); }

private:
    TImageList* checkMarks_ = nullptr;  // owned as our component
    TsuiForm* frame_ = nullptr;  // not owned
};
