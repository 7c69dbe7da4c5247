// The user's preferences and the two recent lists, loaded from the
// registry at start-up and written back once at exit.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include "settings/RecentList.h"

class Profile;

class AppSettings {
public:
    // Read and written by the download worker as well as the window thread.
    std::atomic<int> AlwaysOverwrite{0};
    std::string DefaultFolder;
    int AutoStart = 1;
    int AutoClose = 0;
    int AlwaysOnTop = 0;
    std::string Program;
    std::unique_ptr<RecentList> RecentUrls;
    std::unique_ptr<RecentList> RecentFolders;

    bool Load(const Profile& profile);
    void Save(const Profile& profile);

    static constexpr int kRecentCapacity = 20;
};

// The path without its last component (PathRemoveFileSpecA rules: no final
// backslash except on a drive root); empty when nothing could be removed.
// Paths of any length are handled.
std::string GetParentFolder(const std::string& path);
