// Display scale. Sizes in this program are written for 100 % (96 dots per
// inch) and grow with the scale that a dialog's own units amount to, so
// that what the program draws itself stays in step with the controls the
// dialog manager laid out from the template. That scale need not follow the
// display's dots per inch: a font with bitmap sizes grows in jumps.
#pragma once
#include <windows.h>

// Dots per inch of the system (the primary display at log-on).
int SystemDpi();
// Dots per inch of the display a window is on, where the system keeps one
// per window (Windows 10 1607 and later), else the system's.
int WindowDpi(HWND window);
// The scale, as dots per inch, of a dialog's units: 96 where 4 x 8 dialog
// units are 6 x 13 pixels, as a template's 8-point MS Sans Serif makes them
// at 100 %. For a window that is no dialog, WindowDpi.
int DialogDpi(HWND dialog);
// The same for a template font before any dialog uses it.
int DialogFontDpi(const char* face, int points);
// A length given at 96 dots per inch, at dpi.
inline int ScaleToDpi(int value, int dpi) {
    return MulDiv(value, dpi, 96);
}

// The user's high-contrast scheme is on: what the program draws itself
// takes the scheme's system colours, and no picture or fixed colour.
bool HighContrastOn();
