#include "framework/WinApp.h"
#include <shlwapi.h>

WinApp* WinApp::current = nullptr;

WinApp::WinApp() : instance(GetModuleHandleA(nullptr)) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = PathFindFileNameA(path);
    size_t dot = name.rfind('.');
    appName = dot == std::string::npos ? name : name.substr(0, dot);
    current = this;
}

WinApp::~WinApp() {
    if (current == this) current = nullptr;
}

void WinApp::SetRegistryKey(const char* company) {
    profile.SetAppKey(std::string("Software\\") + company + "\\" + appName);
}

HINSTANCE AppInstance() {
    return WinApp::Get() ? WinApp::Get()->Instance() : GetModuleHandleA(nullptr);
}
