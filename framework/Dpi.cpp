#include "framework/Dpi.h"
#include <algorithm>
#include "framework/Handles.h"

namespace {
// Dialog base units (average character width, line height) at 100 %.
const int kBaseWidth = 6;
const int kBaseHeight = 13;

int DpiOfBaseUnits(int width, int height) {
    return std::min(MulDiv(96, width, kBaseWidth), MulDiv(96, height, kBaseHeight));
}
}  // namespace

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND window) {
    // Looked up at run time: older systems do not have it.
    using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    UINT dpi = window && getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi ? static_cast<int>(dpi) : SystemDpi();
}

int DialogDpi(HWND dialog) {
    RECT units = {0, 0, 4, 8};
    if (!dialog || !MapDialogRect(dialog, &units) || units.right <= 0) return WindowDpi(dialog);
    return DpiOfBaseUnits(units.right, units.bottom);
}

int DialogFontDpi(const char* face, int points) {
    // Measured as the dialog manager measures a template's font.
    WindowDc screen(nullptr);
    if (!screen) return 96;
    int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    GdiObject<HFONT> font(CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH, face));
    GdiSelection selected(screen.Get(), font.Get());
    TEXTMETRICA metrics = {};
    SIZE letters = {};
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    bool measured = GetTextMetricsA(screen.Get(), &metrics) &&
                    GetTextExtentPoint32A(screen.Get(), alphabet, 52, &letters) && letters.cx > 0;
    return measured ? DpiOfBaseUnits((letters.cx / 26 + 1) / 2, metrics.tmHeight) : dpi;
}

bool HighContrastOn() {
    HIGHCONTRASTA contrast = {sizeof(contrast)};
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}
