#include "controls/CBannerDialog.h"
#include "app/FramehaulApp.h"
#include "framework/Strings.h"
#include "resources/resource.h"

namespace {
// Width the text keeps clear of the logo at the banner's right end.
const int kLogoWidth = 96;
const COLORREF kLineColor = RGB(208, 208, 208);
}

bool CBannerDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintBanner(dc);
        EndPaint(hwnd, &ps);
        *result = 0;
        return true;
    }
    case WM_PRINTCLIENT: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        int saved = SaveDC(dc);
        PaintBanner(dc);
        RestoreDC(dc, saved);
        *result = 0;
        return true;
    }
    default:
        return CDropDialog::HandleMessage(message, wParam, lParam, result);
    }
}

void CBannerDialog::PaintBanner(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    HINSTANCE instance = WinApp::Get() ? WinApp::Get()->Instance() : GetModuleHandleA(nullptr);
    HBITMAP banner = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_BANNER));
    if (banner) {
        for (int x = 0; x < client.right; x += kTileWidth) {
            HDC memory = CreateCompatibleDC(dc);
            if (!memory) break;
            HGDIOBJ previous = SelectObject(memory, banner);
            BitBlt(dc, x, 0, kTileWidth, kBannerHeight, memory, 0, 0, SRCCOPY);
            SelectObject(memory, previous);
            DeleteDC(memory);
        }
        DeleteObject(banner);
    }

    RECT line = {0, kBannerHeight - 1, client.right, kBannerHeight};
    SetBkColor(dc, kLineColor);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);

    int previousMode = SetBkMode(dc, TRANSPARENT);
    COLORREF previousColor = SetTextColor(dc, RGB(0, 0, 0));
    HGDIOBJ previousFont = nullptr;
    if (HFONT bold = FramehaulApp::Get().fonts.boldFont) previousFont = SelectObject(dc, bold);
    RECT text = {16, 12, client.right - 16 - kLogoWidth, 52};
    std::string pitch = LoadResString(IDS_BANNER_TEXT);
    DrawTextA(dc, pitch.c_str(), static_cast<int>(pitch.size()), &text, DT_WORDBREAK);
    if (previousFont) SelectObject(dc, previousFont);
    SetTextColor(dc, previousColor);
    SetBkMode(dc, previousMode);
}
