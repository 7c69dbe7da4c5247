#include "framework/FileDialog.h"
#include <cstring>
#include "framework/CodePage.h"
#include "framework/WinApp.h"
#include "regex/MbText.h"

namespace {
// A trail byte of a double-byte character can look like a backslash.
std::string WithBackslash(std::string folder) {
    size_t last = folder.empty() ? 0 : folder.size() - 1;
    bool ends = !folder.empty() && folder.back() == '\\' &&
                mbtext::CharBoundaryAtOrBefore(folder, last, AnsiLeadByteTest()) == last;
    if (!ends) folder += '\\';
    return folder;
}
}  // namespace

FileDialog::FileDialog(bool open, const char* defaultExt, const char* fileName, DWORD flags, const char* filter,
                       HWND parent)
    : ofn(), openForm(open) {
    if (filter) filterText = mbtext::ReplaceChars(filter, "|", '\0', AnsiLeadByteTest());
    if (defaultExt) defaultExtText = defaultExt;
    if (fileName) {
        lstrcpynA(fileBuffer, CutToUnits(fileName, MAX_PATH - 1).c_str(), sizeof(fileBuffer));
    }

    ofn.lStructSize = sizeof(OPENFILENAMEA);
    ofn.hwndOwner = parent;
    ofn.lpstrFilter = filterText.empty() ? nullptr : filterText.c_str();
    ofn.lpstrFile = fileBuffer;
    ofn.nMaxFile = sizeof(fileBuffer);
    ofn.lpstrFileTitle = fileTitle;
    ofn.nMaxFileTitle = sizeof(fileTitle);
    ofn.lpstrDefExt = defaultExt ? defaultExtText.c_str() : nullptr;
    ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
}

void FileDialog::UseFileBuffer(char* buffer, DWORD size) {
    // The whole block is cleared: a multiple selection ends in two NULs.
    std::memset(buffer, 0, size);
    lstrcpynA(buffer, fileBuffer, size < sizeof(fileBuffer) ? size : sizeof(fileBuffer));
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = size;
}

INT_PTR FileDialog::DoModal() {
    chosen = false;
    HWND savedOwner = ofn.hwndOwner;
    if (!ofn.hwndOwner && WinApp::Get() && WinApp::Get()->MainWindow())
        ofn.hwndOwner = GetLastActivePopup(WinApp::Get()->MainWindow());
    BOOL ok = openForm ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
    ofn.hwndOwner = savedOwner;
    chosen = ok != FALSE;
    return chosen ? IDOK : IDCANCEL;
}

bool FileDialog::SeveralChosen() const {
    // After a multiple selection the folder stands alone before the names.
    return chosen && (ofn.Flags & OFN_ALLOWMULTISELECT) && ofn.nFileOffset > 0 &&
           ofn.lpstrFile[ofn.nFileOffset - 1] == '\0';
}

int FileDialog::GetFileCount() const {
    if (!chosen) return 0;
    if (!SeveralChosen()) return ofn.lpstrFile[0] ? 1 : 0;
    int count = 0;
    for (const char* name = ofn.lpstrFile + ofn.nFileOffset; *name; name += std::strlen(name) + 1) ++count;
    return count;
}

std::string FileDialog::GetFilePath(int index) const {
    if (index < 0 || index >= GetFileCount()) return std::string();
    if (!SeveralChosen()) return ofn.lpstrFile;
    const char* name = ofn.lpstrFile + ofn.nFileOffset;
    for (int i = 0; i < index; ++i) name += std::strlen(name) + 1;
    return WithBackslash(ofn.lpstrFile) + name;
}

std::string FileDialog::GetPathName() const {
    return SeveralChosen() ? WithBackslash(ofn.lpstrFile) : std::string(ofn.lpstrFile);
}
