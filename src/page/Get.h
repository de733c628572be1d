#pragma once
// The grab toolbar: a small borderless, semi-transparent, always-on-top window
// with Save, About and Help picture buttons, shown over a recognised movie. Its
// owner is the desktop window, so it stays up while the application is
// minimised, and its buttons are windowless, so the cursor over any of them is
// over the toolbar's own window.
#include "Buttons.h"
#include "Forms.h"
#include "HitState.h"

class TfrmGet : public TForm {
public:
    explicit TfrmGet(TComponent* AOwner);
    const char* ClassName() const override { return "TfrmGet"; }

    TSpeedButton* btnSave = nullptr;
    TSpeedButton* btnAbout = nullptr;
    TSpeedButton* btnHelp = nullptr;

    // The hit-test state whose HitRect places the toolbar (not owned).
    void SetHitState(const THitState* state) { hitState_ = state; }
    // Puts the toolbar at HitRect's top-left corner, or at cursor point C (client
    // coordinates of window W), and shows it.
    void PlaceToolbar(bool atCursor, HWND W, POINT C);

    // Raised by Save after the toolbar hid itself; the main window saves the movie.
    TNotifyEvent OnSave;

    void btnSaveClick(TObject* Sender);
    void btnAboutClick(TObject* Sender);
    void btnHelpClick(TObject* Sender);

protected:
    void CreateParams(TCreateParams& params) override;

private:
    void FormCreate(TObject* Sender);
    TSpeedButton* MakeButton(const char* name, int left, const char* hint, const char* glyph);

    const THitState* hitState_ = nullptr;  // not owned
};

// Texts of the toolbar's boxes.
std::string ToolbarAboutText();
std::string ToolbarHelpText();
std::string ToolbarHelpCaption();
