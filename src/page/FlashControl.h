#pragma once
// The Flash player control's dual interface, as far as we use it: the public
// vtable order up to the Movie property. Only get_Movie is called.
#include <windows.h>
#include <oaidl.h>

struct IShockwaveFlash : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_ReadyState(long* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TotalFrames(long* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Playing(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Playing(VARIANT_BOOL pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Quality(int* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Quality(int pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ScaleMode(int* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ScaleMode(int pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AlignMode(int* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AlignMode(int pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BackgroundColor(long* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BackgroundColor(long pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Movie(BSTR* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Movie(BSTR pVal) = 0;
};

__CRT_UUID_DECL(IShockwaveFlash, 0xd27cdb6c, 0xae6d, 0x11cf, 0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00)

inline constexpr IID IID_IShockwaveFlash = {
    0xd27cdb6c, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
