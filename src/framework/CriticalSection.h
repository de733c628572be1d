#pragma once
// A lock for the threads of one process, and a holder that keeps it for one
// scope. A thread that holds it may enter it again (it must leave as often).
#include <windows.h>

class TCriticalSection {
public:
    TCriticalSection();
    ~TCriticalSection();
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void Enter();
    void Leave();

    // Enters the section when made and leaves it when it goes away.
    class TLock {
    public:
        explicit TLock(TCriticalSection& section) : section_(section) { section_.Enter(); }
        ~TLock() { section_.Leave(); }
        TLock(const TLock&) = delete;
        TLock& operator=(const TLock&) = delete;

    private:
        TCriticalSection& section_;
    };

private:
    CRITICAL_SECTION section_;
};
