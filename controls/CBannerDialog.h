// A dialog with the banner strip across the top of its client area: the
// banner bitmap repeated from the left edge, a grey line under it and the
// program's one-line pitch in bold.
#pragma once
#include "controls/CDropDialog.h"
#include "controls/FontSet.h"

class CBannerDialog : public CDropDialog {
public:
    // The pitch is drawn in fonts' bold font; fonts outlive the dialog.
    CBannerDialog(UINT templateId, HWND parent, const FontSet& fonts) : CDropDialog(templateId, parent), fonts(fonts) {}

    // At 100 %; the strip grows with the display's scale.
    static constexpr int kTileWidth = 480;
    static constexpr int kBannerHeight = 60;

protected:
    // Whether the user's high-contrast scheme is on (the system's answer).
    virtual bool InHighContrast() const;
    // Derived dialogs call this first; the banner itself exchanges nothing.
    void DoDataExchange(DataExchange&) override {}
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnPaint(HDC dc) override;

private:
    const FontSet& fonts;
};
