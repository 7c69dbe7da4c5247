// The scriptable object that Internet Explorer's pages create as
// "Framehaul.IE". It holds nothing but its reference count; DownloadVideo
// starts the program. It can be aggregated: then every interface but the
// inner IUnknown delegates to the outer object.
#pragma once

#include "extension/Snagbar_h.h"

class FramehaulIE : public IFramehaulIE {
public:
    // Matches ClassFactory::Creator.
    static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv);

    // IUnknown, delegating to the controlling unknown.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, served from the registered type library.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

    // IFramehaulIE
    STDMETHODIMP DownloadVideo(BSTR bsLink) override;

private:
    // The object's own, non-delegating IUnknown; it owns the lifetime.
    class Inner : public IUnknown {
    public:
        explicit Inner(FramehaulIE& owner) : object(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        FramehaulIE& object;
    };

    explicit FramehaulIE(IUnknown* outer);
    virtual ~FramehaulIE();
    FramehaulIE(const FramehaulIE&) = delete;
    FramehaulIE& operator=(const FramehaulIE&) = delete;

    Inner inner;
    IUnknown* controlling;
    // Apartment-threaded: only the creating thread calls the object.
    ULONG references = 1;
};
