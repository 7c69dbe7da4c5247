// What a person sees: pixels read back from the screen (the screen DC,
// as a screenshot would), so a control that holds a text but never drew
// it is caught. Needs the window on screen and uncovered.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace screen {

struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    COLORREF At(int x, int y) const;
};

// What draw puts on a top-down 32-bit DIB of that size.
Shot Draw(int width, int height, const std::function<void(HDC)>& draw);
// The screen inside a rectangle in screen coordinates.
Shot Capture(const RECT& area);
// The client area of a window as it is on the screen.
Shot CaptureClient(HWND window);

// Whether at least four columns of a control's text area hold ink: pixels
// clearly unlike the area's most common colour (its background). For an
// extended combo box the text area is its edit field. A caret makes one
// column; text makes many.
bool ShowsText(HWND control);
// The same for the strip of an extended combo box left of its edit field,
// where the icon of its path goes, against the box's background.
bool ShowsIcon(HWND box);

// Saves the window as it is on screen, frame included, as <name>.bmp in
// the folder FH_SCREENSHOT_DIR names (nothing when it is not set).
bool SaveWindowShot(HWND window, const std::string& name);

}  // namespace screen
