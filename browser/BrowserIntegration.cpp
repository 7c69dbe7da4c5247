#include "browser/BrowserIntegration.h"
#include <windows.h>
#include <shellapi.h>
#include <vector>
#include "app/FramehaulApp.h"

const char* const BrowserIntegration::kExtensionKey =
    "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{5E2C7B10-94D3-4F6A-B8E1-2A7C9D0F3B46}";
const char* const BrowserIntegration::kMenuExtKey = "Software\\Microsoft\\Internet Explorer\\MenuExt";
const char* const BrowserIntegration::kPageMenuItem = "Download Video on This Page";
const char* const BrowserIntegration::kLinkMenuItem = "Download Video This Links To";

namespace {

const char* const kExtensionsParent = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
const char* const kExtensionId = "{5E2C7B10-94D3-4F6A-B8E1-2A7C9D0F3B46}";
const char* const kScriptExtensionClass = "{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}";

// A registry key closed when it goes out of scope. A view of 0 is the
// process's own; KEY_WOW64_32KEY or KEY_WOW64_64KEY pick one on 64-bit Windows.
class Key {
public:
    ~Key() { if (key) RegCloseKey(key); }
    bool Open(HKEY root, const std::string& path, REGSAM access, REGSAM view = 0) {
        return RegOpenKeyExA(root, path.c_str(), 0, access | view, &key) == ERROR_SUCCESS;
    }
    bool Create(HKEY root, const std::string& path, REGSAM view = 0) {
        return RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view,
                               nullptr, &key, nullptr) == ERROR_SUCCESS;
    }
    bool SetString(const char* name, const std::string& value) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              lstrlenA(value.c_str()) + 1) == ERROR_SUCCESS;
    }
    bool SetDword(const char* name, DWORD value) {
        return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof(value)) == ERROR_SUCCESS;
    }
    bool CanRead(const char* name) {
        char buffer[1023];
        DWORD size = sizeof(buffer);
        return RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
    }
    bool DeleteValue(const char* name) { return RegDeleteValueA(key, name) == ERROR_SUCCESS; }
    // RegDeleteKeyA would look for the subkey in the process's own view.
    bool DeleteSubKey(const char* name, REGSAM view = 0) {
        LONG result = view ? RegDeleteKeyExA(key, name, view, 0) : RegDeleteKeyA(key, name);
        return result == ERROR_SUCCESS;
    }

private:
    HKEY key = nullptr;
};

std::string InstallFile(const char* name) {
    return FramehaulApp::Get().GetInstallDir() + "\\" + name;
}

