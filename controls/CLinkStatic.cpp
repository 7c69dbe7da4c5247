#include "controls/CLinkStatic.h"
#include <commctrl.h>
#include <shellapi.h>
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

namespace {
// The font the window was given, or null for the system font.
HGDIOBJ FontOf(HWND window) {
    return reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0));
}

TOOLINFOA ToolFor(HWND link, const std::string& text) {
    TOOLINFOA tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetParent(link);
    tool.uId = reinterpret_cast<UINT_PTR>(link);
    tool.lpszText = const_cast<char*>(text.c_str());
    return tool;
}
}  // namespace

CLinkStatic::CLinkStatic() : backColor(GetSysColor(COLOR_WINDOW)) {}

CLinkStatic::~CLinkStatic() {
    if (toolTip) DestroyWindow(toolTip);
    if (handCursor) DestroyCursor(handCursor);
}

bool CLinkStatic::Attach(HWND window) {
    if (!window || hwnd) return false;
    HINSTANCE instance = AppInstance();
    // The resource holds the hand at 100, 150 and 200 %: take the size of the
    // dialog's scale rather than let the system stretch the smallest.
    int size = ScaleToDpi(32, DialogDpi(GetParent(window)));
    handCursor =
        static_cast<HCURSOR>(LoadImageA(instance, MAKEINTRESOURCEA(IDC_HAND_CURSOR), IMAGE_CURSOR, size, size, 0));
    // Without SS_NOTIFY a static is transparent to the mouse.
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | SS_NOTIFY);
    toolTip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, window, nullptr, instance, nullptr);
    if (toolTip) {
        TOOLINFOA tool = ToolFor(window, tipText);
        SendMessageA(toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (Static::Attach(window)) return true;
    if (toolTip) DestroyWindow(toolTip);
    toolTip = nullptr;
    return false;
}

void CLinkStatic::SetLink(const std::string& newTarget, const std::string& tip, const char* caption) {
    target = newTarget;
    tipText = tip;
    if (caption && hwnd) SetWindowTextA(hwnd, caption);
    FitWidthToText();
    UpdateTipText();
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
}

void CLinkStatic::UpdateTipText() {
    if (!toolTip || !hwnd) return;
    TOOLINFOA tool = ToolFor(hwnd, tipText);
    SendMessageA(toolTip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

bool CLinkStatic::PreTranslateMessage(MSG* msg) {
    // The tooltip does not subclass the link: it learns of the mouse here.
    if (toolTip) SendMessageA(toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    return false;
}

bool CLinkStatic::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(handCursor);
        *result = TRUE;
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return false;                                    // default processing follows
    case WM_LBUTTONDOWN: OnLButtonDown(); return false;  // the static sends STN_CLICKED
    case WM_PAINT:
    case WM_PRINTCLIENT: return HandlePaint(message, wParam, result);
    case WM_SETFONT:
        *result = Default(message, wParam, lParam);
        FitWidthToText();
        return true;
    case WM_DESTROY:
        if (toolTip) DestroyWindow(toolTip);
        toolTip = nullptr;
        return false;
    default: return false;
    }
}

void CLinkStatic::OnMouseMove(POINT point) {
    if (GetCapture() != hwnd) {
        SetCapture(hwnd);
        Redraw();
        return;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    if (!PtInRect(&client, point)) {
        ReleaseCapture();
        Redraw();
    }
}

void CLinkStatic::OnLButtonDown() {
    if (!target.empty()) ShellExecuteA(nullptr, "Open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (GetCapture() == hwnd) ReleaseCapture();
    Redraw();
}

void CLinkStatic::Redraw() {
    InvalidateRect(hwnd, nullptr, TRUE);
}

void CLinkStatic::OnPaint(HDC dc) {
    std::string text = GetControlText(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    SetBkColor(dc, backColor);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    SetTextColor(dc, GetCapture() == hwnd ? hoverColor : normalColor);

    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    // SS_RIGHT and SS_CENTER are values of the type field, not free bits.
    if ((style & SS_TYPEMASK) == SS_RIGHT)
        format |= DT_RIGHT;
    else if ((style & SS_TYPEMASK) == SS_CENTER)
        format |= DT_CENTER;

    if (HGDIOBJ font = FontOf(hwnd)) SelectObject(dc, font);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &client, format);
}

void CLinkStatic::FitWidthToText() {
    if (!hwnd) return;
    RECT frame;
    GetWindowRect(hwnd, &frame);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&frame), 2);
    std::string text = GetControlText(hwnd);
    SIZE extent = {};
    if (WindowDc dc{hwnd}) {
        GdiSelection font(dc.Get(), FontOf(hwnd));
        GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }
    SetWindowPos(hwnd, nullptr, frame.left, frame.top, extent.cx, frame.bottom - frame.top, SWP_NOZORDER);
    // Resizing repaints only what was uncovered, and a narrower drawing
    // may have ended in an ellipsis.
    Redraw();
}
