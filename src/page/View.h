#pragma once
// The IFRAME preview window: a page opened from a frame is shown here, so the
// user can hover and grab in it as in any browser window. It hides itself when
// the cursor leaves it.
#include "Forms.h"
#include "OleCtrls.h"
#include "SUIForm.h"

class TfrmView : public TForm {
public:
    explicit TfrmView(TComponent* AOwner);
    const char* ClassName() const override { return "TfrmView"; }

    TsuiForm* suiForm1 = nullptr;
    TWebBrowser* WebBrowser1 = nullptr;

    void PreviewMouseLeave(TMessage& m);
    void WndProc(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
};
