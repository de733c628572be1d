#include "MovieElement.h"

#include "FlashControl.h"
#include "GrabRules.h"

namespace {

// getAttribute with flag 2: the value as the page wrote it, not resolved.
std::string Attribute(IHTMLElement* e, const wchar_t* name)
{
    constexpr LONG kAsWritten = 2;
    TBStr bname{std::wstring(name)};
    TVariant value;
    OleCheck(e->getAttribute(bname.get(), kAsWritten, value.get()));
    if ((*value).vt != VT_BSTR || !(*value).bstrVal) return {};
    return WideToAnsi((*value).bstrVal);
}

bool SameNoCase(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

// The value of the OBJECT's PARAM named "movie", or "src" when it has none.
std::string MovieParam(IHTMLElement* object)
{
    ComPtr<IDispatch> children;
    OleCheck(object->get_children(children.put()));
    ComPtr<IHTMLElementCollection> list;
    if (!children || FAILED(children->QueryInterface(IID_IHTMLElementCollection, list.put_void())) || !list)
        return {};
    std::string movie, src;
    ForEachElement(list.get(), [&](IHTMLElement* param) {
        if (!SameNoCase(ElementTagName(param), "PARAM")) return true;
        const std::string name = Attribute(param, L"name");
        if (SameNoCase(name, "movie")) {
            movie = Attribute(param, L"value");
            return false;
        }
        if (SameNoCase(name, "src") && src.empty()) src = Attribute(param, L"value");
        return true;
    });
    return movie.empty() ? src : movie;
}

}  // namespace

void ForEachElement(IHTMLElementCollection* list, const std::function<bool(IHTMLElement*)>& visit)
{
    if (!list) return;
    LONG count = 0;
    OleCheck(list->get_length(&count));
    for (LONG i = 0; i < count; ++i) {
        VARIANT index{};
        index.vt = VT_I4;
        index.lVal = i;
        VARIANT none{};
        ComPtr<IDispatch> item;
        if (FAILED(list->item(index, none, item.put())) || !item) continue;
        ComPtr<IHTMLElement> element;
        if (FAILED(item->QueryInterface(IID_IHTMLElement, element.put_void())) || !element) continue;
        if (!visit(element.get())) return;
    }
}

std::string ElementTagName(IHTMLElement* element)
{
    TBStr tag;
    OleCheck(element->get_tagName(tag.put()));
    return WideToAnsi(tag.get());
}

std::optional<std::string> MarkupMovieOf(IHTMLElement* element)
{
    TMovieMarkup m;
    m.Tag = ElementTagName(element);
    const bool embed = SameNoCase(m.Tag, "EMBED"), object = SameNoCase(m.Tag, "OBJECT");
    if (!embed && !object) return std::nullopt;
    m.Type = Attribute(element, L"type");
    if (embed) m.Src = Attribute(element, L"src");
    if (object) {
        m.Data = Attribute(element, L"data");
        m.ClassId = Attribute(element, L"classid");
        m.MovieParam = MovieParam(element);
    }
    return MarkupMovieAddress(m);
}

std::optional<std::string> MovieOfElement(IHTMLElement* element)
{
    ComPtr<IShockwaveFlash> flash;
    if (SUCCEEDED(element->QueryInterface(IID_IShockwaveFlash, flash.put_void())) && flash) {
        TBStr movie;
        OleCheck(flash->get_Movie(movie.put()));
        return WideToAnsi(movie.get());
    }
    return MarkupMovieOf(element);
}
