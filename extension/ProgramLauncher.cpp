#include "extension/ProgramLauncher.h"

#include "framework/Handles.h"

#include <shellapi.h>

namespace {

const wchar_t* const ApplicationKey = L"Software\\Quorvane\\Framehaul";
const wchar_t* const InstallDirValue = L"InstallDir";
const wchar_t* const ProgramFile = L"\\Framehaul.exe";

}  // namespace

bool ProgramLauncher::Start(const wchar_t* link) {
    std::wstring folder;
    if (!ReadInstallDir(folder)) return false;
    std::wstring program = folder + ProgramFile;
    // No program can be started from a longer path, and some shells
    // overrun their own buffers when asked to.
    if (program.size() >= MAX_PATH) return false;
    std::wstring parameter = QuoteArgument(link ? link : L"");
    // The command line is the quoted program path, a blank, the parameter.
    if (program.size() + 3 + parameter.size() > MaxCommandLine) return false;
    ShellExecuteW(nullptr, nullptr, program.c_str(), parameter.c_str(), nullptr, SW_SHOW);
    return true;
}

bool ProgramLauncher::ReadInstallDir(std::wstring& folder) {
    folder.clear();
    RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ApplicationKey, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) return false;
    // The value may grow between asking its size and reading it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key.Get(), InstallDirValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        if (type != REG_SZ || size == 0 || size / sizeof(wchar_t) > MaxCommandLine) return false;
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        LONG rc =
            RegQueryValueExW(key.Get(), InstallDirValue, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS || type != REG_SZ) return false;
        // Stored with or without its terminator; an empty text is no folder.
        folder.assign(data.c_str());
        return !folder.empty();
    }
    return false;
}

std::wstring ProgramLauncher::QuoteArgument(const std::wstring& link) {
    std::wstring argument = L"\"";
    argument.reserve(link.size() + 8);
    size_t backslashes = 0;
    for (wchar_t c : link) {
        if (c == L'"')
            argument += L"%22";
        else
            argument += c;
        backslashes = c == L'\\' ? backslashes + 1 : 0;
    }
    argument.append(backslashes, L'\\');
    argument += L'"';
    return argument;
}
