#include "controls/CFolderPicker.h"
#include <shlobj.h>
#include "framework/Handles.h"

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
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(chosen, path)) chosenFolder = path;
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
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(param), path))
            SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}

void CFolderPicker::SetSelectionOrVideos(const std::string& path) {
    initialFolder = path;
    if (!initialFolder.empty()) return;
    char videos[MAX_PATH] = "";
    if (SHGetSpecialFolderPathA(owner, videos, CSIDL_MYVIDEO, TRUE)) initialFolder = videos;
}
