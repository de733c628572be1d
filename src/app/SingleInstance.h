#pragma once
// One program per user session. The first start holds a named mutex in the
// session's namespace for its whole run; a later start finds the name taken,
// asks the running program's main window to show itself and ends.
#include "Handles.h"

#include <windows.h>

// The mutex that marks a running program in this session. "Local\" keeps it to
// the session; Windows 2000 without Terminal Services ignores the prefix.
inline constexpr char RunningMutexName[] = "Local\\Vendrake.Running";
// Posted by a later start to the running program's main window: show yourself
// as the notification-area icon's click does.
inline constexpr char ShowRunningMessageName[] = "Vendrake.ShowRunning";

class TSingleInstance {
public:
    explicit TSingleInstance(const char* mutexName);
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // False when another program of the session holds the name. A mutex that
    // cannot be made at all does not keep the program from running.
    bool First() const { return first_; }

    // Finds the running program's main window by its class and posts it the
    // show message, waiting up to timeoutMs for a program still starting to
    // make its window. Lets that program take the foreground. False when no
    // window was found in time.
    static bool ShowRunning(const char* mainWindowClass, DWORD timeoutMs);

private:
    TKernelHandle mutex_;
    bool first_ = true;
};
