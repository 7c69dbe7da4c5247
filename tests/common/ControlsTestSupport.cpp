#include "tests/common/ControlsTestSupport.h"
#include <shlobj.h>
#include <algorithm>
#include <cstring>
#include "app/FramehaulApp.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

namespace controls_test {

HostDialog::HostDialog() : Modeless(IDD_MAIN, nullptr, FramehaulApp::Get().fonts) {}

BOOL HostDialog::OnInitDialog() {
    optionsLink.AttachDlgItem(hwnd, IDC_OPTIONS_LINK);
    supportLink.AttachDlgItem(hwnd, IDC_SUPPORT_LINK);
    urlBox.AttachDlgItem(hwnd, IDC_URL);
    folderBox.AttachDlgItem(hwnd, IDC_FOLDER);
    return CBannerDialog::OnInitDialog();
}

bool HostDialog::OnCommand(WORD id, WORD code, HWND control) {
    commands.emplace_back(id, code);
    return CBannerDialog::OnCommand(id, code, control);
}

void HostDialog::SimulateHighContrast(bool on) {
    highContrast = optionsLink.highContrast = supportLink.highContrast = on;
    SendMessageA(hwnd, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
}

void HostDialog::SetClientWidth(int width) {
    RECT client, frame;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &frame);
    int extra = (frame.right - frame.left) - client.right;
    SetWindowPos(hwnd, nullptr, 0, 0, width + extra, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {
// Runs draw on a memory DC filled with the background colour.
Image Render(int width, int height, COLORREF background, const std::function<void(HDC)>& draw) {
    return screen::Draw(width, height, [&](HDC dc) {
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        draw(dc);
    });
}
}  // namespace

Image PrintClient(HWND window, int width, int height, COLORREF background) {
    return Render(width, height, background,
                  [&](HDC dc) { SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT); });
}

Image LoadBitmapImage(UINT id, int width, int height) {
    return Render(width, height, RGB(255, 0, 255), [&](HDC dc) {
        HBITMAP bitmap = LoadBitmapA(WinApp::Get()->Instance(), MAKEINTRESOURCEA(id));
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(source, bitmap);
        BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
        DeleteObject(bitmap);
    });
}

bool IsReddish(COLORREF c) {
    return GetRValue(c) > 160 && GetGValue(c) < 90 && GetBValue(c) < 90;
}
bool IsBluish(COLORREF c) {
    return GetBValue(c) > 160 && GetRValue(c) < 90 && GetGValue(c) < 90;
}

int CountPixels(const Image& image, const std::function<bool(COLORREF)>& test) {
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) count += test(image.At(x, y));
    return count;
}

SIZE TextSize(HFONT font, const std::string& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return SIZE{extent.cx, metrics.tmHeight};
}

DialogDriver::DialogDriver(std::vector<HWND> known, std::function<void(HWND)> act)
    : worker([this, known, act] {
          auto unknown = [&](HWND window) { return std::find(known.begin(), known.end(), window) == known.end(); };
          HWND dialog = nullptr;
          testing_support::WaitFor([&] { return stop || (dialog = testing_support::FindDialog(unknown)); }, 10000);
          if (!dialog) return;
          found = true;
          act(dialog);
          for (int i = 0; i < 200 && IsWindow(dialog); ++i) Sleep(50);
          if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }) {}

DialogDriver::~DialogDriver() {
    stop = true;
    worker.join();
}

std::vector<std::string> ChildTexts(HWND window) {
    std::vector<std::string> texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(testing_support::WindowText(child));
        for (const std::string& inner : ChildTexts(child)) texts.push_back(inner);
    }
    return texts;
}

}  // namespace controls_test
