#include "controls/CFolderPicker.h"
#include <shlobj.h>
#include "framework/CodePage.h"
#include "framework/Handles.h"

namespace {
// A folder's path in the ANSI code page. The shell's ANSI form fits MAX_PATH
// bytes, which a UTF-8 path of fewer characters may not.
std::string PathOf(LPCITEMIDLIST item) {
    wchar_t path[MAX_PATH] = L"";
    return SHGetPathFromIDListW(item, path) ? FromWide(path, CP_ACP) : std::string();
}
}  // namespace

CFolderPicker::CFolderPicker(const std::string& title, UINT flags, HWND ownerWindow)
    : promptText(title),
      browseFlags(flags | BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_BROWSEINCLUDEURLS),
      owner(ownerWindow) {}

INT_PTR CFolderPicker::DoModal() {
    chosenFolder.clear();
    ComPtr<IMalloc> shellMalloc;
    if (FAILED(SHGetMalloc(shellMalloc.Put())) || !shellMalloc) return IDCANCEL;

    char displayName[MAX_PATH] = "";
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = promptText.c_str();
    info.ulFlags = browseFlags;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    info.iImage = 0;

    if (LPITEMIDLIST chosen = SHBrowseForFolderA(&info)) {
        chosenFolder = PathOf(chosen);
        shellMalloc->Free(chosen);
    }
    return chosenFolder.empty() ? IDCANCEL : IDOK;
}

int CALLBACK CFolderPicker::BrowseCallback(HWND browser, UINT message, LPARAM param, LPARAM self) {
    CFolderPicker* picker = reinterpret_cast<CFolderPicker*>(self);
    if (message == BFFM_INITIALIZED) {
        if (picker)
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(picker->initialFolder.c_str()));
    } else if (message == BFFM_SELCHANGED) {
        std::string path = PathOf(reinterpret_cast<LPCITEMIDLIST>(param));
        if (!path.empty()) SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
    return 0;
}

void CFolderPicker::SetSelectionOrVideos(const std::string& path) {
    initialFolder = path;
    if (!initialFolder.empty()) return;
    wchar_t videos[MAX_PATH] = L"";
    if (SHGetSpecialFolderPathW(owner, videos, CSIDL_MYVIDEO, TRUE)) initialFolder = FromWide(videos, CP_ACP);
}
