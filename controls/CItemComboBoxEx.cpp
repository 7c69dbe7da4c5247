#include "controls/CItemComboBoxEx.h"
#include <algorithm>
#include "framework/Handles.h"

namespace {
// The locale whose collation goes with the ANSI code page.
LCID LocaleOfCodePage() {
    switch (GetACP()) {
    case 932: return MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);
    case 936: return MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
    case 949: return MAKELCID(MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT), SORT_DEFAULT);
    case 950: return MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), SORT_DEFAULT);
    default: return LOCALE_USER_DEFAULT;
    }
}

int InsertWithMask(HWND box, UINT mask, int index, const std::string& text, int indent, int image, int selectedImage) {
    COMBOBOXEXITEMA item = {};
    item.mask = mask;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image;
    item.iSelectedImage = selectedImage == -1 ? image : selectedImage;
    item.iIndent = indent;
    return static_cast<int>(SendMessageA(box, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

int TextWidth(HDC dc, const std::string& text) {
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}
}  // namespace

std::string CItemComboBoxEx::GetText() const {
    return GetControlText(hwnd);
}

std::string CItemComboBoxEx::GetItemText(int index) const {
    char buffer[1024] = "";
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = index;
    item.pszText = buffer;
    item.cchTextMax = sizeof(buffer) - 1;
    if (!SendMessageA(hwnd, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return std::string();
    return buffer;
}

bool CItemComboBoxEx::GetItemImage(int index, int& image, int& selectedImage) const {
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = index;
    if (!SendMessageA(hwnd, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return false;
    image = item.iImage;
    selectedImage = item.iSelectedImage;
    return true;
}

int CItemComboBoxEx::InsertItem(int index, const std::string& text, int image, int selectedImage) {
    return InsertWithMask(hwnd, CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE, index, text, 0, image, selectedImage);
}

int CItemComboBoxEx::InsertIndentedItem(int index, const std::string& text, int indent, int image, int selectedImage) {
    return InsertWithMask(hwnd, CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT, index, text, indent,
                          image, selectedImage);
}

int CItemComboBoxEx::FindExact(int start, const std::string& text) const {
    LCID locale = LocaleOfCodePage();
    for (int i = std::max(start, 0); i < GetCount(); ++i) {
        std::string item = GetItemText(i);
        if (CompareStringA(locale, NORM_IGNORECASE, item.c_str(), static_cast<int>(item.size()), text.c_str(),
                           static_cast<int>(text.size())) == CSTR_EQUAL)
            return i;
    }
    return -1;
}

void CItemComboBoxEx::SetItemImage(int index, int image, int selectedImage) {
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_IMAGE;
    item.iItem = index;
    item.iImage = image;
    if (selectedImage != -1) {
        item.mask |= CBEIF_SELECTEDIMAGE;
        item.iSelectedImage = selectedImage;
    }
    SendMessageA(hwnd, CBEM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void CItemComboBoxEx::FitDropWidth() {
    int iconWidth = 0;
    IMAGEINFO info = {};
    if (HIMAGELIST images = GetImageList())
        if (ImageList_GetImageInfo(images, 0, &info)) iconWidth = info.rcImage.right - info.rcImage.left + 1;

    int widest = 0, w = 0;
    if (WindowDc dc{hwnd}) {
        GdiSelection font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
        for (int i = 0; i < GetCount(); ++i) widest = std::max(widest, TextWidth(dc.Get(), GetItemText(i)));
        w = TextWidth(dc.Get(), "W");
    }
    int width = widest + 2 * w + iconWidth + 8;

    RECT dropped = {};
    SendMessageA(hwnd, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    int itemHeight = static_cast<int>(SendMessageA(hwnd, CB_GETITEMHEIGHT, 0, 0));
    if (itemHeight * GetCount() >= dropped.bottom - dropped.top) width += GetSystemMetrics(SM_CXVSCROLL);
    SendMessageA(hwnd, CB_SETDROPPEDWIDTH, width, 0);
}

bool CItemComboBoxEx::OnReflect(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
    if (message != WM_COMMAND || HIWORD(wParam) != CBN_DROPDOWN) return false;
    OnDropDown();
    *result = 0;
    return true;
}

bool CItemComboBoxEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != WM_ENABLE) return ComboBoxEx::HandleMessage(message, wParam, lParam, result);
    // The box erases its whole face when its state changes, over the combo
    // and edit field inside it, but repaints neither: without this the text
    // it holds stays off the screen until something else covers and
    // uncovers it.
    *result = Default(message, wParam, lParam);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return true;
}

int CItemComboBoxEx::MoveToTop(int found, const std::string& text, bool keepImages) {
    int image = -1, selectedImage = -1;
    if (keepImages) GetItemImage(found, image, selectedImage);
    DeleteItem(found);
    int index = InsertItem(0, text, image, selectedImage);
    SetCurSel(index);
    return index;
}

void CItemComboBoxEx::ClearItemsKeepingText() {
    std::string shown = GetText();
    ResetContent();
    if (GetText() != shown) SetControlText(hwnd, shown);
}
