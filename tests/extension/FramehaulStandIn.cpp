// Stands in for Framehaul.exe when the extension module starts the program:
// appends one line to "calls.txt" beside itself, then exits. Fields, split
// by tabs: the show command it was given, the number of arguments the C
// runtime parsed, the raw command line after the program name, the first
// parsed argument, in the program's code page (UTF-8, see the .rc).
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string ArgumentsText() {
    const char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    std::string line = std::to_string(show) + "\t" + std::to_string(__argc - 1) + "\t" + ArgumentsText() + "\t" +
                       (__argc > 1 ? __argv[1] : "") + "\n";

    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string record(path, length);
    record = record.substr(0, record.find_last_of('\\') + 1) + "calls.txt";

    HANDLE file = CreateFileA(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return written == line.size() ? 0 : 1;
}
