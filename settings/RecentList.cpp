#include "settings/RecentList.h"
#include "framework/CodePage.h"
#include "framework/Profile.h"
#include <windows.h>
#include <shlwapi.h>
#include <algorithm>

RecentList::RecentList(const char* keyName, int capacity, Match matchRule)
    : key(keyName), match(matchRule), entries(std::max(capacity, 1)) {}

void RecentList::Load(const Profile& profile) {
    for (int k = 1; k <= Capacity(); ++k) entries[k - 1] = profile.ReadString(key.c_str(), std::to_string(k).c_str());
}

void RecentList::Save(const Profile& profile) const {
    std::vector<std::string> written;
    for (int k = 1; k <= Capacity(); ++k) {
        if (entries[k - 1].empty()) continue;
        written.push_back(std::to_string(k));
        profile.WriteString(key.c_str(), written.back().c_str(), entries[k - 1]);
    }
    // Values other than the list's own do not survive either.
    for (const std::string& name : profile.ValueNames(key.c_str()))
        if (std::find(written.begin(), written.end(), name) == written.end())
            profile.DeleteValue(key.c_str(), name.c_str());
}

void RecentList::Merge(const Profile& profile) {
    if (added.empty()) {
        Load(profile);
        return;
    }
    RecentList stored(key.c_str(), Capacity(), match);
    stored.Load(profile);
    for (const std::string& text : added) stored.Put(text);
    stored.Save(profile);
    entries = stored.entries;
    added.clear();
}

std::string RecentList::ToFullFolderPath(const std::string& text) {
    // Room for MAX_PATH characters of the ANSI code page, three bytes each
    // in UTF-8.
    char full[3 * MAX_PATH];
    char* filePart = nullptr;
    DWORD length = GetFullPathNameA(text.c_str(), sizeof(full), full, &filePart);
    if (length == 0 || length >= sizeof(full) || ToWide(std::string(full, length), CP_ACP).size() >= MAX_PATH)
        return CutToUnits(text, MAX_PATH - 1);
    std::string path(full, length);

    char root[MAX_PATH];
    lstrcpynA(root, path.c_str(), MAX_PATH);
    DWORD flags = 0;
    if (!PathStripToRootA(root) || !GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return path;
    if (!(flags & FILE_CASE_PRESERVED_NAMES)) {
        CharUpperBuffA(&path[0], static_cast<DWORD>(path.size()));
    } else if (!(flags & FILE_UNICODE_ON_DISK)) {
        // The file system's own spelling of the last component.
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(path.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            size_t last = path.size() - std::string(PathFindFileNameA(path.c_str())).size();
            path = path.substr(0, last) + found.cFileName;
        }
    }
    return path;
}

void RecentList::Add(const std::string& input) {
    std::string text = match == Match::FolderPath ? ToFullFolderPath(input) : input;
    Put(text);
    added.push_back(text);
}

void RecentList::Put(const std::string& text) {
    int last = Capacity() - 1;
    int found = last;
    for (int i = 0; i < last; ++i) {
        bool same = match == Match::FolderPath ? lstrcmpiA(entries[i].c_str(), text.c_str()) == 0 : entries[i] == text;
        if (same) {
            found = i;
            break;
        }
    }
    for (int i = found; i > 0; --i) entries[i] = entries[i - 1];
    entries[0] = text;
}
