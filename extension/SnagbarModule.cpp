#include "extension/SnagbarModule.h"

#include "extension/ClassFactory.h"
#include "extension/FramehaulIE.h"
#include "extension/Snagbar_h.h"
#include "framework/CriticalSection.h"
#include "framework/Handles.h"

#include <new>

namespace {

HINSTANCE moduleInstance = nullptr;
volatile LONG lockCount = 0;

// Function-local statics would need thread-safe initialisation inside
// DllMain; plain globals are constructed before DllMain runs.
CriticalSection factorySection;
ClassFactory* classFactory = nullptr;

CriticalSection typeInfoSection;
// Not an owner: its destructor would release at process exit too, when
// oleaut32 may already be gone; Detach gives it back at an unload.
ITypeInfo* cachedTypeInfo = nullptr;

}  // namespace

void SnagbarModule::Attach(HINSTANCE instance) {
    moduleInstance = instance;
}

void SnagbarModule::Detach() {
    // COM frees the module only after DllCanUnloadNow has reported that
    // nothing is in use, so no caller still holds either object.
    delete classFactory;
    classFactory = nullptr;
    if (cachedTypeInfo) {
        cachedTypeInfo->Release();
        cachedTypeInfo = nullptr;
    }
}

HINSTANCE SnagbarModule::Instance() {
    return moduleInstance;
}

std::wstring SnagbarModule::FileName() {
    // Paths may exceed MAX_PATH; grow until the name fits.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::wstring name(size, L'\0');
        DWORD length = GetModuleFileNameW(moduleInstance, &name[0], size);
        if (length == 0) return std::wstring();
        if (length < size) {
            name.resize(length);
            return name;
        }
    }
    return std::wstring();
}

void SnagbarModule::Lock() {
    InterlockedIncrement(&lockCount);
}

void SnagbarModule::Unlock() {
    InterlockedDecrement(&lockCount);
}

LONG SnagbarModule::LockCount() {
    return InterlockedCompareExchange(&lockCount, 0, 0);
}

HRESULT SnagbarModule::GetClassObject(REFIID riid, void** ppv) {
    {
        CriticalSectionLock lock(factorySection);
        if (!classFactory) {
            classFactory = new (std::nothrow) ClassFactory(&FramehaulIE::Create);
            if (!classFactory) return E_OUTOFMEMORY;
        }
    }
    return classFactory->QueryInterface(riid, ppv);
}

HRESULT SnagbarModule::GetTypeInfo(ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    CriticalSectionLock lock(typeInfoSection);
    if (!cachedTypeInfo) {
        ComPtr<ITypeLib> library;
        HRESULT hr = LoadRegTypeLib(LIBID_SnagbarLib, 1, 0, LOCALE_NEUTRAL, library.Put());
        if (FAILED(hr)) return hr;
        hr = library->GetTypeInfoOfGuid(IID_IFramehaulIE, &cachedTypeInfo);
        if (FAILED(hr)) return hr;
    }
    cachedTypeInfo->AddRef();
    *typeInfo = cachedTypeInfo;
    return S_OK;
}
