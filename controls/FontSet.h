// The three fonts the windows share, made from the stock GUI font.
#pragma once
#include <windows.h>

class FontSet {
public:
    FontSet() = default;
    ~FontSet();
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;

    // Always reports success; a font that cannot be made stays null.
    bool Create();

    HFONT normalFont = nullptr;
    HFONT boldFont = nullptr;
    HFONT boldUnderlineFont = nullptr;
};
