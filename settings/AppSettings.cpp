#include "settings/AppSettings.h"
#include "framework/Profile.h"
#include <windows.h>
#include <shlwapi.h>
#include <vector>

namespace {
const char* const kSettings = "Settings";
int Flag(DWORD value) {
    return value != 0 ? 1 : 0;
}
}  // namespace

bool AppSettings::Load(const Profile& profile) {
    AlwaysOverwrite = Flag(profile.ReadInt(kSettings, "AlwaysOverwrite", 0));
    DefaultFolder = profile.ReadString(kSettings, "DefaultFolder");
    AutoStart = Flag(profile.ReadInt(kSettings, "AutoStart", 1));
    AutoClose = Flag(profile.ReadInt(kSettings, "AutoClose", 0));
    AlwaysOnTop = Flag(profile.ReadInt(kSettings, "AlwaysOnTop", 0));
    Program = profile.ReadString(kSettings, "Program");

    RecentUrls.reset(new RecentList("Recent\\URLs", kRecentCapacity, RecentList::Match::Exact));
    RecentUrls->Load(profile);
    RecentFolders.reset(new RecentList("Recent\\Folders", kRecentCapacity, RecentList::Match::FolderPath));
    RecentFolders->Load(profile);
    return true;
}

void AppSettings::Save(const Profile& profile) {
    profile.WriteInt(kSettings, "AlwaysOverwrite", Flag(AlwaysOverwrite));
    profile.WriteString(kSettings, "DefaultFolder", DefaultFolder);
    profile.WriteInt(kSettings, "AutoStart", Flag(AutoStart));
    profile.WriteInt(kSettings, "AutoClose", Flag(AutoClose));
    profile.WriteInt(kSettings, "AlwaysOnTop", Flag(AlwaysOnTop));
    profile.WriteString(kSettings, "Program", Program);
    if (RecentUrls) {
        RecentUrls->Save(profile);
        RecentUrls.reset();
    }
    if (RecentFolders) {
        RecentFolders->Save(profile);
        RecentFolders.reset();
    }
}

std::string GetParentFolder(const std::string& path) {
    std::vector<char> copy(path.begin(), path.end());
    copy.push_back('\0');
    if (!PathRemoveFileSpecA(copy.data())) return std::string();
    return copy.data();
}
