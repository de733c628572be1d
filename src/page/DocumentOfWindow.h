#pragma once
// The HTML document shown in a browser content window, obtained through Active
// Accessibility: the window answers "WM_HTML_GETOBJECT" and ObjectFromLresult
// turns the answer into the document's interface.
#include "Handles.h"

#include <mshtml.h>

#include <string>

// The document of the frame that the window shows, or null. Errors never leave
// it; a missing accessibility library is told to the user at every call.
ComPtr<IHTMLDocument2> GetDocumentOfWindow(HWND window);
// The same document as an IDispatch, for late-bound reads (MovieElement.h):
// for a page in another process it spares the document's typed proxy.
ComPtr<IDispatch> GetDocumentDispatchOfWindow(HWND window);

// The accessibility library's file name, loaded at every call ("Oleacc.dll").
// Tests point it at a library that is not there.
std::string& AccessibilityLibraryName();

constexpr UINT DocumentRequestTimeoutMs = 1000;
