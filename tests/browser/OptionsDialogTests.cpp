// The Options dialog, opened on the real registry and driven as a user would.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include "app/FramehaulApp.h"
#include "browser/BrowserIntegration.h"
#include "browser/OptionsDialog.h"
#include "resources/resource.h"
#include "tests/common/MainWindowHarness.h"
#include "tests/common/TestSupport.h"

using namespace testing_support;
using namespace harness;

namespace {

const std::string kPageKey = std::string(BrowserIntegration::kMenuExtKey) + "\\Download Video on This Page";
const std::string kLinkKey = std::string(BrowserIntegration::kMenuExtKey) + "\\Download Video This Links To";

auto Checked = [](HWND w, int id) -> bool { return IsDlgButtonChecked(w, id) == BST_CHECKED; };
auto Disabled = [](HWND w, int id) { return !Enabled(w, id); };
// Whether test holds for the three boxes below "enable".
bool AllThree(HWND w, bool (*test)(HWND, int)) {
    return test(w, IDC_IE_CONTEXT_MENU) && test(w, IDC_IE_TOOLBAR_BUTTON) && test(w, IDC_IE_TOOLS_MENU);
}
bool ExtensionKeyExists() {
    HKEY key;
    bool exists = !RegOpenKeyExA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey, 0, KEY_READ, &key);
    if (exists) RegCloseKey(key);
    return exists;
}

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        CleanEntries();
        ClearAppKey();
        WriteString(App().GetProfile().AppKey(), "InstallDir", "C:\\Framehaul Options Test");
        App().settings.Load(App().GetProfile());
    }
    void TearDown() override {
        CleanEntries();
        ClearAppKey();
    }
    static void CleanEntries() {
        SHDeleteKeyA(HKEY_CURRENT_USER, kPageKey.c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, kLinkKey.c_str());
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, BrowserIntegration::kExtensionKey);
    }
    // A stray page item without its link item: the dialog reads "no
    // entries", yet removing the entries changes something, so the
    // registry shows whether Apply ran and how.
    static void LeaveOnlyThePageItem() {
        BrowserIntegration(AppInstallDir).Apply(1, 1, 0, 0);
        SHDeleteKeyA(HKEY_CURRENT_USER, kLinkKey.c_str());
    }
    static void Tick(HWND w, int id, bool on) {
        SendDlgItemMessageA(w, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        Click(w, id);
    }
};

