// A most-recent-first list of texts kept as values "1".."N" of one
// registry key below the application key. It remembers which texts this
// window added, so that they can be merged into the list as other windows
// have stored it meanwhile.
#pragma once
#include <string>
#include <vector>

class Profile;

class RecentList {
public:
    enum class Match { Exact, FolderPath };

    RecentList(const char* key, int capacity, Match match);

    void Load(const Profile& profile);
    // Writes the slots in place and then removes the values that are no
    // longer part of the list, so that a reader never finds it half written.
    void Save(const Profile& profile) const;
    void Add(const std::string& text);
    bool HasAdditions() const { return !added.empty(); }
    // The list as stored now with this window's additions put on top again,
    // in the order they were made; written, and taken as this list.
    void Merge(const Profile& profile);

    int Capacity() const { return static_cast<int>(entries.size()); }
    // Slot i (0 is the most recent); empty marks a free slot.
    const std::string& operator[](int i) const { return entries[i]; }

private:
    static std::string ToFullFolderPath(const std::string& text);
    // Puts a text (a full path already, for folders) at the front.
    void Put(const std::string& text);

    std::string key;
    Match match;
    std::vector<std::string> entries;
    std::vector<std::string> added;  // since the last merge, oldest first
};
