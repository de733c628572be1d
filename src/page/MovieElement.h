#pragma once
// How the page inspection recognises a Flash movie in an element, for the hit
// test and the whole-page walk alike: the Flash control's interface first;
// refused, an EMBED or OBJECT whose markup names a movie (not every host
// answers the interface for an EMBED, nor for an OBJECT whose control is not
// installed).
#include "ComObj.h"

#include <mshtml.h>

#include <functional>
#include <optional>
#include <string>

// The movie address an EMBED or OBJECT element's markup gives (src, data or
// the movie PARAM, as written in the page), or nothing when the markup names
// no movie. Empty: a movie without a source. Failing DOM calls raise.
std::optional<std::string> MarkupMovieOf(IHTMLElement* element);

// The movie address of any element: the control's Movie property when the
// element answers the Flash interface, else MarkupMovieOf.
std::optional<std::string> MovieOfElement(IHTMLElement* element);

// Calls visit for each element of the collection (none when list is null), in
// order, until it returns false; items that are no element are passed over.
void ForEachElement(IHTMLElementCollection* list, const std::function<bool(IHTMLElement*)>& visit);

// The element's tag name as an 8-bit string; failing calls raise.
std::string ElementTagName(IHTMLElement* element);
