// A Win32 critical section and a scope that holds it. The module runs
// inside the browser's process, so it keeps to the system's own lock and
// pulls in no threading runtime.
#pragma once

#include <windows.h>

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section); }
    ~CriticalSection() { DeleteCriticalSection(&section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section); }
    void Leave() { LeaveCriticalSection(&section); }

private:
    CRITICAL_SECTION section;
};

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& cs) : section(cs) { section.Enter(); }
    ~CriticalSectionLock() { section.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& section;
};
