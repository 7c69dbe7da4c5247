// The registry entries of the FramehaulIE class and its type library, in
// the registry view of the build that runs: a 32-bit regsvr32 registers the
// 32-bit module for 32-bit browsers, a 64-bit one the 64-bit module. Both
// builds can be registered at once; removing one leaves the other working.
#pragma once

#include <windows.h>

#include <string>

class ServerRegistration {
public:
    // Writes the entries for the module at modulePath and registers the
    // type library inside it; returns the first failure.
    static HRESULT Register(const std::wstring& modulePath);
    // Removes what Register wrote; succeeds when nothing is registered.
    static HRESULT Unregister();
};
