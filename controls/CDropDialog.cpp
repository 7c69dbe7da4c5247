#include "controls/CDropDialog.h"

DWORD CDropDialog::OnDragEnter(OleDataObject&, DWORD, POINT) {
    return DROPEFFECT_NONE;
}
DWORD CDropDialog::OnDragOver(OleDataObject&, DWORD, POINT) {
    return DROPEFFECT_NONE;
}
void CDropDialog::OnDragLeave() {}
bool CDropDialog::OnDrop(OleDataObject&, DWORD, POINT) {
    return false;
}
DWORD CDropDialog::OnDropEx(OleDataObject&, DWORD, DWORD, POINT) {
    return kDropNotHandled;
}
