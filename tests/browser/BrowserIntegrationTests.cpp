// Internet Explorer's entries, written to and read from the real registry.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include "browser/BrowserIntegration.h"
#include "tests/common/TestSupport.h"
#include "app/FramehaulApp.h"

using namespace testing_support;

namespace {

const std::string kDir = "C:\\Program Files\\Framehaul Test";
const std::string kPageKey = std::string(BrowserIntegration::kMenuExtKey) + "\\Download Video on This Page";
const std::string kLinkKey = std::string(BrowserIntegration::kMenuExtKey) + "\\Download Video This Links To";
const char* const kClassKey = "CLSID\\{5E2C7B10-94D3-4F6A-B8E1-2A7C9D0F3B46}";

// Both registry views of a 64-bit Windows; on 32-bit Windows both flags name
// the one view there is, so every check below holds there too.
const REGSAM kViews[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
const char* ViewName(REGSAM view) {
    return view == KEY_WOW64_64KEY ? "64-bit view" : "32-bit view";
}

bool OnWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The extension key E in one view; closed when it goes out of scope.
struct HklmKey {
    HKEY key = nullptr;
    HklmKey(REGSAM view, REGSAM access = KEY_READ) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, 0, access | view, &key)) key = nullptr;
    }
    ~HklmKey() {
        if (key) RegCloseKey(key);
    }
};

bool HklmValue(REGSAM view, const char* name, std::string* value) {
    HklmKey e(view);
    char buffer[2048] = "";
    DWORD type = 0, size = sizeof(buffer);
    if (!e.key || RegQueryValueExA(e.key, *name ? name : nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                   &size) != ERROR_SUCCESS)
        return false;
    *value = buffer;
    return type == REG_SZ;
}

bool HklmKeyExists(REGSAM view) {
    return HklmKey(view).key != nullptr;
}

int HklmValueCount(REGSAM view) {
    HklmKey e(view);
    if (!e.key) return -1;
    DWORD values = 0;
    RegQueryInfoKeyA(e.key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    return static_cast<int>(values);
}

void DeleteHklmValue(REGSAM view, const char* name) {
    HklmKey e(view, KEY_SET_VALUE);
    ASSERT_TRUE(e.key != nullptr) << ViewName(view);
    RegDeleteValueA(e.key, name);
}

void DeleteExtensionKey(REGSAM view) {
    std::string path = BrowserIntegration::kExtensionKey;
    HKEY parent;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.substr(0, path.rfind('\\')).c_str(), 0, KEY_ALL_ACCESS | view,
                      &parent) != ERROR_SUCCESS)
        return;
    RegDeleteKeyExA(parent, path.substr(path.rfind('\\') + 1).c_str(), view, 0);
    RegCloseKey(parent);
}

class BrowserIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clean();
        ClearAppKey();
        WriteString(App().GetProfile().AppKey(), "InstallDir", kDir);
    }
    void TearDown() override {
        Clean();
        ClearAppKey();
    }
    static void Clean() {
        SHDeleteKeyA(HKEY_CURRENT_USER, kPageKey.c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, kLinkKey.c_str());
        for (REGSAM view : kViews) DeleteExtensionKey(view);
    }
    int contextMenu = -1, toolbarButton = -1, toolsMenu = -1;
    BrowserIntegration integration{AppInstallDir};
};

