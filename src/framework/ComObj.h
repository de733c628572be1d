#pragma once
// COM helpers: failures as exceptions, owners for BSTRs and VARIANTs, and late
// binding.
#include "Handles.h"
#include "WideText.h"

#include <oaidl.h>
#include <oleauto.h>

#include <initializer_list>
#include <stdexcept>
#include <string>

// A COM call reported failure. Raised where the operation cannot go on and
// caught at the edge of the operation.
class EOleError : public std::runtime_error {
public:
    explicit EOleError(HRESULT code) : std::runtime_error("COM call failed"), Code(code) {}
    HRESULT Code;
};

// Raises EOleError when the result code reports failure (top bit set).
inline void OleCheck(HRESULT hr)
{
    if (FAILED(hr)) throw EOleError(hr);
}

class TBStr {
public:
    TBStr() = default;
    explicit TBStr(const std::wstring& s) : s_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    ~TBStr() { SysFreeString(s_); }
    TBStr(const TBStr&) = delete;
    TBStr& operator=(const TBStr&) = delete;
    BSTR get() const { return s_; }
    BSTR* put() { SysFreeString(s_); s_ = nullptr; return &s_; }
    std::wstring Wide() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }

private:
    BSTR s_ = nullptr;
};

class TVariant {
public:
    TVariant() { VariantInit(&v_); }
    ~TVariant() { VariantClear(&v_); }
    TVariant(TVariant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    VARIANT* get() { return &v_; }
    const VARIANT& operator*() const { return v_; }

    // The value as a text in the program's code page; empty when it is none.
    std::string Text() const;
    // The value as a number; 0 when it cannot be one.
    LONG Int() const;
    // The value as an object, held; null when it is none.
    ComPtr<IDispatch> Object() const;

private:
    VARIANT v_;
};

// Texts from COM are stored in the program's code page (936), whatever the
// system's is; and back for a call that wants a BSTR.
inline std::string WideToAnsi(const std::wstring& s) { return ToNarrow(s); }
std::string WideToAnsi(BSTR s);
inline std::wstring AnsiToWide(const std::string& s) { return ToWide(s); }

// Arguments for DispatchCall. The caller keeps a text's BSTR alive for the call.
VARIANT VariantOf(BSTR text);
VARIANT VariantOf(LONG number);

// Late binding, as a script reads an object: the property or method of that
// dispatch id through IDispatch::Invoke, the arguments in the order written;
// the property's value or the method's result. Failures raise EOleError.
TVariant DispatchCall(IDispatch* object, DISPID member, std::initializer_list<VARIANT> args = {});
