#include "framework/Dialog.h"
#include "framework/WinApp.h"

Dialog::Dialog(UINT id, HWND parentWindow) : templateId(id), parent(parentWindow) {}

Dialog::~Dialog() {
    if (hwnd) DestroyWindow(hwnd);
}

INT_PTR Dialog::DoModal() {
    ended = false;
    result = -1;
    HINSTANCE instance = AppInstance();
    HWND owner = parent;
    // Without a parent the dialog still belongs to the application's main
    // window, as message boxes and the file dialog do: otherwise that window
    // stays usable behind it and the dialog gets a taskbar button of its own.
    if (!owner && WinApp::Get() && WinApp::Get()->MainWindow()) owner = GetLastActivePopup(WinApp::Get()->MainWindow());
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    HWND created =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner, DialogProc, reinterpret_cast<LPARAM>(this));
    if (created) {
        if (!ended) {
            ShowWindow(created, SW_SHOWNORMAL);
            RunModalLoop();
        }
    }
    // The owner must be enabled before the dialog goes, or the system
    // activates another program's window.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (hwnd) {
        HWND window = hwnd;
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow(window);
    }
    if (ownerWasEnabled && GetActiveWindow() == nullptr) SetActiveWindow(owner);
    return created ? result : -1;
}

bool Dialog::Create() {
    if (hwnd) return false;
    ended = false;
    HINSTANCE instance = AppInstance();
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR value) {
    result = value;
    ended = true;
    if (hwnd) PostMessageA(hwnd, WM_NULL, 0, 0);  // wakes the loop
}

void Dialog::RunModalLoop() {
    bool idle = true;
    MSG msg;
    while (!ended) {
        while (idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            OnIdle();
            idle = false;
        }
        do {
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            if (!PreTranslate(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (ended) return;
            if (msg.message != WM_PAINT && msg.message != 0x0118 /* WM_SYSTIMER */) idle = true;
        } while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

bool Dialog::PreTranslate(MSG* msg) {
    // From the target window up to the dialog, each bound object may take it.
    for (HWND w = msg->hwnd; w; w = GetParent(w)) {
        if (Wnd* object = Wnd::FromHandle(w))
            if (object->PreTranslateMessage(msg)) return true;
        if (w == hwnd) break;
    }
    return hwnd && IsDialogMessageA(hwnd, msg);
}

void Dialog::UpdateData(bool save) {
    DataExchange dx{hwnd, save};
    DoDataExchange(dx);
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

bool Dialog::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void Dialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* out) {
    switch (message) {
    case WM_COMMAND: *out = 0; return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    // Only top-level windows hear of a new colour scheme or high contrast;
    // controls that draw themselves must too.
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            SendMessageA(child, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return false;
    default: return false;
    }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        Dialog* self = reinterpret_cast<Dialog*>(lParam);
        self->BindHandle(window);
        return self->OnInitDialog();
    }
    Dialog* self = static_cast<Dialog*>(Wnd::FromHandle(window));
    if (!self) return FALSE;

    // Notifications go to the control that sent them first.
    LRESULT reflected = 0;
    if (Wnd::ReflectToSender(window, message, wParam, lParam, &reflected)) {
        SetWindowLongPtrA(window, DWLP_MSGRESULT, reflected);
        // WM_CTLCOLOR* answers with the brush itself.
        return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ? reflected : TRUE;
    }

    if (message == WM_NCDESTROY) {
        self->UnbindHandle();
        return FALSE;
    }
    LRESULT result = 0;
    if (!self->HandleMessage(message, wParam, lParam, &result)) return FALSE;
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG: return result;
    default: SetWindowLongPtrA(window, DWLP_MSGRESULT, result); return TRUE;
    }
}
