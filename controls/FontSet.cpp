#include "controls/FontSet.h"
#include <initializer_list>
#include "framework/Dpi.h"

namespace {
// The face and size of the windows' templates.
const char* const kDialogFace = "MS Sans Serif";
const int kDialogPoints = 8;
}  // namespace

FontSet::~FontSet() {
    for (HFONT font : {normalFont, boldFont, boldUnderlineFont})
        if (font) DeleteObject(font);
}

bool FontSet::Create() {
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    if (!stock) stock = GetStockObject(SYSTEM_FONT);
    LOGFONTA font = {};
    GetObjectA(stock, sizeof(font), &font);
    // The stock font is 8 points, but not every system sizes it for the
    // display's scale, and the windows' own font may grow in other steps:
    // size it to the windows' dialog units, so that the bold texts fit the
    // places the templates give them.
    font.lfHeight = -MulDiv(kDialogPoints, DialogFontDpi(kDialogFace, kDialogPoints), 72);
    font.lfWidth = 0;
    normalFont = CreateFontIndirectA(&font);
    font.lfWeight = FW_BOLD;
    boldFont = CreateFontIndirectA(&font);
    font.lfUnderline = TRUE;
    boldUnderlineFont = CreateFontIndirectA(&font);
    return true;
}
