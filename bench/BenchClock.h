#pragma once
// The one clock of the timing programs: the performance counter, read in
// microseconds, milliseconds or seconds.
#include <windows.h>

inline double NowUs()
{
    static const double perUs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1e6;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perUs;
}

inline double NowMs() { return NowUs() / 1e3; }
inline double NowS() { return NowUs() / 1e6; }
