// The preference record against the real registry of the test prefix.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <atomic>
#include "app/FramehaulApp.h"
#include "framework/CodePage.h"
#include "framework/Profile.h"
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

// What a window did not change it does not write: a save without changes
// writes nothing at all; changed values are written with their types, any
// non-zero flag as 1, empty texts as empty REG_SZ values.
TEST_F(SettingsTest, SaveWritesWhatChangedWithItsType) {
    WriteDword(Key("Settings"), "AlwaysOnTop", 5);
    AppSettings settings;
    settings.Load(App().GetProfile());
    EXPECT_EQ(1, settings.AlwaysOnTop);
    settings.Save(App().GetProfile());
    EXPECT_EQ(1, ValueCount(Key("Settings")));
    DWORD value = 0;
    ASSERT_TRUE(ReadDword(Key("Settings"), "AlwaysOnTop", &value));
    EXPECT_EQ(5u, value);

    settings.SetAlwaysOverwrite(0);
    settings.SetAutoStart(7);
    settings.SetAutoClose(0);
    settings.SetAlwaysOnTop(settings.AlwaysOnTop);
    settings.SetDefaultFolder("");
    settings.SetProgram("");
    settings.Save(App().GetProfile());
    EXPECT_TRUE(settings.RecentUrls && settings.RecentFolders);  // the window goes on using them
    for (const char* name : {"AutoStart", "AlwaysOverwrite", "AutoClose", "AlwaysOnTop"}) {
        value = 99;
        ASSERT_TRUE(ReadDword(Key("Settings"), name, &value)) << name;
        EXPECT_EQ(name == std::string("AutoStart") || name == std::string("AlwaysOnTop") ? 1u : 0u, value) << name;
    }
    for (const char* name : {"DefaultFolder", "Program"}) {
        std::string text = "x";
        DWORD type = 0;
        ASSERT_TRUE(ReadString(Key("Settings"), name, &text, &type)) << name;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        EXPECT_EQ("", text);
    }
    EXPECT_EQ(6, ValueCount(Key("Settings")));
}

// Two windows of the same user, each with what it changed: every addition
// and every changed preference is kept, whichever saves last; what neither
// changed stays as stored; a window takes the merged state as its own, and
// saves nothing more until it changes something again.
TEST_F(SettingsTest, WindowsMergeTheirChangesIntoWhatIsStored) {
    const Profile& profile = App().GetProfile();
    AppSettings first, second;
    first.Load(profile);
    second.Load(profile);
    first.RecentUrls->Add("http://u/1");
    first.RecentFolders->Add("C:\\One");
    first.SetProgram("C:\\player.exe");
    second.RecentUrls->Add("http://u/2");
    second.RecentUrls->Add("http://u/1");  // listed by the first window too
    second.SetAutoStart(0);
    WriteString(Key("Settings"), "DefaultFolder", "C:\\Behind");  // a third window's
    first.Save(profile);
    second.Save(profile);

    AppSettings stored;
    stored.Load(profile);
    EXPECT_EQ("http://u/1", (*stored.RecentUrls)[0]);
    EXPECT_EQ("http://u/2", (*stored.RecentUrls)[1]);
    EXPECT_EQ("", (*stored.RecentUrls)[2]);
    EXPECT_EQ("C:\\One", (*stored.RecentFolders)[0]);
    EXPECT_EQ("C:\\player.exe", stored.Program);
    EXPECT_EQ(0, stored.AutoStart);
    EXPECT_EQ("C:\\Behind", stored.DefaultFolder);
    EXPECT_EQ("C:\\player.exe", second.Program);
    EXPECT_EQ("C:\\One", (*second.RecentFolders)[0]);

    WriteString(Key("Settings"), "Program", "C:\\other.exe");
    WriteString(Key("Recent\\URLs"), "1", "http://u/elsewhere");
    first.Save(profile);  // nothing changed since its last save
    std::string text;
    EXPECT_TRUE(ReadString(Key("Settings"), "Program", &text));
    EXPECT_EQ("C:\\other.exe", text);
    EXPECT_TRUE(ReadString(Key("Recent\\URLs"), "1", &text));
    EXPECT_EQ("http://u/elsewhere", text);

    // Twenty at most, the newest first.
    for (int i = 1; i <= 25; ++i) second.RecentUrls->Add("http://many/" + std::to_string(i));
    second.Save(profile);
    stored.Load(profile);
    EXPECT_EQ("http://many/25", (*stored.RecentUrls)[0]);
    EXPECT_EQ("http://many/6", (*stored.RecentUrls)[19]);
    EXPECT_EQ(20, ValueCount(Key("Recent\\URLs")));
}

