#pragma once
// The please-wait overlay: a borderless, semi-transparent window that covers the
// window under the cursor while a frame's page loads in the hidden browser. It
// belongs to the desktop, not to the main window.
#include "ExtCtrls.h"
#include "Forms.h"

class TfrmGeting : public TForm {
public:
    explicit TfrmGeting(TComponent* AOwner);
    const char* ClassName() const override { return "TfrmGeting"; }

    TCustomPanel* Panel1 = nullptr;

protected:
    void CreateParams(TCreateParams& params) override;
    void Resized() override;

private:
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
};

constexpr BYTE OverlayAlpha = 200;
