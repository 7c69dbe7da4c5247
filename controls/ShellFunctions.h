// Shell services the path and address boxes use.
#pragma once
#include <windows.h>
#include <string>

// Turns on shell autocompletion for an edit field. SHAutoComplete is looked
// up at run time, so systems without it still run the program. False when
// there is no window, no entry point, or the call fails (suggestions are
// then simply missing).
bool EnableAutoComplete(HWND edit, DWORD flags);

// The path's icon in the system image list, by attributes only (a folder
// when the path is a folder, else a normal file): the path need not exist.
// extraFlags are SHGetFileInfoA flags such as SHGFI_SMALLICON.
int GetPathIconIndex(const std::string& path, UINT extraFlags);
