// A dialog that takes OLE drops through five hooks. The window registers a
// CDropDialogTarget for itself, which forwards every notification here.
#pragma once
#include <windows.h>
#include <ole2.h>
#include "framework/Dialog.h"
#include "framework/OleDataObject.h"
#include "framework/OleDropTarget.h"

class CDropDialog : public Dialog {
public:
    CDropDialog(UINT templateId, HWND parent) : Dialog(templateId, parent) {}

    FH_DECLARE_RUNTIME_CLASS(CDropDialog, Dialog)

    // Points are in the window's client coordinates.
    virtual DWORD OnDragEnter(OleDataObject& data, DWORD keyState, POINT point);
    virtual DWORD OnDragOver(OleDataObject& data, DWORD keyState, POINT point);
    virtual void OnDragLeave();
    virtual bool OnDrop(OleDataObject& data, DWORD effect, POINT point);
    // kDropNotHandled leaves the drop to OnDrop.
    virtual DWORD OnDropEx(OleDataObject& data, DWORD defaultEffect, DWORD allowed, POINT point);
};
