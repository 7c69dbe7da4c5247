#include "controls/CBannerDialog.h"
#include "app/FramehaulApp.h"
#include "framework/Dpi.h"
#include "framework/Strings.h"
#include "framework/WinApp.h"
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

namespace {
// The banner image drawn for a scale at least as large as needed, so that
// it is only ever made smaller; sizes at 100 % are 480 x 60.
HBITMAP LoadBannerFor(int dpi, int* scaledFrom) {
    const struct { UINT id; int dpi; } images[] = {
        {IDB_BANNER, 96}, {IDB_BANNER_150, 144}, {IDB_BANNER_200, 192}};
    for (const auto& image : images) {
        if (image.dpi < dpi && image.id != IDB_BANNER_200) continue;
        *scaledFrom = image.dpi;
        return LoadBitmapA(AppInstance(), MAKEINTRESOURCEA(image.id));
    }
    return nullptr;
}

// The banner image repeated from the left edge across width pixels.
void DrawTiles(HDC dc, int width, int dpi) {
    int tileWidth = ScaleToDpi(CBannerDialog::kTileWidth, dpi);
    int height = ScaleToDpi(CBannerDialog::kBannerHeight, dpi);
    int imageDpi = 96;
    HBITMAP banner = LoadBannerFor(dpi, &imageDpi);
    if (!banner) return;
    int imageWidth = ScaleToDpi(CBannerDialog::kTileWidth, imageDpi);
    int imageHeight = ScaleToDpi(CBannerDialog::kBannerHeight, imageDpi);
    for (int x = 0; x < width; x += tileWidth) {
        HDC memory = CreateCompatibleDC(dc);
        if (!memory) break;
        HGDIOBJ previous = SelectObject(memory, banner);
        if (imageWidth == tileWidth && imageHeight == height) {
            BitBlt(dc, x, 0, tileWidth, height, memory, 0, 0, SRCCOPY);
        } else {
            // Between the drawn scales: shrink the next larger image smoothly.
            int previousMode = SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
            StretchBlt(dc, x, 0, tileWidth, height, memory, 0, 0, imageWidth, imageHeight, SRCCOPY);
            SetStretchBltMode(dc, previousMode);
        }
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    DeleteObject(banner);
}
}  // namespace

void CBannerDialog::PaintBanner(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    int dpi = DialogDpi(hwnd);
    auto scaled = [dpi](int value) { return ScaleToDpi(value, dpi); };
    int height = scaled(kBannerHeight);
    DrawTiles(dc, client.right, dpi);

    RECT line = {0, height - scaled(1), client.right, height};
    SetBkColor(dc, kLineColor);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);

    int previousMode = SetBkMode(dc, TRANSPARENT);
    COLORREF previousColor = SetTextColor(dc, RGB(0, 0, 0));
    HGDIOBJ previousFont = nullptr;
    if (HFONT bold = FramehaulApp::Get().fonts.boldFont) previousFont = SelectObject(dc, bold);
    RECT text = {scaled(16), scaled(12), client.right - scaled(16 + kLogoWidth), scaled(52)};
    std::string pitch = LoadResString(IDS_BANNER_TEXT);
    DrawTextA(dc, pitch.c_str(), static_cast<int>(pitch.size()), &text, DT_WORDBREAK);
    if (previousFont) SelectObject(dc, previousFont);
    SetTextColor(dc, previousColor);
    SetBkMode(dc, previousMode);
}
