// Hosts and probes for the control tests: a main-window-like dialog built
// from template 202 with the program's controls bound, pixel read-back,
// shell drops made by hand, and a driver for modal dialogs of the system.
#pragma once
#include "tests/common/ScreenPixels.h"
#include "tests/common/TestSupport.h"
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include "controls/CBannerDialog.h"
#include "controls/CFolderHistoryCombo.h"
#include "controls/CLinkStatic.h"
#include "controls/CUrlHistoryCombo.h"

namespace controls_test {

// A dialog created modeless for checks and destroyed with its object.
template <class Base>
class Modeless : public Base {
public:
    using Base::Base;
    ~Modeless() override {
        if (this->hwnd) DestroyWindow(this->hwnd);
    }
};

// A link that can be told high contrast is on, which Wine never reports.
class ContrastLink : public CLinkStatic {
public:
    bool highContrast = false;

protected:
    bool InHighContrast() const override { return highContrast || CLinkStatic::InHighContrast(); }
};

// Template 202 with its links and boxes bound, created modeless; records
// the WM_COMMAND notifications it receives.
class HostDialog : public Modeless<CBannerDialog> {
public:
    HostDialog();
    // Resizes the window so that its client area is this wide.
    void SetClientWidth(int width);
    // The dialog and its links act as in a high-contrast scheme, and are
    // told that the setting changed.
    void SimulateHighContrast(bool on);

    ContrastLink optionsLink;
    ContrastLink supportLink;
    CUrlHistoryCombo urlBox;
    CFolderHistoryCombo folderBox{CPathComboBoxEx::kAcceptFiles};
    std::vector<std::pair<int, int>> commands;  // id, notification code

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool InHighContrast() const override { return highContrast || CBannerDialog::InHighContrast(); }

private:
    bool highContrast = false;
};

// A window's client drawing (WM_PRINTCLIENT) as 0x00RRGGBB pixels.
using Image = screen::Shot;
Image PrintClient(HWND window, int width, int height, COLORREF background = RGB(255, 0, 255));
// Bitmap resource id drawn at (0, 0) on its own.
Image LoadBitmapImage(UINT id, int width, int height);
bool IsReddish(COLORREF c);
bool IsBluish(COLORREF c);
// How many of the image's pixels pass the test.
int CountPixels(const Image& image, const std::function<bool(COLORREF)>& test);
// A text's width in a font, and the font's height.
SIZE TextSize(HFONT font, const std::string& text);

// Waits on a thread of its own for a visible dialog of this process that
// is not one of `known`, then runs act on it; gives up after 10 s. Closes
// the dialog when act leaves it open, so a modal run never hangs.
class DialogDriver {
public:
    DialogDriver(std::vector<HWND> known, std::function<void(HWND)> act);
    ~DialogDriver();
    bool Found() const { return found; }

private:
    std::atomic<bool> found{false};
    std::atomic<bool> stop{false};
    std::thread worker;
};
// Texts of a window's descendants.
std::vector<std::string> ChildTexts(HWND window);

}  // namespace controls_test
