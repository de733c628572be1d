#pragma once
// How the page inspection recognises a Flash movie in an element, for the hit
// test and the whole-page walk alike: by the Flash control's interface and by
// an EMBED or OBJECT whose markup names a movie (not every host answers the
// interface for an EMBED, nor for an OBJECT whose control is not installed).
// Each caller says which of the two it asks first.
//
// Elements and collections are read late-bound, through IDispatch with the
// DOM's dispatch ids. For a page in another process Windows hands out each
// interface of each object through its own proxy, and under Wine every proxy of
// a DOM interface is built from the browser's type library (about 90 ms each,
// measured), while the IDispatch proxy is built in: a walk over the elements
// through IDispatch costs one round trip per read and no proxy builds.
#include "ComObj.h"

#include <mshtml.h>

#include <functional>
#include <optional>
#include <string>

// The movie address an EMBED or OBJECT element's markup gives (src, data or
// the movie PARAM, as written in the page), or nothing when the markup names
// no movie. Empty: a movie without a source. Failing DOM calls raise. A caller
// that knows the element's tag name passes it and spares a call.
std::optional<std::string> MarkupMovieOf(IDispatch* element, const std::string& tag = {});

// Where an element's movie address is looked for first.
enum class TMovieSource {
    Control,  // the Flash control's Movie property (a typed proxy for a page in another process)
    Markup,   // what MarkupMovieOf reads
};

// The movie address of any element: the first of the two sources, in the
// caller's order, that names an address; empty when one of them takes the
// element for a movie without naming any, nothing when neither does.
// Failing calls raise.
std::optional<std::string> MovieOfElement(IDispatch* element, TMovieSource first, const std::string& tag = {});

// The movie path of a "player" element as the hit test reads it (its markup,
// its tag name compared case and all), else as MovieOfElement, markup first.
std::optional<std::string> PlayerMovieOf(IDispatch* element);

// The items of a collection ForEachElement visits at most: the page says how
// long its collections are, and each item is a call into the browser's
// process on the user-interface thread.
constexpr LONG MaxCollectionItems = 1000;

// Calls visit for each element of the collection (none when list is null), in
// order, until it returns false or MaxCollectionItems were asked for; items
// that cannot be had are passed over. True when the collection holds more
// items than that bound let it visit.
bool ForEachElement(IDispatch* list, const std::function<bool(IDispatch*)>& visit);

// The elements of a document's "all" collection with one tag name; null when
// there are none. Failing calls raise.
ComPtr<IDispatch> ElementsTagged(IDispatch* all, const std::string& tag);

// The document's own address; failing calls raise.
std::string DocumentAddress(IDispatch* document);

// The address the document's relative addresses resolve against: its first
// BASE element with an href, that href resolved against the document's own
// address; the document's address when it has none or it cannot be read.
std::string DocumentBase(IDispatch* document, const std::string& documentUrl);

// The element's outer HTML, as the browser writes it; empty when it cannot be
// read (the page is gone).
std::string ElementMarkup(IDispatch* element);

// The element's tag name as an 8-bit string; failing calls raise.
std::string ElementTagName(IDispatch* element);
