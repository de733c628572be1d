#pragma once
// Zelpo.dll, the mouse-hook library. While enabled it reports every mouse event
// the system sees: it writes the cursor's screen position into X and Y of the
// shared record below and then posts the registered message HookMessageName to
// one window. The message's parameters carry nothing; the reader takes the
// position from the record when the message arrives. One hook per process.
//
// Both functions return a one-byte boolean (stdcall returns it in AL); callers
// look at the low byte only.
#include <windows.h>

#include <cstdint>

#ifdef ZELPO_BUILDING_DLL
#define ZELPO_API extern "C" __declspec(dllexport)
#else
#define ZELPO_API extern "C" __declspec(dllimport)
#endif

// The shared record: 12 bytes in a paging-file mapping named MouseShareName.
// Whoever creates the mapping zeroes it; the library writes X then Y once per
// event, each as one aligned 32-bit store and without a lock, and never touches
// Reserved.
struct TMouseShare {
    std::int32_t Reserved;
    std::int32_t X;
    std::int32_t Y;
};
static_assert(sizeof(TMouseShare) == 12);

inline constexpr char MouseShareName[] = "MARTOX_MOUSE";
inline constexpr char HookMessageName[] = "WM_QUORVEL";

// Starts reporting to `window`; true once the hook is installed. The library
// opens the shared record, or creates it when no one has yet. While the hook is
// enabled, a further call installs nothing: it sends the reports to the new
// window from then on and returns true.
ZELPO_API bool __stdcall EnableMouseHook(HWND window);

// Stops the reports and removes the hook: once it has returned no further
// message is posted. True on success, also when nothing was enabled (there are
// no reports then either); false only when the hook thread could not be stopped.
ZELPO_API bool __stdcall DisableMouseHook();
