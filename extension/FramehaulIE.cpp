#include "extension/FramehaulIE.h"

#include "extension/ProgramLauncher.h"
#include "extension/SnagbarModule.h"
#include "framework/Handles.h"

#include <new>

namespace {

// The type information behind IDispatch calls, which name no interface but
// the null one.
HRESULT DispatchTypeInfo(REFIID riid, ComPtr<ITypeInfo>& typeInfo) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return SnagbarModule::GetTypeInfo(typeInfo.Put());
}

}  // namespace

HRESULT FramehaulIE::Create(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    FramehaulIE* object = new (std::nothrow) FramehaulIE(outer);
    if (!object) return E_OUTOFMEMORY;
    // The query takes its own reference; dropping the initial one frees the
    // object again when the interface is not offered.
    HRESULT hr = object->inner.QueryInterface(riid, ppv);
    object->inner.Release();
    return hr;
}

FramehaulIE::FramehaulIE(IUnknown* outer) : inner(*this), controlling(outer ? outer : &inner) {
    SnagbarModule::Lock();
}

FramehaulIE::~FramehaulIE() {
    SnagbarModule::Unlock();
}

STDMETHODIMP FramehaulIE::Inner::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<IUnknown*>(this);
    } else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IFramehaulIE)) {
        *ppv = static_cast<IFramehaulIE*>(&object);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Through the interface handed out, so that an aggregate's outer
    // object is the one that counts the reference.
    static_cast<IUnknown*>(*ppv)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FramehaulIE::Inner::AddRef() {
    return ++object.references;
}

STDMETHODIMP_(ULONG) FramehaulIE::Inner::Release() {
    ULONG left = --object.references;
    if (left == 0) delete &object;
    return left;
}

STDMETHODIMP FramehaulIE::QueryInterface(REFIID riid, void** ppv) {
    return controlling->QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) FramehaulIE::AddRef() {
    return controlling->AddRef();
}

STDMETHODIMP_(ULONG) FramehaulIE::Release() {
    return controlling->Release();
}

STDMETHODIMP FramehaulIE::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP FramehaulIE::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return SnagbarModule::GetTypeInfo(typeInfo);
}

STDMETHODIMP FramehaulIE::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    ComPtr<ITypeInfo> typeInfo;
    HRESULT hr = DispatchTypeInfo(riid, typeInfo);
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(typeInfo.Get(), names, count, ids);
}

STDMETHODIMP FramehaulIE::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* exception, UINT* argError) {
    ComPtr<ITypeInfo> typeInfo;
    HRESULT hr = DispatchTypeInfo(riid, typeInfo);
    if (FAILED(hr)) return hr;
    return typeInfo->Invoke(static_cast<IFramehaulIE*>(this), id, flags, params, result, exception, argError);
}

STDMETHODIMP FramehaulIE::DownloadVideo(BSTR bsLink) {
    // A web page decides what reaches this call; whatever happens, the page
    // learns nothing and the browser sees success.
    ProgramLauncher::Start(bsLink);
    return S_OK;
}
