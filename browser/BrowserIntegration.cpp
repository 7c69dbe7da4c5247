#include "browser/BrowserIntegration.h"
#include <windows.h>
#include <shellapi.h>
#include <vector>
#include "app/FramehaulApp.h"

// The entries' keys and values live in one table that the setup program's
// build reads too.
#define FH_IE_MENU_EXT(key) const char* const BrowserIntegration::kMenuExtKey = key;
#define FH_IE_MENU_ITEM(id, item, page, contexts) const char* const BrowserIntegration::k##id##MenuItem = item;
#define FH_IE_EXTENSION(parent, id) const char* const BrowserIntegration::kExtensionKey = parent "\\" id;
#include "browser/IeEntryTable.inc"

namespace {

#define FH_IE_MODULE(file) const char* const kModuleName = file;
#define FH_IE_EXTENSION(parent, id) const char* const kExtensionsParent = parent; const char* const kExtensionId = id;
#include "browser/IeEntryTable.inc"

struct MenuItem {
    const char* item;
    const char* page;
    DWORD contexts;
};
const MenuItem kMenuItems[] = {
#define FH_IE_MENU_ITEM(id, item, page, contexts) {item, page, contexts},
#include "browser/IeEntryTable.inc"
};

enum class Part { ToolbarButton, ToolsMenu, KeyLevel };
enum class Data { Text, InstallFile, Module };
struct ExtensionValue {
    Part part;
    const char* name;
    Data kind;
    const char* data;
};
const ExtensionValue kExtensionValues[] = {
#define FH_IE_EXTENSION_VALUE(part, name, kind, data) {Part::part, name, Data::kind, data},
#include "browser/IeEntryTable.inc"
};

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

// One part's values in table order, with their data for this install folder.
std::vector<std::pair<const char*, std::string>> PartValues(Part part, const std::string& module) {
    std::vector<std::pair<const char*, std::string>> values;
    for (const ExtensionValue& value : kExtensionValues) {
        if (value.part != part) continue;
        std::string data = value.data;
        if (value.kind == Data::InstallFile) data = InstallFile(value.data);
        if (value.kind == Data::Module) data = InstallFile(module.c_str()) + value.data;
        values.emplace_back(value.name, data);
    }
    return values;
}

std::vector<const char*> PartNames(Part part) {
    std::vector<const char*> names;
    for (const ExtensionValue& value : kExtensionValues)
        if (value.part == part) names.push_back(value.name);
    return names;
}

// Writes the values in order, stopping at the first failure.
bool WriteValues(const std::vector<std::pair<const char*, std::string>>& values) {
    Key key;
    if (!key.Create(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey)) return false;
    for (const auto& value : values)
        if (!key.SetString(value.first, value.second)) return false;
    return true;
}

// Deletes the values in order, stopping at the first failure.
bool DeleteValues(const std::vector<const char*>& names) {
    Key key;
    if (!key.Open(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, KEY_WRITE)) return false;
    for (const char* name : names)
        if (!key.DeleteValue(name)) return false;
    return true;
}

}  // namespace

BrowserIntegration::BrowserIntegration() : moduleName(kModuleName) {}

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
        bool ok = true;
        for (const MenuItem& item : kMenuItems)
            ok = WriteMenuItem(item.item, InstallFile(item.page), item.contexts) && ok;
        return ok;
    }
    Key menuExt;
    if (!menuExt.Open(HKEY_CURRENT_USER, kMenuExtKey, KEY_WRITE)) return false;
    for (const MenuItem& item : kMenuItems)
        if (!menuExt.DeleteSubKey(item.item)) return false;
    return true;
}

bool BrowserIntegration::WriteToolbarButton(bool set) {
    if (set) return WriteValues(PartValues(Part::ToolbarButton, moduleName));
    return DeleteValues(PartNames(Part::ToolbarButton));
}

bool BrowserIntegration::WriteToolsMenu(bool set) {
    if (set) return WriteValues(PartValues(Part::ToolsMenu, moduleName));
    return DeleteValues(PartNames(Part::ToolsMenu));
}

bool BrowserIntegration::WriteKeyLevel(bool set) {
    if (set) return WriteValues(PartValues(Part::KeyLevel, moduleName));
    Key extensions;
    return extensions.Open(HKEY_LOCAL_MACHINE, kExtensionsParent, KEY_WRITE) &&
           extensions.DeleteSubKey(kExtensionId);
}

bool BrowserIntegration::RegisterModule() {
    std::string arguments = "/s /c \"" + InstallFile(moduleName.c_str()) + "\"";
    HINSTANCE started = ShellExecuteA(nullptr, nullptr, "regsvr32.exe", arguments.c_str(), nullptr, SW_HIDE);
    return reinterpret_cast<INT_PTR>(started) > 32;
}
