// A class object for one creatable class. It lives as long as the module
// and is shared by every caller, so its references only count as locks on
// the module: while anyone holds it, the module stays loaded.
#pragma once

#include <windows.h>
#include <unknwn.h>

class ClassFactory : public IClassFactory {
public:
    // Makes an instance, aggregated when outer is given, and returns the
    // requested interface of it.
    using Creator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

    explicit ClassFactory(Creator creator) : create(creator) {}
    virtual ~ClassFactory() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    Creator create;
};
