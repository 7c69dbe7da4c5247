#include "tests/common/ScreenPixels.h"
#include <commctrl.h>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <map>
#include "framework/Wnd.h"

namespace screen {

COLORREF Shot::At(int x, int y) const {
    uint32_t p = pixels[static_cast<size_t>(y) * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

Shot Draw(int width, int height, const std::function<void(HDC)>& draw) {
    Shot shot;
    if (width <= 0 || height <= 0) return shot;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screenDc = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screenDc);
    HBITMAP dib = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screenDc);
    if (memory && dib) {
        HGDIOBJ previous = SelectObject(memory, dib);
        draw(memory);
        GdiFlush();
        const uint32_t* p = static_cast<const uint32_t*>(bits);
        shot.width = width;
        shot.height = height;
        shot.pixels.assign(p, p + static_cast<size_t>(width) * height);
        SelectObject(memory, previous);
    }
    if (dib) DeleteObject(dib);
    if (memory) DeleteDC(memory);
    return shot;
}

Shot Capture(const RECT& area) {
    return Draw(area.right - area.left, area.bottom - area.top, [&](HDC memory) {
        HDC screenDc = GetDC(nullptr);
        BitBlt(memory, 0, 0, area.right - area.left, area.bottom - area.top, screenDc, area.left, area.top, SRCCOPY);
        ReleaseDC(nullptr, screenDc);
    });
}

Shot CaptureClient(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return Capture(client);
}

namespace {
bool Unlike(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) > 64 || abs(GetGValue(a) - GetGValue(b)) > 64 ||
           abs(GetBValue(a) - GetBValue(b)) > 64;
}

// The area's most common colour.
COLORREF Background(const Shot& shot) {
    std::map<uint32_t, int> counts;
    for (uint32_t p : shot.pixels) ++counts[p];
    uint32_t background = 0;
    int most = 0;
    for (const auto& entry : counts)
        if (entry.second > most) most = entry.second, background = entry.first;
    return RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF);
}

// Columns x in [from, to) with a pixel clearly unlike back.
int ColumnsUnlike(const Shot& shot, COLORREF back, int from, int to) {
    int columns = 0;
    for (int x = std::max(from, 0); x < std::min(to, shot.width); ++x)
        for (int y = 0; y < shot.height; ++y)
            if (Unlike(shot.At(x, y), back)) {
                ++columns;
                break;
            }
    return columns;
}
}  // namespace

bool ShowsText(HWND control) {
    Shot shot = CaptureClient(ControlTextWindow(control));
    return !shot.pixels.empty() && ColumnsUnlike(shot, Background(shot), 0, shot.width) >= 4;
}

bool ShowsIcon(HWND box) {
    HWND combo = reinterpret_cast<HWND>(SendMessageA(box, CBEM_GETCOMBOCONTROL, 0, 0));
    HWND edit = reinterpret_cast<HWND>(SendMessageA(box, CBEM_GETEDITCONTROL, 0, 0));
    if (!combo || !edit) return false;
    RECT inside = {}, field = {};
    GetClientRect(combo, &inside);
    MapWindowPoints(combo, nullptr, reinterpret_cast<POINT*>(&inside), 2);
    InflateRect(&inside, -3, -3);  // off the sunken border
    GetWindowRect(edit, &field);
    Shot shot = Capture(inside);
    // Short of the edit field by two columns: a focus frame starts there.
    return !shot.pixels.empty() && ColumnsUnlike(shot, Background(shot), 0, field.left - inside.left - 2) >= 4;
}

bool SaveWindowShot(HWND window, const std::string& name) {
    const char* folder = getenv("FH_SCREENSHOT_DIR");
    if (!folder || !*folder) return false;
    CreateDirectoryA(folder, nullptr);
    RECT frame;
    GetWindowRect(window, &frame);
    Shot shot = Capture(frame);
    if (shot.pixels.empty()) return false;
    for (uint32_t& p : shot.pixels) p |= 0xFF000000;  // opaque, for viewers that read alpha
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = shot.width;
    header.biHeight = -shot.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    DWORD dataSize = static_cast<DWORD>(shot.pixels.size() * 4);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + dataSize;
    std::string path = std::string(folder) + "\\" + name + ".bmp";
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&header, sizeof(header), 1, out) == 1 &&
              fwrite(shot.pixels.data(), 1, dataSize, out) == dataSize;
    return fclose(out) == 0 && ok;
}

}  // namespace screen
