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

bool HklmValue(const char* name, std::string* value) {
    char buffer[2048] = "";
    DWORD type = 0, size = sizeof(buffer);
    if (SHGetValueA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, name, &type, buffer, &size) != ERROR_SUCCESS)
        return false;
    *value = buffer;
    return type == REG_SZ;
}

bool HklmKeyExists() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

int HklmValueCount() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return static_cast<int>(values);
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
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey);
    }
    int contextMenu = -1, toolbarButton = -1, toolsMenu = -1;
    BrowserIntegration integration;
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
    for (const auto& value : expected) {
        ASSERT_TRUE(HklmValue(value.first, &text)) << value.first;
        EXPECT_EQ(value.second, text) << value.first;
    }
    EXPECT_EQ(10, HklmValueCount());
    EXPECT_EQ(BrowserIntegration::Full, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
}

TEST_F(BrowserIntegrationTest, ToolsMenuAloneIsPartial) {
    integration.Apply(1, 0, 0, 1);
    std::string text;
    EXPECT_TRUE(HklmValue("MenuText", &text));
    EXPECT_TRUE(HklmValue("CLSID", &text));
    EXPECT_FALSE(HklmValue("ButtonText", &text));
    EXPECT_FALSE(HklmValue("Icon", &text));
    EXPECT_EQ(6, HklmValueCount());
    EXPECT_EQ(BrowserIntegration::Partial, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
    EXPECT_EQ(0, contextMenu);
    EXPECT_EQ(0, toolbarButton);
    EXPECT_EQ(1, toolsMenu);
}

TEST_F(BrowserIntegrationTest, DisablingRemovesEverything) {
    integration.Apply(1, 1, 1, 1);
    EXPECT_TRUE(integration.Apply(0, 1, 1, 1));
    EXPECT_FALSE(KeyExists(kPageKey));
    EXPECT_FALSE(KeyExists(kLinkKey));
    EXPECT_FALSE(HklmKeyExists());
    EXPECT_EQ(BrowserIntegration::None, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
}

TEST_F(BrowserIntegrationTest, ToolbarOffKeepsToolsMenuAndKeyLevel) {
    integration.Apply(1, 1, 1, 1);
    integration.Apply(1, 1, 0, 1);
    std::string text;
    for (const char* gone : {"Default Visible", "ButtonText", "HotIcon", "Icon"})
        EXPECT_FALSE(HklmValue(gone, &text)) << gone;
    for (const char* kept : {"", "CLSID", "Script", "MenuCustomize", "MenuText", "MenuStatusBar"})
        EXPECT_TRUE(HklmValue(kept, &text)) << kept;
    EXPECT_EQ(BrowserIntegration::Partial, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
    EXPECT_EQ(1, contextMenu);
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
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, 0, KEY_SET_VALUE, &key));
    std::string longText(1500, 'x');
    RegSetValueExA(key, "ButtonText", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                   static_cast<DWORD>(longText.size() + 1));
    RegCloseKey(key);
    EXPECT_EQ(BrowserIntegration::Partial, integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu));
    EXPECT_EQ(0, toolbarButton);
    EXPECT_EQ(1, toolsMenu);

    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, 0, KEY_SET_VALUE, &key));
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

}  // namespace
