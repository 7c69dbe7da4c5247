// The file-open/save dialog with the structure size this Windows version
// understands (the newer one gives the places bar), and a large buffer when
// several files may be chosen. With several files chosen, GetPathName()
// gives their folder, ending in a backslash.
#pragma once
#include "framework/FileDialog.h"

class CFileDialogEx : public FileDialog {
public:
    // structSize 0 chooses by the running Windows version.
    CFileDialogEx(bool open, const char* defaultExt, const char* fileName, DWORD flags, const char* filter, HWND parent,
                  DWORD structSize = 0);

    FH_DECLARE_RUNTIME_CLASS(CFileDialogEx, FileDialog)

    static constexpr DWORD kBufferSize = 8192;

    // The size for this system: the Windows 2000 layout from NT 5 on.
    static DWORD StructSizeForThisSystem();

private:
    char buffer[kBufferSize];
};
