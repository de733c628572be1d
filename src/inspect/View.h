#pragma once
// The IFRAME preview window: a page opened from a frame is shown here, so the
// user can hover and grab in it as in any browser window.
#include "Forms.h"

class TfrmView : public TForm {
public:
    explicit TfrmView(TComponent* AOwner);
    const char* ClassName() const override { return "TfrmView"; }
};
