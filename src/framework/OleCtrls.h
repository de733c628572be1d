#pragma once
// TWebBrowser: the system's Web Browser control in a child window of ours. Its
// properties are read through the control's IDispatch by dispatch id, which is
// also the seam for tests: they install a dispatch object of their own.
//
// When the control cannot be created (Wine without a browser engine), the
// window stays empty and every property access raises EOleError, which the
// callers' guards catch.
#include "ComObj.h"
#include "Controls.h"

#include <oleidl.h>

#include <string>

constexpr DISPID DispidLocationURL = 211;
constexpr DISPID DispidReadyState = -525;
constexpr DISPID DispidDocument = 203;
constexpr DISPID DispidNavigate = 104;
constexpr long ReadyStateComplete = 4;

class TBrowserSite;

class TWebBrowser : public TWinControl {
public:
    explicit TWebBrowser(TComponent* AOwner);
    ~TWebBrowser() override;
    const char* ClassName() const override { return "TWebBrowser"; }

    // The control's dispatch interface, or null when there is no control.
    IDispatch* ControlDispatch() const { return dispatch_.get(); }
    // Puts a dispatch object in the control's place (tests).
    void SetControlDispatch(ComPtr<IDispatch> dispatch) { dispatch_ = std::move(dispatch); }

    std::wstring LocationURL();
    long ReadyState();
    ComPtr<IDispatch> Document();
    // Navigate(URL) with the four optional arguments empty.
    void Navigate(const std::wstring& url);

    void WndProc(TMessage& m) override;

protected:
    void BeforeDestruction() override;
    void CreateWindowDone() override;

private:
    void CreateControl();
    void DestroyControl();
    void GetProperty(DISPID id, TVariant& result);

    ComPtr<IOleObject> ole_;
    ComPtr<IOleInPlaceObject> inPlace_;
    ComPtr<IDispatch> dispatch_;
    ComPtr<TBrowserSite> site_;
};
