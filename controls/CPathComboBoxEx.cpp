#include "controls/CPathComboBoxEx.h"
#include <shellapi.h>
#include <algorithm>
#include <shlwapi.h>
#include "controls/ShellFunctions.h"
#include "framework/CodePage.h"

namespace {
bool IsAnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

DWORD AutoCompleteSource(int pathFilter) {
    switch (pathFilter) {
    case CPathComboBoxEx::kAcceptFiles: return SHACF_FILESYS_ONLY;
    case CPathComboBoxEx::kAcceptFolders: return SHACF_FILESYS_DIRS;
    default: return SHACF_FILESYSTEM;
    }
}
}  // namespace

bool CPathComboBoxEx::SameDoubleByteChars(const std::string& a, const std::string& b, mbtext::LeadByteFn isLeadByte) {
    if (a.size() != b.size()) return false;
    mbtext::LeadTable lead(isLeadByte);
    for (size_t i = 0; i < a.size();) {
        size_t length = lead.CharLength(a.data(), a.size(), i);
        if (length == 2 && a.compare(i, 2, b, i, 2) != 0) return false;
        i += length;
    }
    return true;
}

int CPathComboBoxEx::FindExact(int start, const std::string& text) const {
    bool doubleByte = GetSystemMetrics(SM_DBCSENABLED) != 0;
    for (int i = std::max(start, 0); i < GetCount(); ++i) {
        std::string item = GetItemText(i);
        if (lstrcmpiA(item.c_str(), text.c_str()) != 0) continue;
        if (!doubleByte || SameDoubleByteChars(item, text, IsAnsiLeadByte)) return i;
    }
    return -1;
}

int CPathComboBoxEx::AddPath(int index, const std::string& path) {
    return InsertItem(index, path, GetPathIconIndex(path, SHGFI_SMALLICON), -1);
}

int CPathComboBoxEx::SelectPath(const std::string& path, bool add) {
    if (path.empty()) return -1;
    int found = FindExact(0, path);
    if (found >= 0) return MoveToTop(found, path, true);
    if (add) {
        int index = AddPath(0, path);
        SetCurSel(index);
        return index;
    }
    SetWindowTextA(hwnd, path.c_str());
    return -1;
}

bool CPathComboBoxEx::Attach(HWND window) {
    if (!CItemComboBoxEx::Attach(window)) return false;
    AttachEdit();
    // The items' icon indices are of the system's small-icon list: show them.
    SHFILEINFOA info = {};
    HIMAGELIST icons =
        reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                                                    SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
    if (icons) SendMessageA(hwnd, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(icons));
    return true;
}

bool CPathComboBoxEx::OnReflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // The owner hears of the change too: its own rules may depend on it.
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_EDITCHANGE) ShowTextIcon();
    return CItemComboBoxEx::OnReflect(message, wParam, lParam, result);
}

void CPathComboBoxEx::ShowTextIcon() {
    // The box draws beside its edit field the icon of the selected item, and
    // with none selected that of its edit item: a path typed, dropped, picked
    // or restored from the settings is shown by that one, which only the
    // program can give.
    std::string text = GetText();
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = -1;
    // Not -1: that asks the owner for an image, and unanswered it is image 0.
    item.iImage = item.iSelectedImage = text.empty() ? I_IMAGENONE : GetPathIconIndex(text, SHGFI_SMALLICON);
    SendMessageA(hwnd, CBEM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    InvalidateRect(reinterpret_cast<HWND>(SendMessageA(hwnd, CBEM_GETCOMBOCONTROL, 0, 0)), nullptr, TRUE);
}

void CPathComboBoxEx::AttachEdit() {
    if (edit.Handle()) return;
    HWND field = GetEditControl();
    if (!field || !edit.Attach(field)) return;
    EnableAutoComplete(
        field, AutoCompleteSource(pathFilter) | SHACF_USETAB | SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_ON);
}

bool CPathComboBoxEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_CREATE:
        if (Default(message, wParam, lParam) == -1) {
            *result = -1;
        } else {
            AttachEdit();
            *result = 0;
        }
        return true;
    case WM_DROPFILES:
        AcceptDrop(reinterpret_cast<HDROP>(wParam));
        // The handle is freed: the box's own processing must not see it.
        *result = 0;
        return true;
    default: return CItemComboBoxEx::HandleMessage(message, wParam, lParam, result);
    }
}

bool CPathComboBoxEx::Qualifies(const char* name) const {
    bool folder = PathIsDirectoryA(name) != FALSE;
    return folder ? (pathFilter & kAcceptFolders) != 0 : (pathFilter & kAcceptFiles) != 0;
}

void CPathComboBoxEx::AcceptDrop(HDROP drop) {
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // The shell's ANSI names fit MAX_PATH bytes, a UTF-8 one may not.
        wchar_t wide[MAX_PATH + 1] = L"";
        if (!DragQueryFileW(drop, i, wide, MAX_PATH + 1)) continue;
        std::string name = FromWide(wide, CP_ACP);
        if (Qualifies(name.c_str())) {
            SelectPath(name, false);
            break;
        }
    }
    DragFinish(drop);
    SetForegroundWindow(GetAncestor(hwnd, GA_ROOT));
}
