// The preference record against the real registry of the test prefix.
#include <gtest/gtest.h>
#include "app/FramehaulApp.h"
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
