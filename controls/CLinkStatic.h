// A static control drawn as a link: blue, red while the pointer is over it,
// the hand cursor, a tooltip. A click opens its target with the shell (when
// it has one) and reaches the parent as STN_CLICKED either way, so a link
// without a target is a text button.
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

    COLORREF normalColor = RGB(0, 0, 255);
    COLORREF hoverColor = RGB(255, 0, 0);
    COLORREF backColor;

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnPaint(HDC dc) override;

private:
    void OnMouseMove(POINT point);
    void OnLButtonDown();
    void FitWidthToText();
    void Redraw();
    void UpdateTipText();

    std::string target;
    std::string tipText;
    HWND toolTip = nullptr;
    HCURSOR handCursor = nullptr;
};
