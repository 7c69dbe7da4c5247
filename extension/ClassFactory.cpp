#include "extension/ClassFactory.h"

#include "extension/SnagbarModule.h"

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

// The object is never freed through its references (the module owns it), so
// the counts returned are only there to look plausible to a debugger.
STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
    SnagbarModule::Lock();
    return 2;
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
    SnagbarModule::Unlock();
    return 1;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    // An aggregated object can only hand its inner IUnknown to the outer.
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return create(outer, riid, ppv);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        SnagbarModule::Lock();
    else
        SnagbarModule::Unlock();
    return S_OK;
}
