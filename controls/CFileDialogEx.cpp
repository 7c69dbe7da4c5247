#include "controls/CFileDialogEx.h"

namespace {
// The sizes of this build's own layouts: pointers make them larger in a
// 64-bit program, and the dialog refuses a size it does not know.
const DWORD kSizeWithPlacesBar = sizeof(OPENFILENAMEA);  // from Windows 2000 on
const DWORD kSizeBefore2000 = OPENFILENAME_SIZE_VERSION_400A;
}  // namespace

CFileDialogEx::CFileDialogEx(bool open, const char* defaultExt, const char* fileName, DWORD flags, const char* filter,
                             HWND parent, DWORD structSize)
    : FileDialog(open, defaultExt, fileName, flags, filter, parent) {
    ofn.lStructSize = structSize ? structSize : StructSizeForThisSystem();
    buffer[0] = '\0';
    if (flags & OFN_ALLOWMULTISELECT) UseFileBuffer(buffer, kBufferSize);
}

DWORD CFileDialogEx::StructSizeForThisSystem() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version)) return kSizeBefore2000;
    bool win2000OrLater = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
    return win2000OrLater ? kSizeWithPlacesBar : kSizeBefore2000;
}
