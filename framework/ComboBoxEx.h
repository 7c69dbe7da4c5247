// An extended combo box ("ComboBoxEx32") bound to its object, with the few
// item messages the program's boxes share.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "framework/Wnd.h"

class ComboBoxEx : public Wnd {
public:
    FH_DECLARE_RUNTIME_CLASS(ComboBoxEx, Wnd)

    // The edit field of a box with the drop-down style, or null.
    HWND GetEditControl() const { return reinterpret_cast<HWND>(SendMessageA(hwnd, CBEM_GETEDITCONTROL, 0, 0)); }
    int GetCount() const { return static_cast<int>(SendMessageA(hwnd, CB_GETCOUNT, 0, 0)); }
    int GetCurSel() const { return static_cast<int>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessageA(hwnd, CB_SETCURSEL, index, 0)); }
    // The number of items left, or CB_ERR.
    int DeleteItem(int index) { return static_cast<int>(SendMessageA(hwnd, CBEM_DELETEITEM, index, 0)); }
    void ResetContent() { SendMessageA(hwnd, CB_RESETCONTENT, 0, 0); }
    HIMAGELIST GetImageList() const {
        return reinterpret_cast<HIMAGELIST>(SendMessageA(hwnd, CBEM_GETIMAGELIST, 0, 0));
    }
};