TEST_F(BrowserIntegrationTest, CleanRegistryHasNoEntries) {
    EXPECT_EQ(BrowserIntegration::None, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
    EXPECT_EQ(0, contextMenu);
    EXPECT_EQ(0, toolbarButton);
    EXPECT_EQ(0, toolsMenu);
}

TEST_F(BrowserIntegrationTest, EnablingAllWritesEveryEntry) {
    EXPECT_TRUE(integration.Apply(1, 1, 1, 1));
    std::string text;
    DWORD type = 0, contexts = 0;
    ASSERT_TRUE(ReadString(kPageKey, "", &text, &type));
    EXPECT_EQ(kDir + "\\SnagbarPage.html", text);
    ASSERT_TRUE(ReadDword(kPageKey, "Contexts", &contexts));
    EXPECT_EQ(0x7Fu, contexts);
    ASSERT_TRUE(ReadString(kLinkKey, "", &text));
    EXPECT_EQ(kDir + "\\SnagbarLink.html", text);
    ASSERT_TRUE(ReadDword(kLinkKey, "Contexts", &contexts));
    EXPECT_EQ(0x20u, contexts);

    const std::pair<const char*, std::string> expected[] = {
        {"", "Framehaul"},
        {"CLSID", "{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}"},
        {"Script", kDir + "\\SnagbarPage.html"},
        {"Default Visible", "Yes"},
        {"ButtonText", "Download Video"},
        {"HotIcon", kDir + "\\Snagbar.dll,202"},
        {"Icon", kDir + "\\Snagbar.dll,201"},
        {"MenuCustomize", "Tools"},
        {"MenuText", "Download Video on This Page"},
        {"MenuStatusBar", "Download video on this web page using Framehaul"},
    };
    for (REGSAM view : kViews) {
        for (const auto& value : expected) {
            ASSERT_TRUE(HklmValue(view, value.first, &text)) << value.first << " in the " << ViewName(view);
            EXPECT_EQ(value.second, text) << value.first << " in the " << ViewName(view);
        }
        EXPECT_EQ(10, HklmValueCount(view)) << ViewName(view);
    }
    EXPECT_EQ(BrowserIntegration::Full, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
}

TEST_F(BrowserIntegrationTest, ToolsMenuAloneIsPartial) {
    integration.Apply(1, 0, 0, 1);
    std::string text;
    for (REGSAM view : kViews) {
        EXPECT_TRUE(HklmValue(view, "MenuText", &text)) << ViewName(view);
        EXPECT_TRUE(HklmValue(view, "CLSID", &text)) << ViewName(view);
        EXPECT_FALSE(HklmValue(view, "ButtonText", &text)) << ViewName(view);
        EXPECT_FALSE(HklmValue(view, "Icon", &text)) << ViewName(view);
        EXPECT_EQ(6, HklmValueCount(view)) << ViewName(view);
    }
    EXPECT_EQ(BrowserIntegration::Partial, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
    EXPECT_EQ(0, contextMenu);
    EXPECT_EQ(0, toolbarButton);
    EXPECT_EQ(1, toolsMenu);
}

TEST_F(BrowserIntegrationTest, DisablingRemovesEverything) {
    integration.Apply(1, 1, 1, 1);
    integration.Apply(0, 1, 1, 1);  // false: there was nothing to remove
    EXPECT_FALSE(KeyExists(kPageKey));
    EXPECT_FALSE(KeyExists(kLinkKey));
    for (REGSAM view : kViews) EXPECT_FALSE(HklmKeyExists(view)) << ViewName(view);
    EXPECT_EQ(BrowserIntegration::None, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
}

TEST_F(BrowserIntegrationTest, ToolbarOffKeepsToolsMenuAndKeyLevel) {
    integration.Apply(1, 1, 1, 1);
    integration.Apply(1, 1, 0, 1);
    std::string text;
    for (REGSAM view : kViews) {
        for (const char* gone : {"Default Visible", "ButtonText", "HotIcon", "Icon"})
            EXPECT_FALSE(HklmValue(view, gone, &text)) << gone << " in the " << ViewName(view);
        for (const char* kept : {"", "CLSID", "Script", "MenuCustomize", "MenuText", "MenuStatusBar"})
            EXPECT_TRUE(HklmValue(view, kept, &text)) << kept << " in the " << ViewName(view);
    }
    EXPECT_EQ(BrowserIntegration::Partial, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
    EXPECT_EQ(1, contextMenu);
}

// What the Options dialog shows must be what every browser gets.
TEST_F(BrowserIntegrationTest, AnEntryMissingFromOneViewCountsAsAbsent) {
    for (REGSAM view : kViews) {
        integration.Apply(1, 1, 1, 1);
        DeleteHklmValue(view, "ButtonText");
        EXPECT_EQ(BrowserIntegration::Partial, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu))
            << ViewName(view);
        EXPECT_EQ(0, toolbarButton) << ViewName(view);
        EXPECT_EQ(1, toolsMenu) << ViewName(view);
        DeleteHklmValue(view, "MenuText");
        integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu);
        EXPECT_EQ(0, toolsMenu) << ViewName(view);
    }
}

// A value already missing in one view stops that view's removal, as on
// 32-bit Windows, and nothing in the other view.
TEST_F(BrowserIntegrationTest, EachViewStopsAtItsOwnFirstFailure) {
    if (!OnWow64()) GTEST_SKIP() << "one registry view on 32-bit Windows";
    for (REGSAM broken : kViews) {
        REGSAM other = broken == KEY_WOW64_32KEY ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
        integration.Apply(1, 1, 1, 1);
        DeleteHklmValue(broken, "Default Visible");
        EXPECT_FALSE(integration.Apply(1, 1, 0, 1));
        std::string text;
        for (const char* kept : {"ButtonText", "HotIcon", "Icon", "MenuText"})
            EXPECT_TRUE(HklmValue(broken, kept, &text)) << kept << " in the " << ViewName(broken);
        for (const char* gone : {"Default Visible", "ButtonText", "HotIcon", "Icon"})
            EXPECT_FALSE(HklmValue(other, gone, &text)) << gone << " in the " << ViewName(other);
        EXPECT_TRUE(HklmValue(other, "MenuText", &text)) << ViewName(other);
    }
}

TEST_F(BrowserIntegrationTest, MissingPageItemStopsTheContextMenuRemoval) {
    integration.Apply(1, 1, 0, 0);
    SHDeleteKeyA(HKEY_CURRENT_USER, kPageKey.c_str());
    EXPECT_FALSE(integration.Apply(1, 0, 0, 0));
    EXPECT_TRUE(KeyExists(kLinkKey));  // the second deletion is not attempted
}

TEST_F(BrowserIntegrationTest, OverlongValuesCountAsAbsent) {
    integration.Apply(1, 1, 1, 1);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, 0, KEY_SET_VALUE, &key));
    std::string longText(1500, 'x');
    RegSetValueExA(key, "ButtonText", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                   static_cast<DWORD>(longText.size() + 1));
    RegCloseKey(key);
    EXPECT_EQ(BrowserIntegration::Partial, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
    EXPECT_EQ(0, toolbarButton);
    EXPECT_EQ(1, toolsMenu);

    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, 0, KEY_SET_VALUE, &key));
    RegSetValueExA(key, "CLSID", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                   static_cast<DWORD>(longText.size() + 1));
    RegCloseKey(key);
    EXPECT_EQ(BrowserIntegration::Partial, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
    EXPECT_EQ(0, toolsMenu);
    EXPECT_EQ(1, contextMenu);
}

TEST_F(BrowserIntegrationTest, InstallDirIsFilledInWhenMissing) {
    ClearAppKey();
    integration.Apply(1, 1, 0, 0);
    std::string text;
    ASSERT_TRUE(ReadString(kPageKey, "", &text));
    EXPECT_EQ(ProgramFolder() + "\\SnagbarPage.html", text);
}

// The real modules, installed in a folder whose name has a space, and
// registered by the regsvr32 that Apply starts (both builds on 64-bit
// Windows). Without the quotes regsvr32 would get "C:\Program". A folder of
// its own: the regsvr32s that the other tests start may still be running.
const std::string kModuleDir = "C:\\Program Files\\Framehaul Registration";

class RegistrationTest : public BrowserIntegrationTest {
protected:
    void SetUp() override {
        BrowserIntegrationTest::SetUp();
        WriteString(App().GetProfile().AppKey(), "InstallDir", kModuleDir);
        CreateDirectoryA(kModuleDir.c_str(), nullptr);
        CreateDirectoryA((kModuleDir + "\\x64").c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(BuildFile(FH_SNAGBAR32).c_str(), (kModuleDir + "\\Snagbar.dll").c_str(), FALSE))
            << FH_SNAGBAR32;
        if (OnWow64()) {
            ASSERT_TRUE(CopyFileA(BuildFile(FH_SNAGBAR64).c_str(), (kModuleDir + "\\x64\\Snagbar.dll").c_str(), FALSE))
                << FH_SNAGBAR64;
        }
        Unregister();
        ASSERT_EQ("", Registered(KEY_WOW64_32KEY));
        ASSERT_EQ("", Registered(KEY_WOW64_64KEY));
    }
    void TearDown() override {
        Unregister();
        RemoveTree(kModuleDir);
        BrowserIntegrationTest::TearDown();
    }
    static std::string BuildFile(std::string path) {
        if (!path.empty() && path[0] == '/') path = "Z:" + path;
        for (char& c : path)
            if (c == '/') c = '\\';
        return path;
    }
    // The module file the class is registered with in that view, "" when none.
    static std::string Registered(REGSAM view) {
        HKEY key;
        std::string path = std::string(kClassKey) + "\\InprocServer32";
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return "";
        char buffer[MAX_PATH] = "";
        DWORD size = sizeof(buffer);
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        return buffer;
    }
    static void Run(std::string commandLine) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process;
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return;
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    static void Unregister() {
        char folder[MAX_PATH] = "";
        GetSystemDirectoryA(folder, MAX_PATH);
        Run(std::string(folder) + "\\regsvr32.exe /u /s \"" + kModuleDir + "\\Snagbar.dll\"");
        if (!OnWow64()) return;
        GetSystemWindowsDirectoryA(folder, MAX_PATH);
        Run(std::string(folder) + "\\Sysnative\\regsvr32.exe /u /s \"" + kModuleDir + "\\x64\\Snagbar.dll\"");
    }
    static bool BothRegistered() {
        return Registered(KEY_WOW64_32KEY) == kModuleDir + "\\Snagbar.dll" &&
               (!OnWow64() || Registered(KEY_WOW64_64KEY) == kModuleDir + "\\x64\\Snagbar.dll");
    }
};

TEST_F(RegistrationTest, EnablingRegistersTheModulesAndDisablingDoesNot) {
    integration.Apply(0, 1, 1, 1);  // false: there was nothing to remove
    EXPECT_FALSE(
        PumpUntil([] { return !Registered(KEY_WOW64_32KEY).empty() || !Registered(KEY_WOW64_64KEY).empty(); }, 3000))
        << "registered on disable";
    EXPECT_TRUE(integration.Apply(1, 1, 1, 1));
    EXPECT_TRUE(PumpUntil(BothRegistered, 60000))
        << "32-bit view: " << Registered(KEY_WOW64_32KEY) << "; 64-bit view: " << Registered(KEY_WOW64_64KEY);
}

}  // namespace
