#include "OleCtrls.h"

#include <exdisp.h>

// ================================================================= TBrowserSite

// The smallest container the control accepts for in-place activation: a
// client site, an in-place site and a frame, all answering from one window.
class TBrowserSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    explicit TBrowserSite(HWND host) : host_(host) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
            *ppv = static_cast<IOleInPlaceFrame*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override { *c = nullptr; return E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the site and the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* wnd) override { *wnd = host_; return S_OK; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        *frame = this;
        AddRef();
        *doc = nullptr;
        GetClientRect(host_, pos);
        GetClientRect(host_, clip);
        info->fMDIApp = FALSE;
        info->hwndFrame = host_;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

    // IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    ~TBrowserSite() = default;

    HWND host_;  // not owned
    LONG refs_ = 1;
};

// ================================================================== TWebBrowser

TWebBrowser::TWebBrowser(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 300, 150); }

TWebBrowser::~TWebBrowser() { DestroyControl(); }

void TWebBrowser::BeforeDestruction()
{
    DestroyControl();
    TWinControl::BeforeDestruction();
}

void TWebBrowser::CreateWindowDone() { CreateControl(); }

void TWebBrowser::CreateControl()
{
    if (ole_ || dispatch_) return;
    ComPtr<IOleObject> ole;
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, ole.put_void())))
        return;
    site_ = ComPtr<TBrowserSite>::Attach(new TBrowserSite(Handle()));  // the COM reference owns it
    RECT rc{};
    GetClientRect(Handle(), &rc);
    if (FAILED(ole->SetClientSite(site_.get())) ||
        FAILED(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.get(), 0, Handle(), &rc))) {
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        site_.reset();
        return;
    }
    ole.As(inPlace_);
    ComPtr<IDispatch> dispatch;
    if (FAILED(ole->QueryInterface(IID_IDispatch, dispatch.put_void()))) dispatch.reset();
    dispatch_ = dispatch;
    ole_ = ole;
}

void TWebBrowser::DestroyControl()
{
    dispatch_.reset();
    if (inPlace_) {
        inPlace_->InPlaceDeactivate();
        inPlace_.reset();
    }
    if (ole_) {
        ole_->Close(OLECLOSE_NOSAVE);
        ole_->SetClientSite(nullptr);
        ole_.reset();
    }
    site_.reset();
}

void TWebBrowser::WndProc(TMessage& m)
{
    if (m.Msg == WM_SIZE && inPlace_) {
        RECT rc{0, 0, LOWORD(m.LParam), HIWORD(m.LParam)};
        inPlace_->SetObjectRects(&rc, &rc);
    }
    if (m.Msg == WM_DESTROY) DestroyControl();
    TWinControl::WndProc(m);
}

void TWebBrowser::GetProperty(DISPID id, TVariant& result)
{
    if (!dispatch_) throw EOleError(E_NOINTERFACE);
    DISPPARAMS none{};
    OleCheck(dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.get(), nullptr,
                               nullptr));
}

std::wstring TWebBrowser::LocationURL()
{
    TVariant v;
    GetProperty(DispidLocationURL, v);
    OleCheck(VariantChangeType(v.get(), v.get(), 0, VT_BSTR));
    const BSTR s = (*v).bstrVal;
    return s ? std::wstring(s, SysStringLen(s)) : std::wstring();
}

long TWebBrowser::ReadyState()
{
    TVariant v;
    GetProperty(DispidReadyState, v);
    OleCheck(VariantChangeType(v.get(), v.get(), 0, VT_I4));
    return (*v).lVal;
}

ComPtr<IDispatch> TWebBrowser::Document()
{
    TVariant v;
    GetProperty(DispidDocument, v);
    ComPtr<IDispatch> doc;
    if ((*v).vt == VT_DISPATCH && (*v).pdispVal) {
        (*v).pdispVal->AddRef();
        doc = ComPtr<IDispatch>::Attach((*v).pdispVal);
    }
    return doc;
}

void TWebBrowser::Navigate(const std::wstring& url)
{
    if (!dispatch_) throw EOleError(E_NOINTERFACE);
    TBStr address(url);
    // Arguments go last first: Flags, TargetFrameName, PostData, Headers empty.
    VARIANT args[5];
    for (VARIANT& a : args) VariantInit(&a);
    args[4].vt = VT_BSTR;
    args[4].bstrVal = address.get();
    DISPPARAMS params{args, nullptr, 5, 0};
    OleCheck(dispatch_->Invoke(DispidNavigate, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                               nullptr, nullptr));
}
