// The common file-open and file-save dialogs.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <string>
#include "framework/Wnd.h"

class FileDialog : public Wnd {
public:
    // filter: "|"-separated pairs of description and pattern, ended by "||".
    // defaultExt and fileName may be null. flags get OFN_EXPLORER and
    // OFN_ENABLESIZING added.
    FileDialog(bool open, const char* defaultExt, const char* fileName, DWORD flags, const char* filter, HWND parent);

    FH_DECLARE_RUNTIME_CLASS(FileDialog, Wnd)

    // IDOK when a file was chosen, IDCANCEL otherwise.
    virtual INT_PTR DoModal();

    // The chosen file's full path. With several files chosen it is their
    // folder, ending in a backslash so that it cannot pass for a file.
    std::string GetPathName() const;
    // How many files were chosen (0 before a successful run).
    int GetFileCount() const;
    // The full path of the i-th chosen file, or empty.
    std::string GetFilePath(int index) const;

    OPENFILENAMEA ofn;

protected:
    // Points the dialog at a larger file buffer, keeping the file name.
    void UseFileBuffer(char* buffer, DWORD size);

private:
    bool SeveralChosen() const;

    bool openForm;
    bool chosen = false;
    std::string filterText;
    std::string defaultExtText;
    // MAX_PATH characters, three bytes each in UTF-8.
    char fileBuffer[3 * MAX_PATH] = "";
    char fileTitle[64] = "";
};
