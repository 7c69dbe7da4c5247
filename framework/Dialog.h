// A dialog made from a template and run modally by a message loop of our
// own, which does idle processing whenever the queue runs empty.
#pragma once
#include "framework/Wnd.h"
#include "framework/DataExchange.h"

class Dialog : public Wnd {
public:
    Dialog(UINT templateId, HWND parent);
    ~Dialog() override;

    FH_DECLARE_RUNTIME_CLASS(Dialog, Wnd)

    // Creates the dialog, runs it until EndDialog, destroys it; returns the
    // result given to EndDialog, or -1 when the dialog cannot be created.
    // The owner (the parent, or else the application's main window) takes
    // no input meanwhile.
    INT_PTR DoModal();
    // Creates the dialog without a modal loop of its own (it is visible when
    // its template says so); false when it cannot be created.
    bool Create();
    void EndDialog(INT_PTR result);
    bool IsRunning() const { return hwnd && !ended; }

    // save true: controls to members; false: members to controls.
    void UpdateData(bool save);

    HWND Item(int id) const { return GetDlgItem(hwnd, id); }
    HWND Parent() const { return parent; }

protected:
    virtual BOOL OnInitDialog();  // default: members to controls
    virtual void DoDataExchange(DataExchange&) {}
    virtual bool OnCommand(WORD id, WORD code, HWND control);  // default: OK and Cancel
    virtual void OnOK();                                       // default: controls to members, end with IDOK
    virtual void OnCancel();                                   // default: end with IDCANCEL
    // The modal loop found the queue empty.
    virtual void OnIdle() {}

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    bool PreTranslate(MSG* msg);
    void RunModalLoop();

    UINT templateId;
    HWND parent;
    bool ended = false;
    INT_PTR result = -1;
};
