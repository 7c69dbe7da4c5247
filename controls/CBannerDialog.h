// A dialog with the banner strip across the top of its client area: the
// banner bitmap repeated from the left edge, a grey line under it and the
// program's one-line pitch in bold.
#pragma once
#include "controls/CDropDialog.h"

class CBannerDialog : public CDropDialog {
public:
    CBannerDialog(UINT templateId, HWND parent) : CDropDialog(templateId, parent) {}

    // At 100 %; the strip grows with the display's scale.
    static constexpr int kTileWidth = 480;
    static constexpr int kBannerHeight = 60;

protected:
    // Derived dialogs call this first; the banner itself exchanges nothing.
    void DoDataExchange(DataExchange&) override {}
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnPaint(HDC dc) override;
};
