#include "controls/CLinkStatic.h"
#include <commctrl.h>
#include <shellapi.h>
#include <algorithm>
#include <cmath>
#include "controls/LinkAccessible.h"
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

CLinkStatic::CLinkStatic() {
    ReadColors();
}

CLinkStatic::~CLinkStatic() {
    if (toolTip) DestroyWindow(toolTip);
    if (handCursor && ownCursor) DestroyCursor(handCursor);
}

namespace {
// Relative luminance of a colour, as contrast ratios are figured.
double Luminance(COLORREF color) {
    auto channel = [](int value) {
        double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(color)) + 0.7152 * channel(GetGValue(color)) + 0.0722 * channel(GetBValue(color));
}

// Bold text needs a contrast of 3 to 1 to be read.
bool Readable(COLORREF text, COLORREF back) {
    double a = Luminance(text), b = Luminance(back);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 3.0;
}

// Windows' own link colour, for a scheme whose link colour cannot be read
// on the link's background (Wine's light scheme has a pale grey).
const COLORREF kWindowsLinkColor = RGB(0, 102, 204);
}  // namespace

void CLinkStatic::ReadColors() {
    backColor = GetSysColor(backColorIndex);
    normalColor = GetSysColor(COLOR_HOTLIGHT);
    if (!Readable(normalColor, backColor))
        normalColor = Readable(kWindowsLinkColor, backColor) ? kWindowsLinkColor : GetSysColor(COLOR_WINDOWTEXT);
    // A fixed red could vanish on a high-contrast background.
    hoverColor = InHighContrast() ? normalColor : RGB(255, 0, 0);
}

bool CLinkStatic::InHighContrast() const {
    return HighContrastOn();
}

void CLinkStatic::SetBackColorIndex(int index) {
    backColorIndex = index;
    ReadColors();
    if (hwnd) Redraw();
}

bool CLinkStatic::Attach(HWND window) {
    if (!window || hwnd) return false;
    HINSTANCE instance = AppInstance();
    // The user's own pointer for links, where the system has one.
    handCursor = LoadCursor(nullptr, IDC_HAND);
    if (!handCursor) {
        // The resource holds the hand at 100, 150 and 200 %: take the size of
        // the dialog's scale rather than let the system stretch the smallest.
        int size = ScaleToDpi(32, DialogDpi(GetParent(window)));
        handCursor =
            static_cast<HCURSOR>(LoadImageA(instance, MAKEINTRESOURCEA(IDC_HAND_CURSOR), IMAGE_CURSOR, size, size, 0));
        ownCursor = handCursor != nullptr;
    }
    // Without SS_NOTIFY a static is transparent to the mouse; a tab stop,
    // it is reached from the keyboard.
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | SS_NOTIFY | WS_TABSTOP);
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
        return false;  // default processing follows
    // The click is the button's release over the link, as with Windows'
    // own links; the static's own handling would notify on the press.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnLButtonDown(); return true;
    case WM_LBUTTONUP:
        OnLButtonUp(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return true;
    case WM_GETDLGCODE: {
        // Enter reaches the link instead of pressing the default button.
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        *result = Default(message, wParam, lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) *result |= DLGC_WANTMESSAGE;
        return true;
    }
    case WM_KEYDOWN:
        if (wParam != VK_RETURN) return false;
        Activate();
        return true;
    case WM_KEYUP:
        if (wParam != VK_SPACE) return false;
        Activate();
        return true;
    case kActivate: Activate(); return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        *result = Default(message, wParam, lParam);
        Redraw();
        return true;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        ReadColors();
        Redraw();
        return false;
    case WM_GETOBJECT: *result = OnGetObject(wParam, lParam); return true;
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
    pressed = true;
    SetFocus(hwnd);
    if (GetCapture() != hwnd) SetCapture(hwnd);
    Redraw();
}

void CLinkStatic::OnLButtonUp(POINT point) {
    bool click = pressed;
    pressed = false;
    RECT client;
    GetClientRect(hwnd, &client);
    if (GetCapture() == hwnd) ReleaseCapture();
    Redraw();
    if (click && PtInRect(&client, point)) Activate();
}

void CLinkStatic::Activate() {
    if (!target.empty()) ShellExecuteA(nullptr, "Open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), STN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

LRESULT CLinkStatic::OnGetObject(WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return Default(WM_GETOBJECT, wParam, lParam);
    LinkAccessible* accessible = new LinkAccessible(hwnd, kActivate);
    LRESULT answer = LresultFromObject(IID_IAccessible, wParam, accessible);
    accessible->Release();
    return answer;
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
    // The focus shows as the system draws it, unless the keyboard has not
    // been used in this window.
    bool hideFocus = SendMessageA(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS;
    if (GetFocus() == hwnd && !hideFocus) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, backColor);
        DrawFocusRect(dc, &client);
    }
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