struct Grower {
    std::string key;
    std::atomic<bool> stop{false};
    static DWORD WINAPI Run(void* param) {
        Grower* grower = static_cast<Grower*>(param);
        const std::string longText(20000, 'L');
        for (int i = 0; !grower->stop; ++i) WriteString(grower->key, "DefaultFolder", i % 2 ? longText : "short");
        return 0;
    }
};

// A value that another process makes longer between the size query and the
// read is read again, never taken as missing.
TEST_F(SettingsTest, AValueThatGrowsWhileItIsReadIsReadAgain) {
    Grower grower;
    grower.key = Key("Settings");
    WriteString(grower.key, "DefaultFolder", "short");
    HANDLE thread = CreateThread(nullptr, 0, Grower::Run, &grower, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    int wrong = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string text = App().GetProfile().ReadString("Settings", "DefaultFolder", "missing");
        if (text != "short" && text != std::string(20000, 'L')) ++wrong;
    }
    grower.stop = true;
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    EXPECT_EQ(0, wrong);
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
    settings.SetDefaultFolder(settings.DefaultFolder);
    settings.RecentFolders->Add((*settings.RecentFolders)[0]);
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

namespace {

// The texts of a list as stored, "1" upwards.
std::vector<std::string> StoredList(const std::string& key) {
    std::vector<std::string> texts;
    std::string text;
    for (int k = 1; k <= 20 && ReadString(key, std::to_string(k).c_str(), &text); ++k) texts.push_back(text);
    return texts;
}

// What one probe left in a list whose texts end in "<tag>-<round>": its
// newest rounds, newest first and without a gap, or nothing when the other
// probe's later rounds pushed them all out. Empty when that holds, else why not.
std::string CheckProbeRun(const std::vector<std::string>& list, const std::string& prefix, const std::string& tag,
                          int rounds) {
    int expected = rounds - 1;
    for (const std::string& text : list) {
        if (text.rfind(prefix, 0) != 0) return "not a probe's text: " + text;
        std::string rest = text.substr(prefix.size());
        if (rest.rfind(tag + "-", 0) != 0) continue;
        if (rest != tag + "-" + std::to_string(expected))
            return "expected " + tag + "-" + std::to_string(expected) + ", found " + rest;
        --expected;
    }
    return "";
}

}  // namespace

// Two processes, each saving a hundred times as fast as it can, starting at
// the same moment: every save keeps the other's, so each list ends with the
// newest rounds of both without a gap, and each process's preference holds
// its last value.
TEST(SettingsProcesses, TwoProcessesSavingAtOnceLoseNothing) {
    const std::string key = "Software\\Quorvane\\FramehaulProbe";
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    const int rounds = 100;
    const std::string eventName = "FramehaulProbeStart" + std::to_string(GetCurrentProcessId());
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(nullptr, start);
    const std::string probe = ProgramFolder() + "\\settings_probe.exe";
    PROCESS_INFORMATION processes[2] = {};
    const char* const roles[2][2] = {{"A", "folder"}, {"B", "program"}};
    for (int i = 0; i < 2; ++i) {
        std::string commandLine = "\"" + probe + "\" \"" + key + "\" " + eventName + " " + roles[i][0] + " " +
                                  std::to_string(rounds) + " " + roles[i][1];
        STARTUPINFOA startup = {sizeof(startup)};
        ASSERT_TRUE(CreateProcessA(probe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &processes[i]));
    }
    SetEvent(start);
    for (PROCESS_INFORMATION& process : processes) {
        bool ended = WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0;
        if (!ended) TerminateProcess(process.hProcess, 1);
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        EXPECT_TRUE(ended);
        EXPECT_EQ(0u, code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(start);

    std::vector<std::string> urls = StoredList(key + "\\Recent\\URLs");
    std::vector<std::string> folders = StoredList(key + "\\Recent\\Folders");
    EXPECT_EQ(20u, urls.size());
    EXPECT_EQ(20u, folders.size());
    for (const char* tag : {"A", "B"}) {
        EXPECT_EQ("", CheckProbeRun(urls, "", tag, rounds)) << ::testing::PrintToString(urls);
        EXPECT_EQ("", CheckProbeRun(folders, "C:\\", tag, rounds)) << ::testing::PrintToString(folders);
    }
    std::string text;
    EXPECT_TRUE(ReadString(key + "\\Settings", "DefaultFolder", &text));
    EXPECT_EQ("A-" + std::to_string(rounds - 1), text);
    EXPECT_TRUE(ReadString(key + "\\Settings", "Program", &text));
    EXPECT_EQ("B-" + std::to_string(rounds - 1), text);
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}
