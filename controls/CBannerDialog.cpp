#include "controls/CBannerDialog.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/Strings.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

namespace {
// Width the text keeps clear of the logo at the banner's right end.
const int kLogoWidth = 96;
const COLORREF kLineColor = RGB(208, 208, 208);
}  // namespace

bool CBannerDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT: return HandlePaint(message, wParam, result);
    default: return CDropDialog::HandleMessage(message, wParam, lParam, result);
    }
}

namespace {
// The banner image drawn for a scale at least as large as needed, so that
// it is only ever made smaller; sizes at 100 % are 480 x 60.
HBITMAP LoadBannerFor(int dpi, int* scaledFrom) {
    const struct {
        UINT id;
        int dpi;
    } images[] = {{IDB_BANNER, 96}, {IDB_BANNER_150, 144}, {IDB_BANNER_200, 192}};
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
    GdiObject<HBITMAP> banner(LoadBannerFor(dpi, &imageDpi));
    if (!banner) return;
    int imageWidth = ScaleToDpi(CBannerDialog::kTileWidth, imageDpi);
    int imageHeight = ScaleToDpi(CBannerDialog::kBannerHeight, imageDpi);
    MemoryDc memory(CreateCompatibleDC(dc));
    if (!memory) return;
    GdiSelection selected(memory.Get(), banner.Get());
    bool drawnAtThisScale = imageWidth == tileWidth && imageHeight == height;
    if (!drawnAtThisScale) {
        // Between the drawn scales: shrink the next larger image smoothly.
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
    }
    for (int x = 0; x < width; x += tileWidth) {
        if (drawnAtThisScale)
            BitBlt(dc, x, 0, tileWidth, height, memory.Get(), 0, 0, SRCCOPY);
        else
            StretchBlt(dc, x, 0, tileWidth, height, memory.Get(), 0, 0, imageWidth, imageHeight, SRCCOPY);
    }
}
}  // namespace

bool CBannerDialog::InHighContrast() const {
    return HighContrastOn();
}

void CBannerDialog::OnPaint(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    int dpi = DialogDpi(hwnd);
    auto scaled = [dpi](int value) { return ScaleToDpi(value, dpi); };
    int height = scaled(kBannerHeight);
    // In high contrast the theme's window colours replace the picture, whose
    // light background would hold the theme's text colours badly.
    bool contrast = InHighContrast();
    if (contrast) {
        RECT band = {0, 0, client.right, height};
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &band, nullptr, 0, nullptr);
    } else {
        DrawTiles(dc, client.right, dpi);
    }

    RECT line = {0, height - scaled(1), client.right, height};
    SetBkColor(dc, contrast ? GetSysColor(COLOR_WINDOWTEXT) : kLineColor);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, contrast ? GetSysColor(COLOR_WINDOWTEXT) : RGB(0, 0, 0));
    if (HFONT bold = fonts.boldFont) SelectObject(dc, bold);
    RECT text = {scaled(16), scaled(12), client.right - scaled(16 + kLogoWidth), scaled(52)};
    std::string pitch = LoadResString(IDS_BANNER_TEXT);
    DrawTextA(dc, pitch.c_str(), static_cast<int>(pitch.size()), &text, DT_WORDBREAK);
}
