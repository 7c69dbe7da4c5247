// The user's preferences and the two recent lists. Loaded from the registry
// at start-up; what this window changes is kept apart and merged into what
// is stored at the moments that matter, so that the many windows a user has
// open at once (each link from the browser is a process of its own) never
// undo each other.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include "framework/CriticalSection.h"
#include "settings/RecentList.h"

class Profile;

class AppSettings {
public:
    // Read by the download worker as well as the window thread; change them
    // through the setters, which remember the change for the next Save.
    std::atomic<int> AlwaysOverwrite{0};
    std::string DefaultFolder;
    int AutoStart = 1;
    int AutoClose = 0;
    int AlwaysOnTop = 0;
    std::string Program;
    std::unique_ptr<RecentList> RecentUrls;
    std::unique_ptr<RecentList> RecentFolders;

    bool Load(const Profile& profile);

    // May be called on the download worker (the file-exists dialog).
    void SetAlwaysOverwrite(int value);
    void SetDefaultFolder(const std::string& value);
    void SetAutoStart(int value);
    void SetAutoClose(int value);
    void SetAlwaysOnTop(int value);
    void SetProgram(const std::string& value);

    // Merges what this window changed (its changed preferences, the entries
    // it added to the lists) into what is stored now, under a lock that every
    // process of the user shares, and takes the result as its own. Writes
    // nothing when nothing changed. Window thread.
    void Save(const Profile& profile);

    static constexpr int kRecentCapacity = 20;

private:
    enum Changed : unsigned {
        ChangedAlwaysOverwrite = 1,
        ChangedDefaultFolder = 2,
        ChangedAutoStart = 4,
        ChangedAutoClose = 8,
        ChangedAlwaysOnTop = 16,
        ChangedProgram = 32,
    };
    void MarkChanged(unsigned what);
    bool HasChanges();
    void WriteChanged(const Profile& profile, unsigned what);
    // Every preference but AlwaysOverwrite, which the worker shares.
    void ReadWindowPreferences(const Profile& profile);

    // Guards `changed` and AlwaysOverwrite's change between the threads.
    CriticalSection lock;
    unsigned changed = 0;
};

// The path without its last component (PathRemoveFileSpecA rules: no final
// backslash except on a drive root); empty when nothing could be removed.
// Paths of any length are handled.
std::string GetParentFolder(const std::string& path);
