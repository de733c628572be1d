#include "View.h"

TfrmView::TfrmView(TComponent* AOwner) : TForm(AOwner)
{
    SetName("frmView");
    SetCaption("Flash预览");
    SetBounds(200, 200, 400, 300);
}
