// A Win32 critical section and a scope that holds it. Header-only and
// free of the rest of the framework: Snagbar.dll, which runs inside the
// browser's process, uses it too and so pulls in no threading runtime.
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
