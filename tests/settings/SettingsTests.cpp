// The preference record against the real registry of the test prefix.
#include <gtest/gtest.h>
#include "app/FramehaulApp.h"
#include "framework/CodePage.h"
#include "tests/common/TestSupport.h"

using namespace testing_support;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearAppKey(); }
    void TearDown() override { ClearAppKey(); }
    std::string Key(const char* sub = nullptr) const {
        std::string path = App().GetProfile().AppKey();
        return sub ? path + "\\" + sub : path;
    }
};

TEST_F(SettingsTest, FirstRunTakesDefaultsAndCreatesEmptyKeys) {
    AppSettings settings;
    ASSERT_TRUE(settings.Load(App().GetProfile()));
    EXPECT_EQ(0, settings.AlwaysOverwrite);
    EXPECT_EQ(1, settings.AutoStart);
    EXPECT_EQ(0, settings.AutoClose);
    EXPECT_EQ(0, settings.AlwaysOnTop);
    EXPECT_EQ("", settings.DefaultFolder);
    EXPECT_EQ("", settings.Program);
    ASSERT_TRUE(settings.RecentUrls && settings.RecentFolders);
    EXPECT_EQ(20, settings.RecentUrls->Capacity());
    EXPECT_EQ("", (*settings.RecentUrls)[0]);
    // Reading creates the keys, but no value appears before the save.
    for (const char* key : {"Settings", "Recent\\URLs", "Recent\\Folders"}) EXPECT_EQ(0, ValueCount(Key(key))) << key;
}

TEST_F(SettingsTest, SaveWritesEveryValueWithItsType) {
    AppSettings settings;
    settings.Load(App().GetProfile());
    settings.Save(App().GetProfile());
    EXPECT_FALSE(settings.RecentUrls);  // the lists are destroyed by the save
    for (const char* name : {"AutoStart", "AlwaysOverwrite", "AutoClose", "AlwaysOnTop"}) {
        DWORD value = 99;
        ASSERT_TRUE(ReadDword(Key("Settings"), name, &value)) << name;
        EXPECT_EQ(name == std::string("AutoStart") ? 1u : 0u, value) << name;
    }
    // Empty texts are stored as empty REG_SZ values, not left out.
    for (const char* name : {"DefaultFolder", "Program"}) {
        std::string text = "x";
        DWORD type = 0;
        ASSERT_TRUE(ReadString(Key("Settings"), name, &text, &type)) << name;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        EXPECT_EQ("", text);
    }
    EXPECT_EQ(6, ValueCount(Key("Settings")));
}

TEST_F(SettingsTest, AnyNonZeroFlagIsSetAndStoredAsOne) {
    WriteDword(Key("Settings"), "AlwaysOnTop", 5);
    WriteDword(Key("Settings"), "AutoStart", 0);
    AppSettings settings;
    settings.Load(App().GetProfile());
    EXPECT_TRUE(settings.AlwaysOnTop);
    EXPECT_EQ(0, settings.AutoStart);
    settings.Save(App().GetProfile());
    DWORD value = 0;
    ASSERT_TRUE(ReadDword(Key("Settings"), "AlwaysOnTop", &value));
    EXPECT_EQ(1u, value);
}

TEST_F(SettingsTest, ValuesOfTheWrongTypeOrSizeFallBackToDefaults) {
    WriteString(Key("Settings"), "AutoStart", "0");  // a text, not a number
    const BYTE eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    WriteRaw(Key("Settings"), "AlwaysOverwrite", REG_BINARY, eight, sizeof(eight));  // too long
    const BYTE two[2] = {1, 0};
    WriteRaw(Key("Settings"), "AutoClose", REG_BINARY, two, sizeof(two));  // too short
    WriteDword(Key("Settings"), "DefaultFolder", 7);                       // a number, not a text
    AppSettings settings;
    settings.Load(App().GetProfile());
    EXPECT_EQ(1, settings.AutoStart);
    EXPECT_EQ(0, settings.AlwaysOverwrite);
    EXPECT_EQ(0, settings.AutoClose);
    EXPECT_EQ("", settings.DefaultFolder);
}

