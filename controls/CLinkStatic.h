// A static control drawn as a link: in the system's link colour, red while
// the pointer is over it (outside high contrast), the hand cursor, a
// tooltip. A click (on the button's release), Enter, Space or a screen
// reader's default action opens its target with the shell (when it has one)
// and reaches the parent as STN_CLICKED either way, so a link without a
// target is a text button. It is a tab stop and draws its focus.
#pragma once
#include <windows.h>
#include <string>
#include "framework/Static.h"

class CLinkStatic : public Static {
public:
    CLinkStatic();
    ~CLinkStatic() override;

    // Stores target and tooltip; caption (when not null) becomes the text.
    // The control then fits its width to the text.
    void SetLink(const std::string& target, const std::string& tip, const char* caption);
    const std::string& Target() const { return target; }
    const std::string& TipText() const { return tipText; }
    HWND ToolTip() const { return toolTip; }

    bool Attach(HWND window) override;
    bool PreTranslateMessage(MSG* msg) override;

    // The system colour behind the link (COLOR_WINDOW by default).
    void SetBackColorIndex(int index);
    COLORREF NormalColor() const { return normalColor; }
    COLORREF HoverColor() const { return hoverColor; }
    COLORREF BackColor() const { return backColor; }

    // Posted to the link to follow it.
    static const UINT kActivate = WM_USER + 100;

protected:
    // Whether the user's high-contrast scheme is on (the system's answer).
    virtual bool InHighContrast() const;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnPaint(HDC dc) override;

private:
    void OnMouseMove(POINT point);
    void OnLButtonDown();
    void OnLButtonUp(POINT point);
    // What a click does: the target, then the parent's notification.
    void Activate();
    // The colours of the system's current scheme.
    void ReadColors();
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    void FitWidthToText();
    void Redraw();
    void UpdateTipText();

    std::string target;
    std::string tipText;
    HWND toolTip = nullptr;
    HCURSOR handCursor = nullptr;
    bool ownCursor = false;  // the program's own hand, destroyed with the link
    bool pressed = false;    // the left button went down on the link
    int backColorIndex = COLOR_WINDOW;
    COLORREF normalColor = 0;
    COLORREF hoverColor = 0;
    COLORREF backColor = 0;
};
