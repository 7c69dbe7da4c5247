#include "app/FontSet.h"
#include <initializer_list>

FontSet::~FontSet() {
    for (HFONT font : {normalFont, boldFont, boldUnderlineFont})
        if (font) DeleteObject(font);
}

bool FontSet::Create() {
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    if (!stock) stock = GetStockObject(SYSTEM_FONT);
    LOGFONTA font = {};
    GetObjectA(stock, sizeof(font), &font);
    normalFont = CreateFontIndirectA(&font);
    font.lfWeight = FW_BOLD;
    boldFont = CreateFontIndirectA(&font);
    font.lfUnderline = TRUE;
    boldUnderlineFont = CreateFontIndirectA(&font);
    return true;
}
