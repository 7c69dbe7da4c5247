#include "app/FramehaulApp.h"
#include <ole2.h>
#include <vector>
#include "app/CommandLineArgs.h"
#include "app/MainDialog.h"
#include "framework/Strings.h"
#include "resources/resource.h"

namespace {
const char* const kCompanyKey = "Quorvane";

// The full path of the running program, of any length.
std::string ModulePath() {
    std::vector<char> buffer(1024);
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) return std::string(buffer.data(), length);
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}
}  // namespace

FramehaulApp::~FramehaulApp() {
    SaveSettings();
}

void FramehaulApp::SaveSettings() {
    // Settings never loaded (start-up ended before) have no changes to save.
    settings.Save(GetProfile());
}

bool FramehaulApp::LoadState() {
    SetRegistryKey(kCompanyKey);
    if (!fonts.Create()) return false;
    return settings.Load(GetProfile());
}

int FramehaulApp::Run() {
    if (FAILED(OleInitialize(nullptr))) {
        ShowMessage(nullptr, IDS_OLE_INIT_FAILED);
        return 1;
    }
    // Dialog controls draw in 3-D by themselves on every supported system.
    int exitCode = 0;
    if (LoadState()) {
        CommandLineArgs args;
        args.Parse();
        if (args.request == CommandLineArgs::RequestUsage)
            ShowMessage(nullptr, IDS_USAGE);
        else
            exitCode = RunMainWindow(args);
        SaveSettings();
    }
    OleUninitialize();
    return exitCode;
}

std::string FramehaulApp::GetInstallDir() {
    std::string folder = GetProfile().ReadString("", "InstallDir");
    if (!folder.empty()) return folder;
    folder = GetParentFolder(ModulePath());
    GetProfile().WriteString("", "InstallDir", folder);
    return folder;
}

int FramehaulApp::RunMainWindow(const CommandLineArgs& args) {
    MainDialog window;
    if (!args.folder.empty()) window.PresetFolder(args.folder);
    if (args.request == CommandLineArgs::RequestDownload) {
        window.url = args.url;
        window.startAtOnce = settings.AutoStart != 0;
    }
    window.DoModal();
    return 0;
}
