// The one application object of a process, reachable from every window.
#pragma once
#include <windows.h>
#include <string>
#include "framework/Profile.h"

class WinApp {
public:
    WinApp();
    virtual ~WinApp();
    WinApp(const WinApp&) = delete;
    WinApp& operator=(const WinApp&) = delete;

    static WinApp* Get() { return current; }

    HINSTANCE Instance() const { return instance; }
    // The program file's base name without extension: "Framehaul" normally.
    const std::string& AppName() const { return appName; }
    // Selects HKCU\Software\<company>\<application name> for the profile.
    void SetRegistryKey(const char* company);
    const Profile& GetProfile() const { return profile; }

    HWND MainWindow() const { return mainWindow; }
    void SetMainWindow(HWND window) { mainWindow = window; }

private:
    static WinApp* current;
    HINSTANCE instance;
    std::string appName;
    Profile profile;
    HWND mainWindow = nullptr;
};

// The application's instance, or the running module's where no application
// object exists (a test program that makes windows without one).
HINSTANCE AppInstance();
