// One of several processes saving settings at the same moment, as the
// windows of one user do: each round stands for a window that loads the
// settings, adds "<tag>-<round>" to both recent lists, changes its own
// preference to the same text, and saves. All probes start together when
// the named event in their command line is set.
// Usage: settings_probe APPKEY EVENT TAG ROUNDS folder|program
#include <windows.h>
#include <cstdlib>
#include <string>
#include "framework/Profile.h"
#include "settings/AppSettings.h"

int main(int argc, char** argv) {
    if (argc != 6) return 2;
    Profile profile;
    profile.SetAppKey(argv[1]);
    HANDLE start = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!start || WaitForSingleObject(start, 30000) != WAIT_OBJECT_0) return 3;
    const std::string tag = argv[3];
    const int rounds = std::atoi(argv[4]);
    const bool folder = std::string(argv[5]) == "folder";
    for (int round = 0; round < rounds; ++round) {
        AppSettings settings;
        settings.Load(profile);
        std::string text = tag + "-" + std::to_string(round);
        settings.RecentUrls->Add(text);
        settings.RecentFolders->Add("C:\\" + text);
        if (folder)
            settings.SetDefaultFolder(text);
        else
            settings.SetProgram(text);
        settings.Save(profile);
    }
    CloseHandle(start);
    return 0;
}
