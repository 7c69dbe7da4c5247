// The drop target a CDropDialog registers for its window: it hands each
// notification to the window's hooks, and refuses drops on any other window.
// Create it with new, keep it in an OleDropTargetPtr, and register it:
//     dropTarget.reset(new CDropDialogTarget);
//     if (!dropTarget->Register(hwnd)) dropTarget.reset();
#pragma once
#include "framework/OleDropTarget.h"

class CDropDialog;

class CDropDialogTarget : public OleDropTarget {
public:
    DWORD OnDragEnter(Wnd* window, OleDataObject& data, DWORD keyState, POINT point) override;
    DWORD OnDragOver(Wnd* window, OleDataObject& data, DWORD keyState, POINT point) override;
    bool OnDrop(Wnd* window, OleDataObject& data, DWORD effect, POINT point) override;
    DWORD OnDropEx(Wnd* window, OleDataObject& data, DWORD defaultEffect, DWORD allowed, POINT point) override;
    void OnDragLeave(Wnd* window) override;

private:
    static CDropDialog* AsDropDialog(Wnd* window);
};
