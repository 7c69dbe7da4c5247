#include "controls/CPathEditCtrl.h"

bool CPathEditCtrl::OnReflect(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
    if (message < WM_CTLCOLORMSGBOX || message > WM_CTLCOLORSTATIC || textColor == kNoColor) return false;
    SetTextColor(reinterpret_cast<HDC>(wParam), textColor);
    *result = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    return true;
}
