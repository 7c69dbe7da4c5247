#include "framework/Wnd.h"
#include <commctrl.h>
#include <string>
#include <vector>
#include "framework/Handles.h"

namespace {
const char* const kObjectProp = "Framehaul.Wnd";
const UINT_PTR kSubclassId = 0x46484e44;  // "FHND"
}  // namespace

Wnd::~Wnd() {
    Detach();
}

Wnd* Wnd::FromHandle(HWND window) {
    return window ? static_cast<Wnd*>(GetPropA(window, kObjectProp)) : nullptr;
}

void Wnd::BindHandle(HWND window) {
    hwnd = window;
    SetPropA(window, kObjectProp, this);
}

void Wnd::UnbindHandle() {
    if (hwnd) RemovePropA(hwnd, kObjectProp);
    hwnd = nullptr;
}

bool Wnd::Attach(HWND window) {
    if (!window || hwnd || FromHandle(window)) return false;
    if (!SetWindowSubclass(window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    subclassed = true;
    BindHandle(window);
    return true;
}

void Wnd::Detach() {
    if (!hwnd) return;
    if (subclassed) {
        RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        subclassed = false;
    }
    UnbindHandle();
}

bool Wnd::HandleMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

bool Wnd::HandlePaint(UINT message, WPARAM wParam, LRESULT* result) {
    *result = 0;
    if (message == WM_PRINTCLIENT) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SavedDcState state(dc);
        OnPaint(dc);
        return true;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    {
        SavedDcState state(dc);
        OnPaint(dc);
    }
    EndPaint(hwnd, &ps);
    return true;
}

LRESULT Wnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    if (subclassed) return DefSubclassProc(hwnd, message, wParam, lParam);
    return 0;
}

LRESULT CALLBACK Wnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR refData) {
    Wnd* self = reinterpret_cast<Wnd*>(refData);
    if (message == WM_NCDESTROY) {
        LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        self->Detach();
        return result;
    }
    LRESULT result = 0;
    if (ReflectToSender(window, message, wParam, lParam, &result)) return result;
    if (self->HandleMessage(message, wParam, lParam, &result)) return result;
    return DefSubclassProc(window, message, wParam, lParam);
}

bool Wnd::ReflectToSender(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND sender = nullptr;
    if (message == WM_COMMAND && lParam)
        sender = reinterpret_cast<HWND>(lParam);
    else if (message == WM_NOTIFY && lParam)
        sender = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        sender = reinterpret_cast<HWND>(lParam);
    Wnd* control = sender && sender != parent ? FromHandle(sender) : nullptr;
    return control && control->OnReflect(message, wParam, lParam, result);
}

HWND ControlTextWindow(HWND control) {
    char className[32] = "";
    GetClassNameA(control, className, sizeof(className));
    if (lstrcmpiA(className, WC_COMBOBOXEXA) != 0) return control;
    HWND edit = reinterpret_cast<HWND>(SendMessageA(control, CBEM_GETEDITCONTROL, 0, 0));
    return edit ? edit : control;
}

std::string GetControlText(HWND control) {
    control = ControlTextWindow(control);
    int length = static_cast<int>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0));
    std::vector<char> text(length + 1, '\0');
    SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return std::string(text.data());
}

void SetControlText(HWND control, const std::string& text) {
    SendMessageA(ControlTextWindow(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
