// The edit field inside a path box. It can draw its text in a colour of its
// own on a white background; by default it keeps the system's colours.
#pragma once
#include <windows.h>
#include "framework/Edit.h"

class CPathEditCtrl : public Edit {
public:
    FH_DECLARE_RUNTIME_CLASS(CPathEditCtrl, Edit)

    static constexpr COLORREF kNoColor = 0xFFFFFFFF;
    COLORREF textColor = kNoColor;

    bool OnReflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
