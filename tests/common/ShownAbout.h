// The program's About box, created modeless for checks and screenshots and
// destroyed with the object.
#pragma once
#include "app/FramehaulApp.h"
#include "controls/AboutDialog.h"

class ShownAbout : public AboutDialog {
public:
    ShownAbout() : AboutDialog(FramehaulApp::Get().fonts) {}
    ~ShownAbout() override {
        if (hwnd) DestroyWindow(hwnd);
    }
};
