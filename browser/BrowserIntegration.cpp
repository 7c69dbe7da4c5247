#include "browser/BrowserIntegration.h"
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <vector>
#include "framework/Handles.h"

// The entries' keys and values live in one table that the setup program's
// build reads too.
#define FH_IE_MENU_EXT(key)                       const char* const BrowserIntegration::kMenuExtKey = key;
#define FH_IE_MENU_ITEM(id, item, page, contexts) const char* const BrowserIntegration::k##id##MenuItem = item;
#define FH_IE_EXTENSION(parent, id)               const char* const BrowserIntegration::kExtensionKey = parent "\\" id;
#include "browser/IeEntryTable.inc"

namespace {

#define FH_IE_MODULE(file) const char* const kModuleName = file;
#define FH_IE_EXTENSION(parent, id)               \
    const char* const kExtensionsParent = parent; \
    const char* const kExtensionId = id;
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

// A registry key with the few value operations the entries need. A view of
// 0 is the process's own; KEY_WOW64_32KEY or KEY_WOW64_64KEY pick one on
// 64-bit Windows.
class Key {
public:
    bool Open(HKEY root, const std::string& path, REGSAM access, REGSAM view = 0) {
        return RegOpenKeyExA(root, path.c_str(), 0, access | view, key.Put()) == ERROR_SUCCESS;
    }
    bool Create(HKEY root, const std::string& path, REGSAM view = 0) {
        return RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view, nullptr,
                               key.Put(), nullptr) == ERROR_SUCCESS;
    }
    bool SetString(const char* name, const std::string& value) {
        return RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              lstrlenA(value.c_str()) + 1) == ERROR_SUCCESS;
    }
    bool SetDword(const char* name, DWORD value) {
        return RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
               ERROR_SUCCESS;
    }
    bool CanRead(const char* name) {
        char buffer[1023];
        DWORD size = sizeof(buffer);
        return RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) ==
               ERROR_SUCCESS;
    }
    bool DeleteValue(const char* name) { return RegDeleteValueA(key.Get(), name) == ERROR_SUCCESS; }
    // RegDeleteKeyA would look for the subkey in the process's own view.
    bool DeleteSubKey(const char* name, REGSAM view = 0) {
        LONG result = view ? RegDeleteKeyExA(key.Get(), name, view, 0) : RegDeleteKeyA(key.Get(), name);
        return result == ERROR_SUCCESS;
    }

private:
    RegKey key;
};

