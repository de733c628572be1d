#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <cstdio>
TEST(Dbg, ButtonMessages)
{
    auto* form = new TForm(Application());
    auto* push = new TButton(form);
    push->SetParent(form);
    form->HandleNeeded();
    push->SetWindowProc([&](TMessage& m) {
        if (m.Msg < 0x400) printf("msg %04x w=%llx l=%llx capture=%p self=%p\n", m.Msg, (unsigned long long)m.WParam, (unsigned long long)m.LParam, (void*)GetCapture(), (void*)push->Handle());
        push->WndProc(m);
    });
    push->OnClick = [](TObject*) { printf("CLICK\n"); };
    SendMessageA(push->Handle(), BM_CLICK, 0, 0);
    Application()->FreeForms();
}
