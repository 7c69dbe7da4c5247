// The application object: owns the settings and the shared fonts for the
// life of the process and runs start-up.
#pragma once
#include <string>
#include "controls/FontSet.h"
#include "framework/WinApp.h"
#include "settings/AppSettings.h"

class FramehaulApp : public WinApp {
public:
    FramehaulApp() = default;
    // Saves what is left of the settings' changes.
    ~FramehaulApp() override;

    static FramehaulApp& Get() { return *static_cast<FramehaulApp*>(WinApp::Get()); }

    // Start-up: OLE, registry key, fonts and settings, command line, main
    // window. Returns when the program is to end.
    int Run();

    // Selects the registry key, creates the fonts and loads the settings
    // (start-up's steps 3 and 4).
    bool LoadState();

    // Merges what this process changed of the settings into what is stored
    // (AppSettings::Save).
    void SaveSettings();

    // The install folder stored as "InstallDir", filled in from the
    // program's own folder when missing.
    std::string GetInstallDir();

    // Destroyed in reverse order: settings (saved first), then fonts.
    FontSet fonts;
    AppSettings settings;

private:
    // Start-up's steps 7 and 8: the main window, run modally.
    int RunMainWindow(const class CommandLineArgs& args);
};
