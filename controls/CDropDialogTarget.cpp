#include "controls/CDropDialogTarget.h"
#include "controls/CDropDialog.h"

CDropDialog* CDropDialogTarget::AsDropDialog(Wnd* window) {
    return window && window->IsKindOf(&CDropDialog::classRecord) ? static_cast<CDropDialog*>(window) : nullptr;
}

DWORD CDropDialogTarget::OnDragEnter(Wnd* window, OleDataObject& data, DWORD keyState, POINT point) {
    CDropDialog* dialog = AsDropDialog(window);
    return dialog ? dialog->OnDragEnter(data, keyState, point) : DROPEFFECT_NONE;
}

DWORD CDropDialogTarget::OnDragOver(Wnd* window, OleDataObject& data, DWORD keyState, POINT point) {
    CDropDialog* dialog = AsDropDialog(window);
    return dialog ? dialog->OnDragOver(data, keyState, point) : DROPEFFECT_NONE;
}

bool CDropDialogTarget::OnDrop(Wnd* window, OleDataObject& data, DWORD effect, POINT point) {
    CDropDialog* dialog = AsDropDialog(window);
    return dialog ? dialog->OnDrop(data, effect, point) : false;
}

DWORD CDropDialogTarget::OnDropEx(Wnd* window, OleDataObject& data, DWORD defaultEffect, DWORD allowed, POINT point) {
    CDropDialog* dialog = AsDropDialog(window);
    return dialog ? dialog->OnDropEx(data, defaultEffect, allowed, point) : kDropNotHandled;
}

void CDropDialogTarget::OnDragLeave(Wnd* window) {
    if (CDropDialog* dialog = AsDropDialog(window)) dialog->OnDragLeave();
}