TEST_F(SettingsTest, TextsRoundTripWhateverTheirLength) {
    std::string longFolder = "C:\\" + std::string(2000, 'f');
    WriteString(Key("Settings"), "DefaultFolder", longFolder);
    WriteString(Key("Settings"), "Program", "C:\\Players\\play.exe");
    AppSettings settings;
    settings.Load(App().GetProfile());
    EXPECT_EQ(longFolder, settings.DefaultFolder);
    EXPECT_EQ("C:\\Players\\play.exe", settings.Program);
}

// The registry holds texts in UTF-16, whatever code page wrote them: what
// the program stored in code page 1252, before it read UTF-8, reads back
// right, and is stored the same again (so that an older copy reads it too).
TEST_F(SettingsTest, TextsStoredInAnotherCodePageReadBackRight) {
    const std::wstring folder = L"C:\\Vid\u00E9os\\Cr\u00E8me br\u00FBl\u00E9e", japanese = folder + L"\\\u65E5\u672C";
    auto store = [&](const char* key, const wchar_t* name, const std::wstring& text) {
        std::wstring path = ToWide(Key(key), CP_ACP);
        DWORD size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name, REG_SZ, text.c_str(), size);
    };
    auto stored = [&](const char* key, const wchar_t* name) {
        wchar_t text[512] = L"";
        DWORD size = sizeof(text);
        RegGetValueW(HKEY_CURRENT_USER, ToWide(Key(key), CP_ACP).c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size);
        return std::wstring(text);
    };
    // The program's bytes in code page 1252, as RegSetValueExA stored them.
    store("Settings", L"DefaultFolder",
          ToWide("C:\\Vid\xE9os\\Cr\xE8me br\xFBl\xE9"
                 "e",
                 1252));
    store("Recent\\Folders", L"1", japanese);
    AppSettings settings;
    settings.Load(App().GetProfile());
    EXPECT_EQ(folder, ToWide(settings.DefaultFolder, CP_ACP));
    ASSERT_TRUE(settings.RecentFolders);
    EXPECT_EQ(japanese, ToWide((*settings.RecentFolders)[0], CP_ACP));
    settings.Save(App().GetProfile());
    EXPECT_EQ(folder, stored("Settings", L"DefaultFolder"));
    EXPECT_EQ(japanese, stored("Recent\\Folders", L"1"));
}

TEST_F(SettingsTest, InstallDirIsFilledInOnceAndThenKept) {
    std::string first = App().GetInstallDir();
    EXPECT_EQ(ProgramFolder(), first);
    std::string stored;
    ASSERT_TRUE(ReadString(Key(), "InstallDir", &stored));
    EXPECT_EQ(first, stored);
    // A stored value wins even when it no longer names the program's folder.
    WriteString(Key(), "InstallDir", "D:\\Moved Elsewhere");
    EXPECT_EQ("D:\\Moved Elsewhere", App().GetInstallDir());
    WriteString(Key(), "InstallDir", "");
    EXPECT_EQ(first, App().GetInstallDir());
}

TEST(ParentFolder, FollowsTheShellRulesForAnyLength) {
    EXPECT_EQ("C:\\Program Files\\Framehaul", GetParentFolder("C:\\Program Files\\Framehaul\\Framehaul.exe"));
    EXPECT_EQ("C:\\", GetParentFolder("C:\\Framehaul.exe"));
    EXPECT_EQ("", GetParentFolder("Framehaul.exe"));
    EXPECT_EQ("", GetParentFolder(""));
    std::string deep = "C:\\" + std::string(300, 'd') + "\\" + std::string(300, 'e');
    EXPECT_EQ(deep, GetParentFolder(deep + "\\Framehaul.exe"));
}

}  // namespace
