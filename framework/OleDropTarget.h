// An OLE drop target for one window. The five hooks get the window's object,
// the dragged data and points in the window's client coordinates; the effects
// they answer are filtered against what the drag source allows.
//
// Lifetime is COM's: the creator holds the first reference and gives it up
// with Destroy() (which also revokes the registration), so a drag still
// holding the object never touches freed memory. OleDropTargetPtr does
// that automatically.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <memory>
#include "framework/OleDataObject.h"

class Wnd;

// The answer of OnDropEx that leaves the drop to OnDrop.
constexpr DWORD kDropNotHandled = static_cast<DWORD>(-1);

// An effect made acceptable to a source that allows `allowed`.
DWORD FilterDropEffect(DWORD effect, DWORD allowed);

class OleDropTarget : public IDropTarget {
public:
    OleDropTarget() = default;
    OleDropTarget(const OleDropTarget&) = delete;
    OleDropTarget& operator=(const OleDropTarget&) = delete;

    // Registers the object for the window (RegisterDragDrop); false when
    // OLE refuses, for example for a window that already has a target.
    bool Register(HWND window);
    void Revoke();
    HWND Window() const { return window; }
    // Revokes and gives up the creator's reference.
    void Destroy();

    virtual DWORD OnDragEnter(Wnd* window, OleDataObject& data, DWORD keyState, POINT point);
    virtual DWORD OnDragOver(Wnd* window, OleDataObject& data, DWORD keyState, POINT point);
    virtual bool OnDrop(Wnd* window, OleDataObject& data, DWORD effect, POINT point);
    virtual DWORD OnDropEx(Wnd* window, OleDataObject& data, DWORD defaultEffect, DWORD allowed, POINT point);
    virtual void OnDragLeave(Wnd* window);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDropTarget
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

protected:
    virtual ~OleDropTarget();

private:
    Wnd* Target() const;
    POINT ToClient(POINTL point) const;
    void KeepData(IDataObject* data);

    LONG references = 1;
    HWND window = nullptr;
    IDataObject* dragData = nullptr;  // from DragEnter until the drag ends
};

struct OleDropTargetRelease {
    void operator()(OleDropTarget* target) const { target->Destroy(); }
};
template <class T>
using OleDropTargetPtr = std::unique_ptr<T, OleDropTargetRelease>;