// True on 64-bit Windows, whichever build of the program runs there.
bool OnWindows64() {
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

// The machine-wide entries go into every registry view a browser reads:
// on 64-bit Windows the 32-bit and the 64-bit Internet Explorer each read
// their own. On 32-bit Windows there is one view, the process's own.
std::vector<REGSAM> MachineViews() {
    if (OnWindows64()) return {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
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

// From the system folder, never looked up: a program started from the
// browser inherits the browser's current folder, where any "regsvr32.exe"
// may lie. A 32-bit program on 64-bit Windows is given the 32-bit one.
std::string OwnRegsvr32() {
    char folder[MAX_PATH] = "";
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    return std::string(folder) + "\\regsvr32.exe";
}

bool StartRegsvr32(const std::string& program, const std::string& module) {
    if (program.empty()) return false;
    std::string arguments = "/s /c \"" + module + "\"";
    HINSTANCE started = ShellExecuteA(nullptr, nullptr, program.c_str(), arguments.c_str(), nullptr, SW_HIDE);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

// The install folder holds the module of the program's own kind and, on
// 64-bit Windows, one of the other kind for the other browser, in a
// subfolder. Each must be registered by the regsvr32 of its own kind; a
// 32-bit process reaches the 64-bit one through "Sysnative", since its
// "System32" is redirected.
#ifdef _WIN64
const char* const kOtherModuleFolder = "x86\\";
std::string OtherRegsvr32() {
    char folder[MAX_PATH] = "";
    if (!GetSystemWow64DirectoryA(folder, MAX_PATH)) return "";
    return std::string(folder) + "\\regsvr32.exe";
}
#else
const char* const kOtherModuleFolder = "x64\\";
std::string OtherRegsvr32() {
    char windows[MAX_PATH] = "";
    GetSystemWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\Sysnative\\regsvr32.exe";
}
#endif

std::string MenuItemKey(const char* item) {
    return std::string(BrowserIntegration::kMenuExtKey) + "\\" + item;
}

bool WriteMenuItem(const char* item, const std::string& script, DWORD contexts) {
    Key key;
    return key.Create(HKEY_CURRENT_USER, MenuItemKey(item)) && key.SetString(nullptr, script) &&
           key.SetDword("Contexts", contexts);
}

// One part's values in table order, with their data for this install folder.
std::vector<std::pair<const char*, std::string>> PartValues(Part part, const std::string& folder,
                                                            const std::string& module) {
    std::vector<std::pair<const char*, std::string>> values;
    for (const ExtensionValue& value : kExtensionValues) {
        if (value.part != part) continue;
        std::string data = value.data;
        if (value.kind == Data::InstallFile) data = folder + "\\" + value.data;
        if (value.kind == Data::Module) data = folder + "\\" + module + value.data;
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
bool WriteValues(REGSAM view, const std::vector<std::pair<const char*, std::string>>& values) {
    Key key;
    if (!key.Create(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, view)) return false;
    for (const auto& value : values)
        if (!key.SetString(value.first, value.second)) return false;
    return true;
}

// Deletes the values in order, stopping at the first failure.
bool DeleteValues(REGSAM view, const std::vector<const char*>& names) {
    Key key;
    if (!key.Open(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, KEY_WRITE, view)) return false;
    for (const char* name : names)
        if (!key.DeleteValue(name)) return false;
    return true;
}

}  // namespace

BrowserIntegration::BrowserIntegration(std::function<std::string()> installDir)
    : installDir(std::move(installDir)), moduleName(kModuleName) {}

std::string BrowserIntegration::InstallFile(const char* name) const {
    return installDir() + "\\" + name;
}

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

bool BrowserIntegration::WriteToolbarButton(bool set, REGSAM view) {
    if (set) return WriteValues(view, PartValues(Part::ToolbarButton, installDir(), moduleName));
    return DeleteValues(view, PartNames(Part::ToolbarButton));
}

bool BrowserIntegration::WriteToolsMenu(bool set, REGSAM view) {
    if (set) return WriteValues(view, PartValues(Part::ToolsMenu, installDir(), moduleName));
    return DeleteValues(view, PartNames(Part::ToolsMenu));
}

bool BrowserIntegration::WriteKeyLevel(bool set, REGSAM view) {
    if (set) return WriteValues(view, PartValues(Part::KeyLevel, installDir(), moduleName));
    Key extensions;
    return extensions.Open(HKEY_LOCAL_MACHINE, kExtensionsParent, KEY_WRITE, view) &&
           extensions.DeleteSubKey(kExtensionId, view);
}

// A browser loads only a module of its own kind. The other kind's module is
// registered where it is installed and its regsvr32 exists: a 64-bit
// Windows without its 32-bit subsystem has neither a 32-bit browser nor a
// 32-bit regsvr32.
bool BrowserIntegration::RegisterModules() {
    bool ok = StartRegsvr32(OwnRegsvr32(), InstallFile(moduleName.c_str()));
    if (!OnWindows64()) return ok;
    std::string other = InstallFile((kOtherModuleFolder + moduleName).c_str());
    std::string regsvr32 = OtherRegsvr32();
    if (PathFileExistsA(other.c_str()) && !regsvr32.empty() && PathFileExistsA(regsvr32.c_str()))
        ok = StartRegsvr32(regsvr32, other) && ok;
    return ok;
}
