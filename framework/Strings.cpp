#include "framework/Strings.h"
#include "framework/WinApp.h"

std::string LoadResString(UINT id) {
    // String resources are at most 4097 characters long.
    char buffer[4100];
    int length = LoadStringA(AppInstance(), id, buffer, sizeof(buffer));
    return length > 0 ? std::string(buffer, length) : std::string();
}

std::string FormatWithValue(const std::string& format, const std::string& value) {
    size_t at = format.find("%s");
    if (at == std::string::npos) return format;
    return format.substr(0, at) + value + format.substr(at + 2);
}

std::string FormatResString(UINT id, const std::string& value) {
    return FormatWithValue(LoadResString(id), value);
}

int ShowMessageText(HWND owner, const std::string& text) {
    WinApp* app = WinApp::Get();
    if (!owner && app) owner = app->MainWindow();
    std::string caption = app ? app->AppName() : std::string("Framehaul");
    return MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

int ShowMessage(HWND owner, UINT id) {
    return ShowMessageText(owner, LoadResString(id));
}

int ShowMessage(HWND owner, UINT id, const std::string& value) {
    return ShowMessageText(owner, FormatResString(id, value));
}
