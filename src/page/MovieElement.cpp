#include "MovieElement.h"

#include "FlashControl.h"
#include "MovieMarkup.h"
#include "HitRules.h"
#include "MovieUrl.h"
#include "WideText.h"

#include <mshtmdid.h>

#include <algorithm>

namespace {

// getAttribute with flag 2: the value as the page wrote it, not resolved.
std::string Attribute(IDispatch* e, const wchar_t* name)
{
    constexpr LONG kAsWritten = 2;
    TBStr bname{std::wstring(name)};
    return DispatchCall(e, DISPID_IHTMLELEMENT_GETATTRIBUTE, {VariantOf(bname.get()), VariantOf(kAsWritten)}).Text();
}

bool SameNoCase(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

// The value of the OBJECT's PARAM named "movie", or "src" when it has none.
std::string MovieParam(IDispatch* object)
{
    const ComPtr<IDispatch> children = DispatchCall(object, DISPID_IHTMLELEMENT_CHILDREN).Object();
    std::string movie, src;
    ForEachElement(children.get(), [&](IDispatch* param) {
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

// The Flash control's Movie, or nothing when the element is no control.
std::optional<std::string> ControlMovieOf(IDispatch* element)
{
    ComPtr<IShockwaveFlash> flash;
    if (FAILED(element->QueryInterface(IID_IShockwaveFlash, flash.put_void())) || !flash) return std::nullopt;
    TBStr movie;
    OleCheck(flash->get_Movie(movie.put()));
    return WideToAnsi(movie.get());
}

}  // namespace

bool ForEachElement(IDispatch* list, const std::function<bool(IDispatch*)>& visit)
{
    if (!list) return false;
    const LONG length = DispatchCall(list, DISPID_IHTMLELEMENTCOLLECTION_LENGTH).Int();
    const LONG count = std::min(length, MaxCollectionItems);
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IDispatch> element;
        try {
            element = DispatchCall(list, DISPID_IHTMLELEMENTCOLLECTION_ITEM, {VariantOf(i)}).Object();
        } catch (const EOleError&) {
            continue;
        }
        if (element && !visit(element.get())) return false;
    }
    return length > count;
}

ComPtr<IDispatch> ElementsTagged(IDispatch* all, const std::string& tag)
{
    TBStr name{ToWide(tag)};
    return DispatchCall(all, DISPID_IHTMLELEMENTCOLLECTION_TAGS, {VariantOf(name.get())}).Object();
}

std::string DocumentAddress(IDispatch* document) { return DispatchCall(document, DISPID_IHTMLDOCUMENT2_URL).Text(); }

std::string DocumentBase(IDispatch* document, const std::string& documentUrl)
{
    std::string href;
    try {
        const ComPtr<IDispatch> all = DispatchCall(document, DISPID_IHTMLDOCUMENT2_ALL).Object();
        if (!all) return documentUrl;
        ForEachElement(ElementsTagged(all.get(), "BASE").get(), [&](IDispatch* base) {
            href = Attribute(base, L"href");
            return href.empty();
        });
    } catch (const EOleError&) {
        return documentUrl;  // a document that lists nothing resolves against its own address
    }
    const std::string base = ResolveMovieURL(documentUrl, href);
    return base.empty() ? documentUrl : base;
}

std::string ElementMarkup(IDispatch* element)
{
    if (!element) return {};
    try {
        return DispatchCall(element, DISPID_IHTMLELEMENT_OUTERHTML).Text();
    } catch (const EOleError&) {
        return {};
    }
}

std::string ElementTagName(IDispatch* element) { return DispatchCall(element, DISPID_IHTMLELEMENT_TAGNAME).Text(); }

std::optional<std::string> MarkupMovieOf(IDispatch* element, const std::string& tag)
{
    TMovieMarkup m;
    m.Tag = tag.empty() ? ElementTagName(element) : tag;
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

std::optional<std::string> MovieOfElement(IDispatch* element, TMovieSource first, const std::string& tag)
{
    const auto read = [&](TMovieSource source) {
        return source == TMovieSource::Control ? ControlMovieOf(element) : MarkupMovieOf(element, tag);
    };
    const auto one = read(first);
    if (one && !one->empty()) return one;
    const auto other = read(first == TMovieSource::Control ? TMovieSource::Markup : TMovieSource::Control);
    if (other && !other->empty()) return other;
    return one ? one : other;
}

std::optional<std::string> PlayerMovieOf(IDispatch* element)
{
    const std::string tag = ElementTagName(element);
    if (tag == "player")
        if (auto path = PlayerMoviePath(DispatchCall(element, DISPID_IHTMLELEMENT_OUTERHTML).Text())) return path;
    return MovieOfElement(element, TMovieSource::Markup, tag);
}
