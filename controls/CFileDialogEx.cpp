#include "controls/CFileDialogEx.h"

namespace {
const DWORD kSizeWithPlacesBar = 88;  // sizeof(OPENFILENAMEA) from Windows 2000 on
const DWORD kSizeBefore2000 = 76;     // OPENFILENAME_SIZE_VERSION_400A
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
