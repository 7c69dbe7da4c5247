#include "framework/DataExchange.h"
#include "framework/Wnd.h"

void DdxText(DataExchange& dx, int id, std::string& value) {
    HWND control = GetDlgItem(dx.dialog, id);
    if (!control) return;
    if (dx.save)
        value = GetControlText(control);
    else
        SetControlText(control, value);
}

void DdxCheck(DataExchange& dx, int id, int& value) {
    HWND control = GetDlgItem(dx.dialog, id);
    if (!control) return;
    if (dx.save)
        value = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        SendMessageA(control, BM_SETCHECK,
                     value == 1   ? BST_CHECKED
                     : value == 2 ? BST_INDETERMINATE
                                  : BST_UNCHECKED,
                     0);
}
