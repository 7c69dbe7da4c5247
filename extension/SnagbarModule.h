// Process-wide state of the extension module: its instance handle, the lock
// count that decides whether COM may unload it, the cached class object and
// the type information that serves IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

class SnagbarModule {
public:
    static void Attach(HINSTANCE instance);
    // Called when the module is unloaded while the process lives on.
    static void Detach();

    static HINSTANCE Instance();
    // Full path of the module file, empty when it cannot be had.
    static std::wstring FileName();

    // Live objects, class objects in use and LockServer locks.
    static void Lock();
    static void Unlock();
    static LONG LockCount();

    // The class object of FramehaulIE, created once and then reused.
    static HRESULT GetClassObject(REFIID riid, void** ppv);

    // IFramehaulIE's type information from the registered type library;
    // loaded on first use. The caller gets its own reference.
    static HRESULT GetTypeInfo(ITypeInfo** typeInfo);
};
