#include "framework/OleDropTarget.h"
#include "framework/Wnd.h"

DWORD FilterDropEffect(DWORD effect, DWORD allowed) {
    if (effect & allowed) return effect;
    if (effect == DROPEFFECT_COPY) {
        if (allowed & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
        if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
        return DROPEFFECT_NONE;
    }
    if (effect == DROPEFFECT_MOVE) {
        if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
        if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
        return DROPEFFECT_NONE;
    }
    return DROPEFFECT_NONE;
}

OleDropTarget::~OleDropTarget() {
    Revoke();
    KeepData(nullptr);
}

bool OleDropTarget::Register(HWND target) {
    if (window || !target) return false;
    if (FAILED(RegisterDragDrop(target, this))) return false;
    window = target;
    return true;
}

void OleDropTarget::Revoke() {
    if (!window) return;
    RevokeDragDrop(window);
    window = nullptr;
}

void OleDropTarget::Destroy() {
    Revoke();
    Release();
}

DWORD OleDropTarget::OnDragEnter(Wnd*, OleDataObject&, DWORD, POINT) {
    return DROPEFFECT_NONE;
}
DWORD OleDropTarget::OnDragOver(Wnd*, OleDataObject&, DWORD, POINT) {
    return DROPEFFECT_NONE;
}
bool OleDropTarget::OnDrop(Wnd*, OleDataObject&, DWORD, POINT) {
    return false;
}
DWORD OleDropTarget::OnDropEx(Wnd*, OleDataObject&, DWORD, DWORD, POINT) {
    return kDropNotHandled;
}
void OleDropTarget::OnDragLeave(Wnd*) {}

HRESULT OleDropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG OleDropTarget::AddRef() {
    return InterlockedIncrement(&references);
}

ULONG OleDropTarget::Release() {
    LONG left = InterlockedDecrement(&references);
    if (left == 0) delete this;
    return left;
}

Wnd* OleDropTarget::Target() const {
    return Wnd::FromHandle(window);
}

POINT OleDropTarget::ToClient(POINTL point) const {
    POINT p = {point.x, point.y};
    if (window) ScreenToClient(window, &p);
    return p;
}

void OleDropTarget::KeepData(IDataObject* data) {
    if (data) data->AddRef();
    if (dragData) dragData->Release();
    dragData = data;
}

HRESULT OleDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    KeepData(data);
    OleDataObject wrapped(data);
    *effect = FilterDropEffect(OnDragEnter(Target(), wrapped, keyState, ToClient(point)), *effect);
    return S_OK;
}

HRESULT OleDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    OleDataObject wrapped(dragData);
    *effect = FilterDropEffect(OnDragOver(Target(), wrapped, keyState, ToClient(point)), *effect);
    return S_OK;
}

HRESULT OleDropTarget::DragLeave() {
    OnDragLeave(Target());
    KeepData(nullptr);
    return S_OK;
}

HRESULT OleDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    // The object may be released by a hook (its window closing): keep it
    // alive until the answer is out.
    AddRef();
    KeepData(data);
    OleDataObject wrapped(data);
    POINT client = ToClient(point);
    DWORD allowed = *effect;
    // The window's object is looked up before every hook: one may close it.
    DWORD chosen = FilterDropEffect(OnDragOver(Target(), wrapped, keyState, client), allowed);
    DWORD result = OnDropEx(Target(), wrapped, chosen, allowed, client);
    if (result == kDropNotHandled) {
        if (chosen != DROPEFFECT_NONE) {
            result = OnDrop(Target(), wrapped, chosen, client) ? chosen : DROPEFFECT_NONE;
        } else {
            OnDragLeave(Target());
            result = DROPEFFECT_NONE;
        }
    }
    *effect = result;
    KeepData(nullptr);
    Release();
    return S_OK;
}
