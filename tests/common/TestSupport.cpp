#include "tests/common/TestSupport.h"
#include <shlwapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <wininet.h>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "app/FramehaulApp.h"

namespace testing_support {

FramehaulApp& App() {
    return FramehaulApp::Get();
}

void ClearAppKey() {
    SHDeleteKeyA(HKEY_CURRENT_USER, App().GetProfile().AppKey().c_str());
}

std::string AppInstallDir() {
    return App().GetInstallDir();
}

bool KeyExists(const std::string& path) {
    return ValueCount(path) >= 0;
}

bool ReadDword(const std::string& path, const char* name, DWORD* value) {
    DWORD type = 0, size = sizeof(*value);
    return SHGetValueA(HKEY_CURRENT_USER, path.c_str(), name, &type, value, &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
}

bool ReadString(const std::string& path, const char* name, std::string* value, DWORD* typeOut) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    bool ok = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    std::vector<char> data(size + 1, '\0');
    ok =
        ok && RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (!ok) return false;
    if (typeOut) *typeOut = type;
    *value = std::string(data.data());
    return true;
}

void WriteRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void WriteDword(const std::string& path, const char* name, DWORD value) {
    WriteRaw(path, name, REG_DWORD, &value, sizeof(value));
}

void WriteString(const std::string& path, const char* name, const std::string& value) {
    WriteRaw(path, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

int ValueCount(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return static_cast<int>(values);
}

std::string MakeTempFolder(const char* prefix) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        std::string path =
            std::string(temp) + prefix + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
        if (CreateDirectoryA(path.c_str(), nullptr)) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    }
}

void RemoveTree(const std::string& path) {
    if (path.size() < 4) return;
    std::string from = path + '\0';  // double-zero terminated
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

std::string ProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    PathRemoveFileSpecA(path);
    return path;
}

HGLOBAL MakeDropFiles(const std::vector<std::string>& names) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& name : names) size += name.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, size);
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* at = reinterpret_cast<char*>(drop + 1);
    for (const std::string& name : names) {
        std::memcpy(at, name.c_str(), name.size() + 1);
        at += name.size() + 1;
    }
    *at = '\0';
    GlobalUnlock(block);
    return block;
}

int SitePort() {
    char value[16] = "";
    if (!GetEnvironmentVariableA("FH_SITE_PORT", value, sizeof(value))) return 0;
    return atoi(value);
}

namespace {
const char* const kInternetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
}

SiteProxy::SiteProxy() {
    hadEnable = ReadDword(kInternetSettings, "ProxyEnable", &enable);
    hadServer = ReadString(kInternetSettings, "ProxyServer", &server);
    WriteDword(kInternetSettings, "ProxyEnable", 1);
    WriteString(kInternetSettings, "ProxyServer", "127.0.0.1:" + std::to_string(SitePort()));
}

SiteProxy::~SiteProxy() {
    if (hadEnable)
        WriteDword(kInternetSettings, "ProxyEnable", enable);
    else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable");
    if (hadServer)
        WriteString(kInternetSettings, "ProxyServer", server);
    else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer");
}

std::string ProxyOfNewSession() {
    HINTERNET session = InternetOpenA("probe", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    char buffer[4096] = {};
    DWORD size = sizeof(buffer);
    std::string proxy;
    if (session && InternetQueryOptionA(session, INTERNET_OPTION_PROXY, buffer, &size)) {
        auto* info = reinterpret_cast<INTERNET_PROXY_INFO*>(buffer);
        if (info->dwAccessType == INTERNET_OPEN_TYPE_PROXY && info->lpszProxy)
            proxy = reinterpret_cast<const char*>(info->lpszProxy);
    }
    if (session) InternetCloseHandle(session);
    return proxy;
}

bool SiteProxyInEffect() {
    return SitePort() != 0 && ProxyOfNewSession() == "127.0.0.1:" + std::to_string(SitePort());
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::wstring> NamesOnDisk(const std::string& folder) {
    std::wstring wide(folder.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, &wide[0], static_cast<int>(wide.size())));
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((wide.c_str() + std::wstring(L"\\*")).c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0) names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
}

std::string WindowText(HWND window) {
    char text[2048] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return text;
}

int ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

// GetProcessHandleCount fails under Wine; the system's list of every
// process's handles (SystemHandleInformation) is there on both.
DWORD KernelHandleCount() {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        void* object;
        ULONG access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    const ULONG kSystemHandleInformation = 16;
    std::vector<char> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const Table* table = reinterpret_cast<const Table*>(buffer.data());
            DWORD count = 0;
            for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].ownerPid == GetCurrentProcessId();
            return count;
        }
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
    }
    return 0;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

namespace {
struct DialogSearch {
    const std::function<bool(HWND)>* match;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK VisitDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof(cls));
    if (pid != search->processId || !IsWindowVisible(window) || lstrcmpA(cls, "#32770") != 0 ||
        !(*search->match)(window))
        return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

HWND FindDialog(const std::function<bool(HWND)>& match, DWORD processId) {
    DialogSearch search{&match, processId ? processId : GetCurrentProcessId(), nullptr};
    EnumWindows(VisitDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindDialog(match)) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForDialog(const std::string& caption, DWORD timeoutMs) {
    return WaitForDialog([&](HWND window) { return WindowText(window) == caption; }, timeoutMs);
}

}  // namespace testing_support