bool IsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The machine-wide entries go into every registry view a browser reads:
// on 64-bit Windows the 32-bit and the 64-bit Internet Explorer each read
// their own. On 32-bit Windows there is one view, the process's own.
std::vector<REGSAM> MachineViews() {
    if (IsWow64()) return {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
    return {0};
}

// True when E, in that view, holds "CLSID" and the entry's own value.
bool HasEntry(REGSAM view, const char* value) {
    Key key;
    return key.Open(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, KEY_QUERY_VALUE, view) &&
           key.CanRead("CLSID") && key.CanRead(value);
}

// An entry counts as present only when every browser gets it.
int InEveryView(const char* value) {
    for (REGSAM view : MachineViews())
        if (!HasEntry(view, value)) return 0;
    return 1;
}

bool StartRegsvr32(const std::string& program, const std::string& module) {
    std::string arguments = "/s /c \"" + module + "\"";
    HINSTANCE started = ShellExecuteA(nullptr, nullptr, program.c_str(), arguments.c_str(), nullptr, SW_HIDE);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

// The 64-bit regsvr32 as a 32-bit process reaches it: "System32" would be
// redirected to the 32-bit one.
std::string NativeRegsvr32() {
    char windows[MAX_PATH] = "";
    GetSystemWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\Sysnative\\regsvr32.exe";
}

std::string MenuItemKey(const char* item) {
    return std::string(BrowserIntegration::kMenuExtKey) + "\\" + item;
}

bool WriteMenuItem(const char* item, const std::string& script, DWORD contexts) {
    Key key;
    return key.Create(HKEY_CURRENT_USER, MenuItemKey(item)) && key.SetString(nullptr, script) &&
           key.SetDword("Contexts", contexts);
}

// Writes the values in order, stopping at the first failure.
bool WriteValues(REGSAM view, std::initializer_list<std::pair<const char*, std::string>> values) {
    Key key;
    if (!key.Create(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, view)) return false;
    for (const auto& value : values)
        if (!key.SetString(value.first, value.second)) return false;
    return true;
}

// Deletes the values in order, stopping at the first failure.
bool DeleteValues(REGSAM view, std::initializer_list<const char*> names) {
    Key key;
    if (!key.Open(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, KEY_WRITE, view)) return false;
    for (const char* name : names)
        if (!key.DeleteValue(name)) return false;
    return true;
}

}  // namespace

BrowserIntegration::BrowserIntegration() : moduleName("Snagbar.dll") {}

BrowserIntegration::IntegrationState BrowserIntegration::QueryState(int* contextMenu, int* toolbarButton,
                                                                    int* toolsMenu) {
    Key page, link;
    *contextMenu = page.Open(HKEY_CURRENT_USER, MenuItemKey(kPageMenuItem), KEY_READ) &&
                   link.Open(HKEY_CURRENT_USER, MenuItemKey(kLinkMenuItem), KEY_READ);
    *toolbarButton = InEveryView("ButtonText");
    *toolsMenu = InEveryView("MenuText");
    if (*contextMenu) return *toolbarButton && *toolsMenu ? Full : Partial;
    return *toolbarButton || *toolsMenu ? Partial : None;
}

bool BrowserIntegration::Apply(int enable, int contextMenu, int toolbarButton, int toolsMenu) {
    if (enable) return WriteEntries(1, contextMenu, toolbarButton, toolsMenu);
    return WriteEntries(0, 0, 0, 0);
}

bool BrowserIntegration::WriteEntries(int registerModule, int contextMenu, int toolbarButton, int toolsMenu) {
    // Every step runs, whatever the ones before it did.
    bool ok = WriteContextMenu(contextMenu != 0);
    for (REGSAM view : MachineViews()) {
        ok = WriteToolbarButton(toolbarButton != 0, view) && ok;
        ok = WriteToolsMenu(toolsMenu != 0, view) && ok;
        ok = WriteKeyLevel(toolbarButton || toolsMenu, view) && ok;
    }
    ok = (registerModule ? RegisterModules() : true) && ok;
    return ok;
}

bool BrowserIntegration::WriteContextMenu(bool set) {
    if (set) {
        bool page = WriteMenuItem(kPageMenuItem, InstallFile("SnagbarPage.html"), 0x7F);
        bool link = WriteMenuItem(kLinkMenuItem, InstallFile("SnagbarLink.html"), 0x20);
        return page && link;
    }
    Key menuExt;
    if (!menuExt.Open(HKEY_CURRENT_USER, kMenuExtKey, KEY_WRITE)) return false;
    return menuExt.DeleteSubKey(kPageMenuItem) && menuExt.DeleteSubKey(kLinkMenuItem);
}

bool BrowserIntegration::WriteToolbarButton(bool set, REGSAM view) {
    if (set) {
        std::string module = InstallFile(moduleName.c_str());
        return WriteValues(view, {{"Default Visible", "Yes"}, {"ButtonText", "Download Video"},
                                  {"HotIcon", module + ",202"}, {"Icon", module + ",201"}});
    }
    return DeleteValues(view, {"Default Visible", "ButtonText", "HotIcon", "Icon"});
}

bool BrowserIntegration::WriteToolsMenu(bool set, REGSAM view) {
    if (set)
        return WriteValues(view, {{"MenuCustomize", "Tools"}, {"MenuText", "Download Video on This Page"},
                                  {"MenuStatusBar", "Download video on this web page using Framehaul"}});
    return DeleteValues(view, {"MenuCustomize", "MenuText", "MenuStatusBar"});
}

bool BrowserIntegration::WriteKeyLevel(bool set, REGSAM view) {
    if (set)
        return WriteValues(view, {{nullptr, "Framehaul"}, {"CLSID", kScriptExtensionClass},
                                  {"Script", InstallFile("SnagbarPage.html")}});
    Key extensions;
    return extensions.Open(HKEY_LOCAL_MACHINE, kExtensionsParent, KEY_WRITE, view) &&
           extensions.DeleteSubKey(kExtensionId, view);
}

// A 64-bit browser can only load the 64-bit build of the module, which the
// install folder holds as x64\Snagbar.dll; only the 64-bit regsvr32 can
// register it.
bool BrowserIntegration::RegisterModules() {
    bool ok = StartRegsvr32("regsvr32.exe", InstallFile(moduleName.c_str()));
    if (IsWow64()) ok = StartRegsvr32(NativeRegsvr32(), InstallFile(("x64\\" + moduleName).c_str())) && ok;
    return ok;
}
