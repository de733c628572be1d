#pragma once
// Owner of one WinInet handle, counted with the other live handles so leak
// checks see sessions, connections and requests too.
#include "Handles.h"

#include <wininet.h>

struct TInternetTraits {
    using Handle = HINTERNET;
    static constexpr THandleKind Kind = THandleKind::Internet;
    static bool Valid(HINTERNET h) { return h != nullptr; }
    static void Close(HINTERNET h) { InternetCloseHandle(h); }
};
using TInternetHandle = TUniqueHandle<TInternetTraits>;
