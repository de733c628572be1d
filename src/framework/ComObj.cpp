#include "ComObj.h"

#include <algorithm>
#include <vector>

std::string WideToAnsi(BSTR s) { return s ? ToNarrow(std::wstring(s, SysStringLen(s))) : std::string(); }

std::string TVariant::Text() const { return v_.vt == VT_BSTR ? WideToAnsi(v_.bstrVal) : std::string(); }

LONG TVariant::Int() const
{
    if (v_.vt == VT_I4) return v_.lVal;
    TVariant number;
    if (FAILED(VariantChangeType(number.get(), const_cast<VARIANT*>(&v_), 0, VT_I4))) return 0;
    return (*number).lVal;
}

ComPtr<IDispatch> TVariant::Object() const
{
    if (v_.vt != VT_DISPATCH || !v_.pdispVal) return {};
    v_.pdispVal->AddRef();
    return ComPtr<IDispatch>::Attach(v_.pdispVal);
}

VARIANT VariantOf(BSTR text)
{
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}

VARIANT VariantOf(LONG number)
{
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = number;
    return v;
}

TVariant DispatchCall(IDispatch* object, DISPID member, std::initializer_list<VARIANT> args)
{
    if (!object) throw EOleError(E_POINTER);
    std::vector<VARIANT> reversed(args.begin(), args.end());  // Invoke takes the last argument first
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    TVariant result;
    OleCheck(object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                            result.get(), nullptr, nullptr));
    return result;
}
