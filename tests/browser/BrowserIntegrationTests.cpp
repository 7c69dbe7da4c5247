// Internet Explorer's entries, written to and read from the real registry.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <tlhelp32.h>
#include <array>
#include <vector>
#include "browser/BrowserIntegration.h"
#include "framework/Handles.h"
#include "tests/common/TestSupport.h"
#include "app/FramehaulApp.h"

using namespace testing_support;

namespace {

const std::string kDir = "C:\\Program Files\\Framehaul Test";
const std::string kPageKey = std::string(BrowserIntegration::kMenuExtKey) + "\\Download Video on This Page";
const std::string kLinkKey = std::string(BrowserIntegration::kMenuExtKey) + "\\Download Video This Links To";
const char* const kClassKey = "CLSID\\{5E2C7B10-94D3-4F6A-B8E1-2A7C9D0F3B46}";

// Every value of the extension key, by what writes it: 'b' the toolbar
// button, 't' the Tools menu item, 'k' either of them.
struct ExtensionValue {
    char part;
    const char* name;
    std::string data;
};
const ExtensionValue kValues[] = {{'k', "", "Framehaul"},
                                  {'k', "CLSID", "{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}"},
                                  {'k', "Script", kDir + "\\SnagbarPage.html"},
                                  {'b', "Default Visible", "Yes"},
                                  {'b', "ButtonText", "Download Video"},
                                  {'b', "HotIcon", kDir + "\\Snagbar.dll,202"},
                                  {'b', "Icon", kDir + "\\Snagbar.dll,201"},
                                  {'t', "MenuCustomize", "Tools"},
                                  {'t', "MenuText", "Download Video on This Page"},
                                  {'t', "MenuStatusBar", "Download video on this web page using Framehaul"}};

// Both registry views of a 64-bit Windows; on 32-bit Windows both flags name
// the one view there is, so every check below holds there too.
const REGSAM kViews[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
const char* ViewName(REGSAM view) {
    return view == KEY_WOW64_64KEY ? "64-bit view" : "32-bit view";
}

bool OnWindows64() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

// A key in one view, by default the extension key; closed when it goes out
// of scope.
struct ViewKey {
    HKEY key = nullptr;
    ViewKey(REGSAM view, REGSAM access = KEY_READ, HKEY root = HKEY_LOCAL_MACHINE,
            const std::string& path = BrowserIntegration::kExtensionKey) {
        if (RegOpenKeyExA(root, path.c_str(), 0, access | view, &key)) key = nullptr;
    }
    ~ViewKey() {
        if (key) RegCloseKey(key);
    }
    // A string value; "absent" when there is none.
    std::string Value(const char* name) {
        char buffer[2048] = "";
        DWORD type = 0, size = sizeof(buffer);
        bool read = key && !RegQueryValueExA(key, *name ? name : nullptr, nullptr, &type,
                                             reinterpret_cast<BYTE*>(buffer), &size);
        return read && type == REG_SZ ? buffer : "absent";
    }
    int ValueCount() {  // -1 when the key does not exist
        DWORD values = 0;
        if (!key) return -1;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
        return static_cast<int>(values);
    }
};

std::string HklmValue(REGSAM view, const char* name) {
    return ViewKey(view).Value(name);
}

// Deletes the value, or makes it longer than anyone reads.
void Spoil(REGSAM view, const char* name, bool overlong = false) {
    ViewKey e(view, KEY_SET_VALUE);
    ASSERT_TRUE(e.key != nullptr) << ViewName(view);
    const std::string text(1500, 'x');
    if (!overlong)
        RegDeleteValueA(e.key, name);
    else
        RegSetValueExA(e.key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
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
        for (REGSAM view : kViews) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, view, 0);
    }
    // The entries in the registry are exactly those of the boxes given.
    static void ExpectEntries(int context, int toolbar, int tools) {
        const struct {
            const std::string& key;
            const char* page;
            DWORD contexts;
        } items[] = {{kPageKey, "\\SnagbarPage.html", 0x7F}, {kLinkKey, "\\SnagbarLink.html", 0x20}};
        std::string text;
        DWORD contexts = 0;
        for (const auto& item : items) {
            EXPECT_EQ(context != 0, KeyExists(item.key)) << item.key;
            EXPECT_EQ(context ? kDir + item.page : "absent", ReadString(item.key, "", &text) ? text : "absent");
            EXPECT_EQ(context ? item.contexts : 0, ReadDword(item.key, "Contexts", &contexts) ? contexts : 0);
        }
        for (REGSAM view : kViews) {
            int count = 0;
            for (const ExtensionValue& value : kValues) {
                bool on = value.part == 'b' ? toolbar : value.part == 't' ? tools : toolbar || tools;
                count += on;
                EXPECT_EQ(on ? value.data : "absent", HklmValue(view, value.name))
                    << value.name << " in the " << ViewName(view);
            }
            EXPECT_EQ(count ? count : -1, ViewKey(view).ValueCount()) << ViewName(view);
        }
    }
    // QueryState's answer and the three boxes it reads.
    std::array<int, 4> Query() {
        int state = integration.QueryState(&contextMenu, &toolbarButton, &toolsMenu);
        return {state, contextMenu, toolbarButton, toolsMenu};
    }
    int contextMenu = -1, toolbarButton = -1, toolsMenu = -1;
    BrowserIntegration integration{AppInstallDir};
};

using Boxes = std::array<int, 4>;
const int None = BrowserIntegration::None, Partial = BrowserIntegration::Partial, Full = BrowserIntegration::Full;

TEST_F(BrowserIntegrationTest, ApplyWritesWhatIsTickedAndQueryStateReadsItBack) {
    const struct {
        const char* name;
        std::vector<Boxes> applied;
        Boxes query;  // state, context menu, toolbar button, Tools menu
    } cases[] = {{"clean registry", {}, {None, 0, 0, 0}},
                 {"everything", {{1, 1, 1, 1}}, {Full, 1, 1, 1}},
                 {"Tools menu alone", {{1, 0, 0, 1}}, {Partial, 0, 0, 1}},
                 {"toolbar button turned off", {{1, 1, 1, 1}, {1, 1, 0, 1}}, {Partial, 1, 0, 1}},
                 // The second Apply fails: there is nothing left to remove.
                 {"disabled", {{1, 1, 1, 1}, {0, 1, 1, 1}}, {None, 0, 0, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Clean();
        for (const Boxes& b : c.applied) {
            bool ok = integration.Apply(b[0], b[1], b[2], b[3]);
            EXPECT_TRUE(ok || b != (Boxes{1, 1, 1, 1}));
        }
        EXPECT_EQ(c.query, Query());
        ExpectEntries(c.query[1], c.query[2], c.query[3]);
    }
}

// What the Options dialog shows must be what every browser gets: a value
// missing from one view, or too long to read, counts as absent.
TEST_F(BrowserIntegrationTest, ASpoiledValueCountsAsAbsent) {
    const struct {
        REGSAM view;
        const char* toolsValue;
        bool overlong;
    } cases[] = {
        {KEY_WOW64_32KEY, "MenuText", false}, {KEY_WOW64_64KEY, "MenuText", false}, {KEY_WOW64_32KEY, "CLSID", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(ViewName(c.view)) + (c.overlong ? ", overlong" : ", missing"));
        integration.Apply(1, 1, 1, 1);
        Spoil(c.view, "ButtonText", c.overlong);
        EXPECT_EQ((Boxes{Partial, 1, 0, 1}), Query());
        Spoil(c.view, c.toolsValue, c.overlong);
        EXPECT_EQ((Boxes{Partial, 1, 0, 0}), Query());
    }
}

// A value already missing in one view stops that view's removal, as on
// 32-bit Windows, and nothing in the other view.
TEST_F(BrowserIntegrationTest, EachViewStopsAtItsOwnFirstFailure) {
    if (!OnWindows64()) GTEST_SKIP() << "one registry view on 32-bit Windows";
    for (REGSAM broken : kViews) {
        REGSAM other = broken == KEY_WOW64_32KEY ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
        integration.Apply(1, 1, 1, 1);
        Spoil(broken, "Default Visible");
        EXPECT_FALSE(integration.Apply(1, 1, 0, 1));
        for (const char* kept : {"ButtonText", "HotIcon", "Icon", "MenuText"})
            EXPECT_NE("absent", HklmValue(broken, kept)) << kept << " in the " << ViewName(broken);
        for (const char* gone : {"Default Visible", "ButtonText", "HotIcon", "Icon"})
            EXPECT_EQ("absent", HklmValue(other, gone)) << gone << " in the " << ViewName(other);
        EXPECT_NE("absent", HklmValue(other, "MenuText")) << ViewName(other);
    }
}

TEST_F(BrowserIntegrationTest, MissingPageItemStopsTheContextMenuRemoval) {
    integration.Apply(1, 1, 0, 0);
    SHDeleteKeyA(HKEY_CURRENT_USER, kPageKey.c_str());
    EXPECT_FALSE(integration.Apply(1, 0, 0, 0));
    EXPECT_TRUE(KeyExists(kLinkKey));  // the second deletion is not attempted
}

TEST_F(BrowserIntegrationTest, InstallDirIsFilledInWhenMissing) {
    ClearAppKey();
    integration.Apply(1, 1, 0, 0);
    std::string text;
    ASSERT_TRUE(ReadString(kPageKey, "", &text));
    EXPECT_EQ(ProgramFolder() + "\\SnagbarPage.html", text);
}

// The real modules, installed in a folder whose name has a space, and
// registered by the regsvr32 that Apply starts: the module of the program's
// own kind, and on 64-bit Windows the other kind's from its subfolder.
// Without the quotes regsvr32 would get "C:\Program". A folder of its own:
// the regsvr32s that the other tests start may still be running.
const std::string kModuleDir = "C:\\Program Files\\Framehaul Registration";
const std::string kOwnModule = kModuleDir + "\\Snagbar.dll";
const std::string kOtherModule = kModuleDir + "\\" FH_OTHER_EDITION "\\Snagbar.dll";
const bool k64BitProgram = sizeof(void*) == 8;
const REGSAM kOwnView = k64BitProgram ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
const REGSAM kOtherView = k64BitProgram ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

// Why a module of the other kind cannot be registered here; empty when it can.
std::string OtherKindCannotRun() {
    if (!OnWindows64()) return "32-bit Windows has one kind of browser";
    if (k64BitProgram && getenv("FH_NO_32BIT")) return "this machine runs no 32-bit code (32-bit regsvr32)";
    return "";
}

// The regsvr32 of the other kind, as this program reaches it.
std::string OtherRegsvr32() {
    char folder[MAX_PATH] = "";
    if (k64BitProgram) {
        GetSystemWow64DirectoryA(folder, MAX_PATH);
        return std::string(folder) + "\\regsvr32.exe";
    }
    GetSystemWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\Sysnative\\regsvr32.exe";
}

class RegistrationTest : public BrowserIntegrationTest {
protected:
    void SetUp() override {
        BrowserIntegrationTest::SetUp();
        WriteString(App().GetProfile().AppKey(), "InstallDir", kModuleDir);
        CreateDirectoryA(kModuleDir.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(BuildFile(FH_SNAGBAR).c_str(), kOwnModule.c_str(), FALSE)) << FH_SNAGBAR;
        Unregister();
        ASSERT_EQ("absent", Registered(kOwnView));
        ASSERT_EQ("absent", Registered(kOtherView));
    }
    void TearDown() override {
        Unregister();
        RemoveTree(kModuleDir);
        BrowserIntegrationTest::TearDown();
    }
    void InstallOtherModule() {
        CreateDirectoryA((kModuleDir + "\\" FH_OTHER_EDITION).c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(BuildFile(FH_SNAGBAR_OTHER).c_str(), kOtherModule.c_str(), FALSE)) << FH_SNAGBAR_OTHER;
    }
    static std::string BuildFile(std::string path) {
        if (!path.empty() && path[0] == '/') path = "Z:" + path;
        for (char& c : path)
            if (c == '/') c = '\\';
        return path;
    }
    // The module file the class is registered with in that view.
    static std::string Registered(REGSAM view) {
        return ViewKey(view, KEY_READ, HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32").Value("");
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
    // The regsvr32s that Apply started may still be writing the type
    // library when the class key is there: unregistering before they end
    // would leave their late entries behind for the tests that follow.
    static void WaitForRegsvr32s() {
        PumpUntil(
            [] {
                FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
                PROCESSENTRY32 entry = {sizeof(entry)};
                for (BOOL more = Process32First(snapshot.Get(), &entry); more;
                     more = Process32Next(snapshot.Get(), &entry))
                    if (!lstrcmpiA(entry.szExeFile, "regsvr32.exe")) return false;
                return true;
            },
            30000);
    }
    static void Unregister() {
        WaitForRegsvr32s();
        char folder[MAX_PATH] = "";
        GetSystemDirectoryA(folder, MAX_PATH);
        Run(std::string(folder) + "\\regsvr32.exe /u /s \"" + kOwnModule + "\"");
        if (OtherKindCannotRun().empty()) Run(OtherRegsvr32() + " /u /s \"" + kOtherModule + "\"");
    }
    static bool AnyRegistered() { return Registered(kOwnView) != "absent" || Registered(kOtherView) != "absent"; }
    static std::string Views() {
        return "own view: " + Registered(kOwnView) + "; other view: " + Registered(kOtherView);
    }
};

// Only what is installed is registered: without the other kind's module
// its view stays empty.
TEST_F(RegistrationTest, EnablingRegistersTheModuleAndDisablingDoesNot) {
    integration.Apply(0, 1, 1, 1);  // false: there was nothing to remove
    EXPECT_FALSE(PumpUntil(AnyRegistered, 3000)) << "registered on disable";
    EXPECT_TRUE(integration.Apply(1, 1, 1, 1));
    EXPECT_TRUE(PumpUntil([] { return Registered(kOwnView) == kOwnModule; }, 60000)) << Views();
    // On 32-bit Windows both flags name the one view there is.
    if (OnWindows64()) {
        EXPECT_EQ("absent", Registered(kOtherView));
    }
}

TEST_F(RegistrationTest, On64BitWindowsTheOtherKindsModuleIsRegisteredToo) {
    std::string why = OtherKindCannotRun();
    if (!why.empty()) GTEST_SKIP() << why;
    InstallOtherModule();
    EXPECT_TRUE(integration.Apply(1, 1, 1, 1));
    EXPECT_TRUE(
        PumpUntil([] { return Registered(kOwnView) == kOwnModule && Registered(kOtherView) == kOtherModule; }, 60000))
        << Views();
}

}  // namespace
