#include "extension/ServerRegistration.h"

#include "framework/Handles.h"

#include <oleauto.h>

#include <cwchar>

#define FH_CLSID            L"{5E2C7B10-94D3-4F6A-B8E1-2A7C9D0F3B46}"
#define FH_LIBID            L"{8B41D2E7-3C95-4A06-9F28-E17B5C3A0D92}"
#define FH_CLASS_KEY        L"CLSID\\" FH_CLSID
#define FH_TYPELIB_LCID_KEY L"TypeLib\\" FH_LIBID L"\\1.0\\0"

namespace {

// {8B41D2E7-3C95-4A06-9F28-E17B5C3A0D92}
const GUID TypeLibraryId = {0x8b41d2e7, 0x3c95, 0x4a06, {0x9f, 0x28, 0xe1, 0x7b, 0x5c, 0x3a, 0x0d, 0x92}};

#ifdef _WIN64
const REGSAM OwnView = KEY_WOW64_64KEY;
const REGSAM OtherView = KEY_WOW64_32KEY;
const wchar_t* const OwnPlatform = L"win64";
const wchar_t* const OtherPlatform = L"win32";
const SYSKIND OwnSysKind = SYS_WIN64;
#else
// On a 32-bit system the 64-bit view is simply the only one.
const REGSAM OwnView = KEY_WOW64_32KEY;
const REGSAM OtherView = KEY_WOW64_64KEY;
const wchar_t* const OwnPlatform = L"win32";
const wchar_t* const OtherPlatform = L"win64";
const SYSKIND OwnSysKind = SYS_WIN32;
#endif

struct Entry {
    const wchar_t* key;   // below HKEY_CLASSES_ROOT
    const wchar_t* name;  // nullptr: the default value
    const wchar_t* data;  // nullptr: the key only
};

const Entry ProgIdEntries[] = {
    {L"Framehaul.IE.1", nullptr, L"FramehaulIE Class"},    {L"Framehaul.IE.1\\CLSID", nullptr, FH_CLSID},
    {L"Framehaul.IE", nullptr, L"FramehaulIE Class"},      {L"Framehaul.IE\\CLSID", nullptr, FH_CLSID},
    {L"Framehaul.IE\\CurVer", nullptr, L"Framehaul.IE.1"},
};

// Leaves before their keys: removal walks this list from the front.
const wchar_t* const ProgIdKeys[] = {
    L"Framehaul.IE.1\\CLSID", L"Framehaul.IE.1", L"Framehaul.IE\\CLSID", L"Framehaul.IE\\CurVer", L"Framehaul.IE",
};

// The InprocServer32 default value, the module path, is added at run time.
const Entry ClassEntries[] = {
    {FH_CLASS_KEY, nullptr, L"FramehaulIE Class"},
    {FH_CLASS_KEY L"\\ProgID", nullptr, L"Framehaul.IE.1"},
    {FH_CLASS_KEY L"\\VersionIndependentProgID", nullptr, L"Framehaul.IE"},
    {FH_CLASS_KEY L"\\Programmable", nullptr, nullptr},
    {FH_CLASS_KEY L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {FH_CLASS_KEY L"\\TypeLib", nullptr, FH_LIBID},
};

HRESULT WriteEntry(const Entry& entry, REGSAM view) {
    RegKey key;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | view,
                              nullptr, key.Put(), nullptr);
    if (rc == ERROR_SUCCESS && entry.data) {
        DWORD bytes = static_cast<DWORD>((std::wcslen(entry.data) + 1) * sizeof(wchar_t));
        rc = RegSetValueExW(key.Get(), entry.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.data), bytes);
    }
    return HRESULT_FROM_WIN32(rc);
}

template <size_t N>
HRESULT WriteEntries(const Entry (&entries)[N], REGSAM view) {
    for (const Entry& entry : entries) {
        HRESULT hr = WriteEntry(entry, view);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

bool KeyExists(const wchar_t* path, REGSAM view) {
    RegKey key;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ | view, key.Put()) == ERROR_SUCCESS;
}

// The class key goes with everything below it, whoever added it.
void DeleteClassKey() {
    RegKey classes;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ALL_ACCESS | OwnView, classes.Put()) == ERROR_SUCCESS)
        RegDeleteTreeW(classes.Get(), FH_CLSID);
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

HRESULT RegisterTypeLibrary(const std::wstring& modulePath) {
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.Put());
    if (FAILED(hr)) return hr;
    std::wstring helpFolder = FolderOf(modulePath);
    return RegisterTypeLib(library.Get(), const_cast<wchar_t*>(modulePath.c_str()),
                           helpFolder.empty() ? nullptr : &helpFolder[0]);
}

// Windows keeps one TypeLib key for both views, with a "win32" and a "win64"
// entry. UnRegisterTypeLib would take the interface entries the other build
// still needs, so while the other build is registered only our own entry
// goes; the last build to leave removes the rest.
void UnregisterTypeLibrary() {
    std::wstring lcidKey = FH_TYPELIB_LCID_KEY;
    if (KeyExists((lcidKey + L"\\" + OtherPlatform).c_str(), OwnView)) {
        RegDeleteKeyExW(HKEY_CLASSES_ROOT, (lcidKey + L"\\" + OwnPlatform).c_str(), OwnView, 0);
        return;
    }
    // Fails harmlessly when nothing is registered.
    UnRegisterTypeLib(TypeLibraryId, 1, 0, LOCALE_NEUTRAL, OwnSysKind);
}

}  // namespace

HRESULT ServerRegistration::Register(const std::wstring& modulePath) {
    if (modulePath.empty()) return E_UNEXPECTED;
    DeleteClassKey();
    HRESULT hr = WriteEntries(ProgIdEntries, OwnView);
    if (SUCCEEDED(hr)) hr = WriteEntries(ClassEntries, OwnView);
    if (SUCCEEDED(hr)) hr = WriteEntry({FH_CLASS_KEY L"\\InprocServer32", nullptr, modulePath.c_str()}, OwnView);
    if (SUCCEEDED(hr)) hr = RegisterTypeLibrary(modulePath);
    return hr;
}

HRESULT ServerRegistration::Unregister() {
    DeleteClassKey();
    for (const wchar_t* key : ProgIdKeys) RegDeleteKeyExW(HKEY_CLASSES_ROOT, key, OwnView, 0);
    // Windows shares the ProgID keys between the views: when the other
    // build is still registered, they must stay for it.
    if (KeyExists(FH_CLASS_KEY, OtherView)) WriteEntries(ProgIdEntries, OtherView);
    UnregisterTypeLibrary();
    return S_OK;
}
