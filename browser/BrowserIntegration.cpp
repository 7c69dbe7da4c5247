#include "browser/BrowserIntegration.h"
#include <windows.h>
#include <shellapi.h>
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

// A registry key closed when it goes out of scope.
class Key {
public:
    ~Key() { if (key) RegCloseKey(key); }
    bool Open(HKEY root, const std::string& path, REGSAM access) {
        return RegOpenKeyExA(root, path.c_str(), 0, access, &key) == ERROR_SUCCESS;
    }
    bool Create(HKEY root, const std::string& path) {
        return RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
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
    bool DeleteSubKey(const char* name) { return RegDeleteKeyA(key, name) == ERROR_SUCCESS; }

private:
    HKEY key = nullptr;
};

std::string InstallFile(const char* name) {
    return FramehaulApp::Get().GetInstallDir() + "\\" + name;
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
bool WriteValues(std::initializer_list<std::pair<const char*, std::string>> values) {
    Key key;
    if (!key.Create(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey)) return false;
    for (const auto& value : values)
        if (!key.SetString(value.first, value.second)) return false;
    return true;
}

// Deletes the values in order, stopping at the first failure.
bool DeleteValues(std::initializer_list<const char*> names) {
    Key key;
    if (!key.Open(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, KEY_WRITE)) return false;
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
    Key forButton;
    *toolbarButton = forButton.Open(HKEY_LOCAL_MACHINE, kExtensionKey, KEY_QUERY_VALUE) &&
                     forButton.CanRead("CLSID") && forButton.CanRead("ButtonText");
    Key forMenu;
    *toolsMenu = forMenu.Open(HKEY_LOCAL_MACHINE, kExtensionKey, KEY_QUERY_VALUE) &&
                 forMenu.CanRead("CLSID") && forMenu.CanRead("MenuText");
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
    ok = WriteToolbarButton(toolbarButton != 0) && ok;
    ok = WriteToolsMenu(toolsMenu != 0) && ok;
    ok = WriteKeyLevel(toolbarButton || toolsMenu) && ok;
    ok = (registerModule ? RegisterModule() : true) && ok;
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

bool BrowserIntegration::WriteToolbarButton(bool set) {
    if (set) {
        std::string module = InstallFile(moduleName.c_str());
        return WriteValues({{"Default Visible", "Yes"}, {"ButtonText", "Download Video"},
                            {"HotIcon", module + ",202"}, {"Icon", module + ",201"}});
    }
    return DeleteValues({"Default Visible", "ButtonText", "HotIcon", "Icon"});
}

bool BrowserIntegration::WriteToolsMenu(bool set) {
    if (set)
        return WriteValues({{"MenuCustomize", "Tools"}, {"MenuText", "Download Video on This Page"},
                            {"MenuStatusBar", "Download video on this web page using Framehaul"}});
    return DeleteValues({"MenuCustomize", "MenuText", "MenuStatusBar"});
}

bool BrowserIntegration::WriteKeyLevel(bool set) {
    if (set)
        return WriteValues({{nullptr, "Framehaul"}, {"CLSID", kScriptExtensionClass},
                            {"Script", InstallFile("SnagbarPage.html")}});
    Key extensions;
    return extensions.Open(HKEY_LOCAL_MACHINE, kExtensionsParent, KEY_WRITE) &&
           extensions.DeleteSubKey(kExtensionId);
}

bool BrowserIntegration::RegisterModule() {
    std::string arguments = "/s /c \"" + InstallFile(moduleName.c_str()) + "\"";
    HINSTANCE started = ShellExecuteA(nullptr, nullptr, "regsvr32.exe", arguments.c_str(), nullptr, SW_HIDE);
    return reinterpret_cast<INT_PTR>(started) > 32;
}
