#include "settings/AppSettings.h"
#include <windows.h>
#include <shlwapi.h>
#include <vector>
#include "framework/Profile.h"
#include "settings/SettingsLock.h"

namespace {
const char* const kSettings = "Settings";
int Flag(DWORD value) {
    return value != 0 ? 1 : 0;
}
}  // namespace

bool AppSettings::Load(const Profile& profile) {
    {
        CriticalSectionLock hold(lock);
        changed = 0;
    }
    AlwaysOverwrite = Flag(profile.ReadInt(kSettings, "AlwaysOverwrite", 0));
    ReadWindowPreferences(profile);
    RecentUrls.reset(new RecentList("Recent\\URLs", kRecentCapacity, RecentList::Match::Exact));
    RecentUrls->Load(profile);
    RecentFolders.reset(new RecentList("Recent\\Folders", kRecentCapacity, RecentList::Match::FolderPath));
    RecentFolders->Load(profile);
    return true;
}

void AppSettings::MarkChanged(unsigned what) {
    CriticalSectionLock hold(lock);
    changed |= what;
}

void AppSettings::SetAlwaysOverwrite(int value) {
    CriticalSectionLock hold(lock);
    AlwaysOverwrite = Flag(value);
    changed |= ChangedAlwaysOverwrite;
}

void AppSettings::SetDefaultFolder(const std::string& value) {
    DefaultFolder = value;
    MarkChanged(ChangedDefaultFolder);
}

void AppSettings::SetAutoStart(int value) {
    AutoStart = Flag(value);
    MarkChanged(ChangedAutoStart);
}

void AppSettings::SetAutoClose(int value) {
    AutoClose = Flag(value);
    MarkChanged(ChangedAutoClose);
}

void AppSettings::SetAlwaysOnTop(int value) {
    AlwaysOnTop = Flag(value);
    MarkChanged(ChangedAlwaysOnTop);
}

void AppSettings::SetProgram(const std::string& value) {
    Program = value;
    MarkChanged(ChangedProgram);
}

bool AppSettings::HasChanges() {
    {
        CriticalSectionLock hold(lock);
        if (changed) return true;
    }
    return (RecentUrls && RecentUrls->HasAdditions()) || (RecentFolders && RecentFolders->HasAdditions());
}

// Each flag as 1 or 0; texts even when empty.
void AppSettings::WriteChanged(const Profile& profile, unsigned what) {
    if (what & ChangedAlwaysOverwrite) profile.WriteInt(kSettings, "AlwaysOverwrite", Flag(AlwaysOverwrite));
    if (what & ChangedDefaultFolder) profile.WriteString(kSettings, "DefaultFolder", DefaultFolder);
    if (what & ChangedAutoStart) profile.WriteInt(kSettings, "AutoStart", Flag(AutoStart));
    if (what & ChangedAutoClose) profile.WriteInt(kSettings, "AutoClose", Flag(AutoClose));
    if (what & ChangedAlwaysOnTop) profile.WriteInt(kSettings, "AlwaysOnTop", Flag(AlwaysOnTop));
    if (what & ChangedProgram) profile.WriteString(kSettings, "Program", Program);
}

void AppSettings::Save(const Profile& profile) {
    if (!HasChanges()) return;
    SettingsLock shared(profile.AppKey());
    // The worker may tick "always overwrite" meanwhile: its change then
    // stays marked for the next save.
    unsigned mine;
    {
        CriticalSectionLock hold(lock);
        mine = changed;
        changed = 0;
        WriteChanged(profile, mine & ChangedAlwaysOverwrite);
    }
    WriteChanged(profile, mine & ~ChangedAlwaysOverwrite);
    for (RecentList* list : {RecentUrls.get(), RecentFolders.get()})
        if (list) list->Merge(profile);
    // Memory now starts from what is stored, other windows' changes included.
    {
        CriticalSectionLock hold(lock);
        if (!(changed & ChangedAlwaysOverwrite))
            AlwaysOverwrite = Flag(profile.ReadInt(kSettings, "AlwaysOverwrite", 0));
    }
    ReadWindowPreferences(profile);
}

void AppSettings::ReadWindowPreferences(const Profile& profile) {
    DefaultFolder = profile.ReadString(kSettings, "DefaultFolder");
    AutoStart = Flag(profile.ReadInt(kSettings, "AutoStart", 1));
    AutoClose = Flag(profile.ReadInt(kSettings, "AutoClose", 0));
    AlwaysOnTop = Flag(profile.ReadInt(kSettings, "AlwaysOnTop", 0));
    Program = profile.ReadString(kSettings, "Program");
}

std::string GetParentFolder(const std::string& path) {
    std::vector<char> copy(path.begin(), path.end());
    copy.push_back('\0');
    if (!PathRemoveFileSpecA(copy.data())) return std::string();
    return copy.data();
}
