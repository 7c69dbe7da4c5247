// A most-recent-first list of texts kept as values "1".."N" of one
// registry key below the application key.
#pragma once
#include <string>
#include <vector>

class Profile;

class RecentList {
public:
    enum class Match { Exact, FolderPath };

    RecentList(const char* key, int capacity, Match match);

    void Load(const Profile& profile);
    void Save(const Profile& profile) const;
    void Add(const std::string& text);

    int Capacity() const { return static_cast<int>(entries.size()); }
    // Slot i (0 is the most recent); empty marks a free slot.
    const std::string& operator[](int i) const { return entries[i]; }

private:
    static std::string ToFullFolderPath(const std::string& text);

    std::string key;
    Match match;
    std::vector<std::string> entries;
};
