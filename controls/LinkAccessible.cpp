#include "controls/LinkAccessible.h"
#include <string>
#include "framework/CodePage.h"
#include "framework/Wnd.h"

namespace {
BSTR ToBstr(const std::string& text) {
    std::wstring wide = ToWide(text, CP_ACP);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}
}  // namespace

LinkAccessible::LinkAccessible(HWND window, UINT activate) : window(window), activate(activate) {}

HRESULT LinkAccessible::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG LinkAccessible::AddRef() {
    return InterlockedIncrement(&references);
}

ULONG LinkAccessible::Release() {
    LONG left = InterlockedDecrement(&references);
    if (left == 0) delete this;
    return left;
}

HRESULT LinkAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
HRESULT LinkAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}
HRESULT LinkAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}
HRESULT LinkAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

HRESULT LinkAccessible::Check(const VARIANT& child) const {
    if (!IsWindow(window)) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
    return S_OK;
}

HRESULT LinkAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!IsWindow(window)) return CO_E_OBJNOTCONNECTED;
    // The link's window, as the system sees it, holds this client area.
    return AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
}

HRESULT LinkAccessible::get_accChildCount(long* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return IsWindow(window) ? S_OK : CO_E_OBJNOTCONNECTED;
}

HRESULT LinkAccessible::get_accChild(VARIANT, IDispatch** dispatch) {
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    return E_INVALIDARG;
}

HRESULT LinkAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    HRESULT ok = Check(child);
    if (FAILED(ok)) return ok;
    *name = ToBstr(GetControlText(window));
    return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT LinkAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    HRESULT ok = Check(child);
    return FAILED(ok) ? ok : S_FALSE;
}

HRESULT LinkAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return get_accValue(child, description);
}

HRESULT LinkAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    VariantInit(role);
    HRESULT ok = Check(child);
    if (FAILED(ok)) return ok;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_LINK;
    return S_OK;
}

HRESULT LinkAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    VariantInit(state);
    HRESULT ok = Check(child);
    if (FAILED(ok)) return ok;
    long flags = STATE_SYSTEM_LINKED;
    if (IsWindowEnabled(window))
        flags |= STATE_SYSTEM_FOCUSABLE;
    else
        flags |= STATE_SYSTEM_UNAVAILABLE;
    if (!IsWindowVisible(window)) flags |= STATE_SYSTEM_INVISIBLE;
    if (GetFocus() == window) flags |= STATE_SYSTEM_FOCUSED;
    if (GetCapture() == window) flags |= STATE_SYSTEM_HOTTRACKED;
    state->vt = VT_I4;
    state->lVal = flags;
    return S_OK;
}

HRESULT LinkAccessible::get_accHelp(VARIANT child, BSTR* help) {
    return get_accValue(child, help);
}

HRESULT LinkAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
}

HRESULT LinkAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return get_accValue(child, shortcut);
}

HRESULT LinkAccessible::get_accFocus(VARIANT* child) {
    if (!child) return E_POINTER;
    VariantInit(child);
    if (!IsWindow(window)) return CO_E_OBJNOTCONNECTED;
    if (GetFocus() != window) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    return S_OK;
}

HRESULT LinkAccessible::get_accSelection(VARIANT* children) {
    if (!children) return E_POINTER;
    VariantInit(children);
    return IsWindow(window) ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT LinkAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) return E_POINTER;
    *action = nullptr;
    HRESULT ok = Check(child);
    if (FAILED(ok)) return ok;
    *action = SysAllocString(L"Jump");
    return *action ? S_OK : E_OUTOFMEMORY;
}

HRESULT LinkAccessible::accSelect(long flags, VARIANT child) {
    HRESULT ok = Check(child);
    if (FAILED(ok)) return ok;
    if (!(flags & SELFLAG_TAKEFOCUS)) return E_INVALIDARG;
    SetFocus(window);
    return S_OK;
}

HRESULT LinkAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    HRESULT ok = Check(child);
    if (FAILED(ok)) return ok;
    RECT frame;
    GetWindowRect(window, &frame);
    *left = frame.left;
    *top = frame.top;
    *width = frame.right - frame.left;
    *height = frame.bottom - frame.top;
    return S_OK;
}

HRESULT LinkAccessible::accNavigate(long, VARIANT, VARIANT* end) {
    if (end) VariantInit(end);
    return S_FALSE;
}

HRESULT LinkAccessible::accHitTest(long left, long top, VARIANT* child) {
    if (!child) return E_POINTER;
    VariantInit(child);
    if (!IsWindow(window)) return CO_E_OBJNOTCONNECTED;
    RECT frame;
    GetWindowRect(window, &frame);
    POINT point = {left, top};
    if (!PtInRect(&frame, point)) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    return S_OK;
}

HRESULT LinkAccessible::accDoDefaultAction(VARIANT child) {
    HRESULT ok = Check(child);
    if (FAILED(ok)) return ok;
    return PostMessageA(window, activate, 0, 0) ? S_OK : E_FAIL;
}

HRESULT LinkAccessible::put_accName(VARIANT, BSTR) {
    return E_NOTIMPL;
}

HRESULT LinkAccessible::put_accValue(VARIANT, BSTR) {
    return E_NOTIMPL;
}