TEST_F(OptionsDialogTest, OpensWithTheEntriesThatArePresent) {
    BrowserIntegration(AppInstallDir).Apply(1, 1, 0, 0);
    OptionsDialog options(nullptr, App().settings, AppInstallDir);
    RunWindow(options, [&](HWND w) {
        EXPECT_TRUE(Checked(w, IDC_IE_ENABLE));
        EXPECT_TRUE(Checked(w, IDC_IE_CONTEXT_MENU));
        EXPECT_FALSE(Checked(w, IDC_IE_TOOLBAR_BUTTON));
        EXPECT_FALSE(Checked(w, IDC_IE_TOOLS_MENU));
        EXPECT_TRUE(AllThree(w, Enabled));
        PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(OptionsDialogTest, EnablingTicksAndEnablesAllThreeAndOkWritesThem) {
    OptionsDialog options(nullptr, App().settings, AppInstallDir);
    INT_PTR result = RunWindow(options, [&](HWND w) {
        EXPECT_TRUE(!Checked(w, IDC_IE_ENABLE) && !Checked(w, IDC_IE_CONTEXT_MENU) && AllThree(w, Disabled));
        Tick(w, IDC_IE_ENABLE, true);
        WaitFor([&] { return Checked(w, IDC_IE_TOOLS_MENU); }, 5000);
        EXPECT_TRUE(AllThree(w, Checked));
        EXPECT_TRUE(AllThree(w, Enabled));
        Click(w, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    int context, toolbar, tools;
    EXPECT_EQ(BrowserIntegration::Full, BrowserIntegration(AppInstallDir).QueryState(&context, &toolbar, &tools));
}

// Also when it was ticked and unticked again: from a stray page item, for
// which the dialog reads "no entries", only an Apply removes anything.
TEST_F(OptionsDialogTest, UntickingEnableAndOkRemovesEveryEntry) {
    for (bool tickedFirst : {false, true}) {
        SCOPED_TRACE(tickedFirst ? "ticked, then unticked" : "unticked");
        if (tickedFirst)
            LeaveOnlyThePageItem();
        else
            BrowserIntegration(AppInstallDir).Apply(1, 1, 1, 1);
        OptionsDialog options(nullptr, App().settings, AppInstallDir);
        RunWindow(options, [&](HWND w) {
            if (tickedFirst) {
                Tick(w, IDC_IE_ENABLE, true);
                // Unticking before the click is handled would make it read unticked.
                EXPECT_TRUE(WaitFor([&] { return Checked(w, IDC_IE_TOOLS_MENU); }, 5000));
            }
            Tick(w, IDC_IE_ENABLE, false);
            Click(w, IDOK);
        });
        EXPECT_FALSE(KeyExists(kPageKey));
        EXPECT_FALSE(KeyExists(kLinkKey));
        EXPECT_FALSE(ExtensionKeyExists());
    }
}

// OK saves the boxes and, the integration untouched, starts no Apply, not
// even one that removes the stray page item; Cancel keeps everything. What
// OK hands on is only what changed.
TEST_F(OptionsDialogTest, OkSavesTheBoxesAndCancelKeepsEverything) {
    AppSettings& settings = App().settings;
    for (int button : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(button == IDOK ? "OK" : "Cancel");
        LeaveOnlyThePageItem();
        settings.AlwaysOverwrite = 0;
        settings.AutoStart = 1;
        settings.DefaultFolder = "C:\\Kept";
        settings.Program = "C:\\kept.exe";
        OptionsDialog options(nullptr, settings, AppInstallDir);
        INT_PTR result = RunWindow(options, [&](HWND w) {
            EXPECT_EQ("C:\\Kept", Text(w, IDC_FOLDER));
            Tick(w, IDC_ALWAYS_OVERWRITE, true);
            Tick(w, IDC_AUTO_START, false);
            // What the pickers would have put in the boxes.
            SetText(w, IDC_FOLDER, "C:\\New Default");
            SetText(w, IDC_PROGRAM, "C:\\Player\\play.exe");
            if (button == IDCANCEL) Tick(w, IDC_IE_ENABLE, true);
            Click(w, button);
        });
        bool ok = button == IDOK;
        EXPECT_EQ(button, result);
        EXPECT_EQ(ok ? 1 : 0, settings.AlwaysOverwrite);
        EXPECT_EQ(ok ? 0 : 1, settings.AutoStart);
        EXPECT_EQ(ok ? "C:\\New Default" : "C:\\Kept", settings.DefaultFolder);
        EXPECT_EQ(ok ? "C:\\Player\\play.exe" : "C:\\kept.exe", settings.Program);
        EXPECT_TRUE(KeyExists(kPageKey));
        EXPECT_FALSE(KeyExists(kLinkKey));
        EXPECT_FALSE(ExtensionKeyExists());
    }

    // Only what was changed in the dialog is the window's to save: another
    // window's player program, stored meanwhile, stays.
    const std::string settingsKey = App().GetProfile().AppKey() + "\\Settings";
    settings.Load(App().GetProfile());
    OptionsDialog options(nullptr, settings, AppInstallDir);
    RunWindow(options, [&](HWND w) {
        Tick(w, IDC_AUTO_START, settings.AutoStart == 0);
        Click(w, IDOK);
    });
    WriteString(settingsKey, "Program", "C:\\another window's.exe");
    settings.Save(App().GetProfile());
    std::string program;
    EXPECT_TRUE(ReadString(settingsKey, "Program", &program));
    EXPECT_EQ("C:\\another window's.exe", program);
    DWORD autoStart = 9;
    EXPECT_TRUE(ReadDword(settingsKey, "AutoStart", &autoStart));
    EXPECT_EQ(static_cast<DWORD>(settings.AutoStart), autoStart);
}

TEST_F(OptionsDialogTest, TheMainWindowShowsTheNewDefaultFolderAfterOk) {
    std::string listed = MakeTempFolder("fh_opt");
    App().settings.RecentFolders->Add(listed);
    App().settings.RecentFolders->Add("C:\\Other");
    RecordingMainDialog window;
    RunWindow(window, [&](HWND w) {
        PostMessageA(w, WM_COMMAND, ID_OPTIONS, 0);
        HWND options = WaitForDialog("Options");
        ASSERT_NE(nullptr, options);
        SetText(options, IDC_FOLDER, listed);
        Click(options, IDOK);
        WaitFor([&] { return !IsWindow(options); }, 5000);
        Sleep(100);
        EXPECT_EQ(listed, Text(w, IDC_FOLDER));
    });
    EXPECT_EQ(listed, App().settings.DefaultFolder);
    RemoveTree(listed);
}

}  // namespace
