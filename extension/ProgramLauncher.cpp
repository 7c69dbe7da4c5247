#include "extension/ProgramLauncher.h"

#include "framework/Handles.h"

#include <shellapi.h>

#include <cwchar>

namespace {

const char* const ApplicationKey = "Software\\Quorvane\\Framehaul";
const char* const InstallDirValue = "InstallDir";
const char* const ProgramFile = "\\Framehaul.exe";

// Backslashes that would stand right before the closing quote. A trail byte
// of a double-byte character may look like a backslash; it is not one.
size_t TrailingBackslashes(const std::string& text) {
    size_t run = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsDBCSLeadByte(c) && i + 1 < text.size()) {
            ++i;
            run = 0;
        } else if (c == '\\') {
            ++run;
        } else {
            run = 0;
        }
    }
    return run;
}

}  // namespace

bool ProgramLauncher::Start(const wchar_t* link) {
    std::string folder;
    if (!ReadInstallDir(folder)) return false;
    // Every character converts to at least one byte: refuse before
    // converting a link that cannot fit anyway.
    if (link && std::wcslen(link) > MaxCommandLine) return false;
    std::string program = folder + ProgramFile;
    // No program can be started from a longer path, and some shells
    // overrun their own buffers when asked to.
    if (program.size() >= MAX_PATH) return false;
    std::string parameter = QuoteArgument(ToAnsi(link));
    // The command line is the quoted program path, a blank, the parameter.
    if (program.size() + 3 + parameter.size() > MaxCommandLine) return false;
    ShellExecuteA(nullptr, nullptr, program.c_str(), parameter.c_str(), nullptr, SW_SHOW);
    return true;
}

bool ProgramLauncher::ReadInstallDir(std::string& folder) {
    folder.clear();
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ApplicationKey, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) return false;
    // The value may grow between asking its size and reading it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key.Get(), InstallDirValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        if (type != REG_SZ || size == 0 || size > MaxCommandLine) return false;
        std::string data(size, '\0');
        LONG rc =
            RegQueryValueExA(key.Get(), InstallDirValue, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS || type != REG_SZ) return false;
        // Stored with or without its terminator; an empty text is no folder.
        folder.assign(data.c_str());
        return !folder.empty();
    }
    return false;
}

std::string ProgramLauncher::ToAnsi(const wchar_t* link) {
    if (!link) return std::string();
    int length = static_cast<int>(std::wcslen(link));
    if (length == 0) return std::string();
    int size = WideCharToMultiByte(CP_ACP, 0, link, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, link, length, &text[0], size, nullptr, nullptr);
    return text;
}

std::string ProgramLauncher::QuoteArgument(const std::string& link) {
    std::string argument = "\"";
    argument.reserve(link.size() + 8);
    // No double-byte code page uses 0x22 as a trail byte, so every 0x22
    // byte is a real quote.
    for (char c : link) {
        if (c == '"')
            argument += "%22";
        else
            argument += c;
    }
    argument.append(TrailingBackslashes(link), '\\');
    argument += '"';
    return argument;
}
