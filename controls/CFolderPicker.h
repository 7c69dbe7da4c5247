// The shell's folder browser, opened on a given folder, reporting the folder
// under the selection as status text, and handing back the chosen path.
#pragma once
#include <windows.h>
#include <string>

class CFolderPicker {
public:
    // flags: BROWSEINFO flags; file-system folders only, the new dialog
    // style and addresses are always added (0xC1).
    CFolderPicker(const std::string& title, UINT flags, HWND owner);
    virtual ~CFolderPicker() = default;

    void SetSelection(const std::string& path) { initialFolder = path; }
    // Selects the folder, or the user's video folder (created when missing)
    // when the folder is empty.
    void SetSelectionOrVideos(const std::string& path);
    // IDOK when a folder path was chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    std::string GetPath() const { return chosenFolder; }

    std::string promptText;
    UINT browseFlags;
    HWND owner;
    std::string initialFolder;
    std::string chosenFolder;

private:
    static int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM param, LPARAM self);
};
