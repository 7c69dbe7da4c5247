#include "settings/SettingsLock.h"
#include <algorithm>

std::string SettingsLock::NameFor(const std::string& appKey) {
    // A backslash would name a namespace; the key's case does not matter to
    // the registry, so it must not to the lock either.
    std::string name = appKey;
    std::replace(name.begin(), name.end(), '\\', '/');
    CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
    return "Local\\Framehaul settings " + name;
}

SettingsLock::SettingsLock(const std::string& appKey, DWORD timeoutMs)
    : mutex(CreateMutexA(nullptr, FALSE, NameFor(appKey).c_str())) {
    if (!mutex) return;
    // An owner that ended without letting go leaves the lock abandoned: it
    // is ours then.
    DWORD waited = WaitForSingleObject(mutex.Get(), timeoutMs);
    held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

SettingsLock::~SettingsLock() {
    if (held) ReleaseMutex(mutex.Get());
}
