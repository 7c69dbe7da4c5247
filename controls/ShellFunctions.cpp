#include "controls/ShellFunctions.h"
#include <shellapi.h>
#include <shlwapi.h>

bool EnableAutoComplete(HWND edit, DWORD flags) {
    if (!edit) return false;
    HMODULE library = LoadLibraryA("SHLWAPI.DLL");
    if (!library) return false;
    using AutoCompleteFn = HRESULT(WINAPI*)(HWND, DWORD);
    auto autoComplete =
        reinterpret_cast<AutoCompleteFn>(reinterpret_cast<void*>(GetProcAddress(library, "SHAutoComplete")));
    // S_FALSE, which some systems answer, is success too.
    bool enabled = autoComplete && SUCCEEDED(autoComplete(edit, flags));
    FreeLibrary(library);
    return enabled;
}

int GetPathIconIndex(const std::string& path, UINT extraFlags) {
    DWORD attributes = PathIsDirectoryA(path.c_str()) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    SHFILEINFOA info = {};
    SHGetFileInfoA(path.c_str(), attributes, &info, sizeof(info),
                   extraFlags | SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
    return info.iIcon;
}
