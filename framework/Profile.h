// Registry-backed settings below HKEY_CURRENT_USER\<application key>.
// Failures are never reported: reads fall back to their defaults and
// failed writes are dropped. An empty key name is the application key.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class Profile {
public:
    void SetAppKey(const std::string& path) { appKey = path; }
    const std::string& AppKey() const { return appKey; }

    DWORD ReadInt(const char* key, const char* name, DWORD defaultValue) const;
    std::string ReadString(const char* key, const char* name, const std::string& defaultValue = std::string()) const;
    bool WriteInt(const char* key, const char* name, DWORD value) const;
    bool WriteString(const char* key, const char* name, const std::string& value) const;
    // The names of the key's values (none when it cannot be opened).
    std::vector<std::string> ValueNames(const char* key) const;
    bool DeleteValue(const char* key, const char* name) const;
    // Deletes the key and everything below it.
    bool DeleteKey(const char* key) const;

private:
    std::string appKey;
};
