#include "framework/Profile.h"
#include <shlwapi.h>
#include <vector>
#include "framework/Handles.h"

namespace {
// The key below the application key, made when missing; empty on failure.
RegKey OpenOrCreate(const std::string& appKey, const char* key) {
    if (appKey.empty()) return RegKey();
    std::string path = appKey;
    if (key && *key) path += std::string("\\") + key;
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return RegKey();
    return RegKey(opened);
}
}  // namespace

DWORD Profile::ReadInt(const char* key, const char* name, DWORD defaultValue) const {
    RegKey k = OpenOrCreate(appKey, key);
    if (!k) return defaultValue;
    DWORD type = 0, value = 0, size = sizeof(value);
    // Only a real DWORD counts: the bytes of a string or a short binary
    // value are not a number.
    if (RegQueryValueExA(k.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return defaultValue;
    return value;
}

std::string Profile::ReadString(const char* key, const char* name, const std::string& defaultValue) const {
    RegKey k = OpenOrCreate(appKey, key);
    if (!k) return defaultValue;
    // Another process may make the value longer between the size query and
    // the read: then it is read again at its new size.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(k.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return defaultValue;
        std::vector<char> data(size + 1, '\0');
        LONG read = RegQueryValueExA(k.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (read == ERROR_MORE_DATA) continue;
        if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return defaultValue;
        data[size] = '\0';  // stored data need not end in a zero
        return std::string(data.data());
    }
    return defaultValue;
}

bool Profile::WriteInt(const char* key, const char* name, DWORD value) const {
    RegKey k = OpenOrCreate(appKey, key);
    return k && RegSetValueExA(k.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
                    ERROR_SUCCESS;
}

bool Profile::WriteString(const char* key, const char* name, const std::string& value) const {
    RegKey k = OpenOrCreate(appKey, key);
    return k && RegSetValueExA(k.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

std::vector<std::string> Profile::ValueNames(const char* key) const {
    std::vector<std::string> names;
    RegKey k = OpenOrCreate(appKey, key);
    if (!k) return names;
    // Value names are at most 16,383 characters; in UTF-8 up to three bytes each.
    std::vector<char> name(16384 * 3);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        LONG result = RegEnumValueA(k.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS) names.emplace_back(name.data(), length);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) break;
    }
    return names;
}

bool Profile::DeleteValue(const char* key, const char* name) const {
    RegKey k = OpenOrCreate(appKey, key);
    return k && RegDeleteValueA(k.Get(), name) == ERROR_SUCCESS;
}

bool Profile::DeleteKey(const char* key) const {
    if (appKey.empty()) return false;
    std::string path = appKey;
    if (key && *key) path += std::string("\\") + key;
    return SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS;
}
