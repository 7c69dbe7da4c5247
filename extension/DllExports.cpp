// The four exports through which COM and regsvr32 drive the module.

#include "extension/ClassFactory.h"
#include "extension/ServerRegistration.h"
#include "extension/SnagbarModule.h"
#include "extension/Snagbar_h.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        SnagbarModule::Attach(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // At process exit (reserved set) the other modules may already be
        // gone; there is nothing to give back then anyway.
        SnagbarModule::Detach();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return SnagbarModule::LockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_FramehaulIE)) return CLASS_E_CLASSNOTAVAILABLE;
    return SnagbarModule::GetClassObject(riid, ppv);
}

STDAPI DllRegisterServer() {
    return ServerRegistration::Register(SnagbarModule::FileName());
}

STDAPI DllUnregisterServer() {
    return ServerRegistration::Unregister();
}

}  // extern "C"
