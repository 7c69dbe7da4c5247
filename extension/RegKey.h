// An open registry key that closes itself.
#pragma once

#include <windows.h>

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Both return a Win32 error code, like the calls they wrap.
    LONG OpenA(HKEY parent, const char* path, REGSAM access)
    {
        Close();
        return RegOpenKeyExA(parent, path, 0, access, &key);
    }
    LONG OpenW(HKEY parent, const wchar_t* path, REGSAM access)
    {
        Close();
        return RegOpenKeyExW(parent, path, 0, access, &key);
    }
    LONG CreateW(HKEY parent, const wchar_t* path, REGSAM access)
    {
        Close();
        return RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               access, nullptr, &key, nullptr);
    }

    HKEY Get() const { return key; }

    void Close()
    {
        if (key) {
            RegCloseKey(key);
            key = nullptr;
        }
    }

private:
    HKEY key = nullptr;
};
