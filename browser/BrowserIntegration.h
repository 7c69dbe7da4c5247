// Internet Explorer's entries for the program: two context-menu items, a
// toolbar button and a Tools menu item, all pointing at the HTML pages in
// the install folder, and the registration of the extension module.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

class BrowserIntegration {
public:
    enum IntegrationState { None = 0, Partial = 1, Full = 2 };

    // installDir gives the install folder when an entry needs it: finding
    // it may fill it in, which only writing entries should do.
    explicit BrowserIntegration(std::function<std::string()> installDir);
    virtual ~BrowserIntegration() = default;

    // With enable clear, removes every entry and registers nothing.
    virtual bool Apply(int enable, int contextMenu, int toolbarButton, int toolsMenu);
    virtual IntegrationState QueryState(int* contextMenu, int* toolbarButton, int* toolsMenu);
    // True only when every step succeeded.
    virtual bool WriteEntries(int registerModule, int contextMenu, int toolbarButton, int toolsMenu);

    static const char* const kExtensionKey;  // below HKEY_LOCAL_MACHINE
    static const char* const kMenuExtKey;    // below HKEY_CURRENT_USER
    static const char* const kPageMenuItem;
    static const char* const kLinkMenuItem;

private:
    // Below HKEY_CURRENT_USER, which both kinds of browser share.
    bool WriteContextMenu(bool set);
    // Below HKEY_LOCAL_MACHINE, one registry view at a time.
    bool WriteToolbarButton(bool set, REGSAM view);
    bool WriteToolsMenu(bool set, REGSAM view);
    bool WriteKeyLevel(bool set, REGSAM view);
    bool RegisterModules();

    std::string InstallFile(const char* name) const;

    std::function<std::string()> installDir;
    std::string moduleName;
};
