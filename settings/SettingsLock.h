// Held while a window merges its changes into the stored settings: one lock
// for every process of the user in the session that uses the same
// application key, so that two windows saving at the same moment take turns
// instead of each writing what it read before the other wrote.
#pragma once
#include <windows.h>
#include <string>
#include "framework/Handles.h"

class SettingsLock {
public:
    // Waits at most `timeoutMs`; a process that holds the lock far longer
    // than a save takes has hung, and saving without it is better than not
    // saving at all.
    explicit SettingsLock(const std::string& appKey, DWORD timeoutMs = 5000);
    ~SettingsLock();
    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;

    bool Held() const { return held; }
    // The mutex's name for an application key.
    static std::string NameFor(const std::string& appKey);

private:
    KernelHandle mutex;
    bool held = false;
};
