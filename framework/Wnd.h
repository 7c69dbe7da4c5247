// A C++ object bound to a window. Controls of a dialog template are bound to
// their objects by subclassing; each class handles its messages in one
// HandleMessage table, and notifications that the parent receives from a
// control are reflected to the control's object first.
#pragma once
#include <windows.h>
#include <string>
#include "framework/RuntimeClass.h"

class Wnd {
public:
    Wnd() = default;
    virtual ~Wnd();
    Wnd(const Wnd&) = delete;
    Wnd& operator=(const Wnd&) = delete;

    FH_DECLARE_ROOT_RUNTIME_CLASS(Wnd)
    bool IsKindOf(const RuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

    // The object bound to a window, or null.
    static Wnd* FromHandle(HWND window);

    HWND Handle() const { return hwnd; }
    operator HWND() const { return hwnd; }

    // Binds the object to an existing window (subclassing it).
    virtual bool Attach(HWND window);
    bool AttachDlgItem(HWND dialog, int id) { return Attach(GetDlgItem(dialog, id)); }
    void Detach();

    // Called for every message that the program's modal loop takes for
    // this window or one of its children, before it is dispatched.
    virtual bool PreTranslateMessage(MSG*) { return false; }

    // A notification the parent received from this control (WM_COMMAND,
    // WM_NOTIFY, WM_CTLCOLOR...). True when handled; the parent then stops.
    virtual bool OnReflect(UINT, WPARAM, LPARAM, LRESULT*) { return false; }
    // Offers a notification that `parent` received to the bound object of
    // the control that sent it. Every bound window does this, so a control
    // inside another control (the edit field of an extended combo box) gets
    // its notifications too.
    static bool ReflectToSender(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

protected:
    // The class's message table: true when the message was handled.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The window's own processing of the message being handled.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    // For a class's table, at WM_PAINT and WM_PRINTCLIENT: both draw through
    // OnPaint, so what is printed is what is shown.
    bool HandlePaint(UINT message, WPARAM wParam, LRESULT* result);
    // Draws the client area. The DC's state (objects, colours, modes) is put
    // back afterwards, so it may be changed freely.
    virtual void OnPaint(HDC) {}

    HWND hwnd = nullptr;

    // Binding used by windows that are not subclassed (dialogs).
    void BindHandle(HWND window);
    void UnbindHandle();

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    bool subclassed = false;
};

// The window that holds a control's text: for an extended combo box, its
// edit field.
HWND ControlTextWindow(HWND control);
// Text of a control; for an extended combo box, of its edit field.
std::string GetControlText(HWND control);
void SetControlText(HWND control, const std::string& text);
