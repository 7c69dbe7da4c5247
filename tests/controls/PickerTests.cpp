// The folder browser and the file dialog, driven from a second thread the
// way a user would: wait for the dialog, type, press OK or Cancel.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include <gtest/gtest.h>
#include <fstream>
#include "controls/CFileDialogEx.h"
#include "controls/CFolderPicker.h"
#include "tests/common/TestSupport.h"
#include "tests/common/ControlsTestSupport.h"

using namespace controls_test;
using namespace testing_support;

namespace {

const char kProgramFilter[] = "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*||";
const int kFileNameBox = 0x47C;  // cmb13: the file-name box of the Explorer-style dialog

void Press(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

bool Contains(const std::vector<std::string>& texts, const std::string& wanted) {
    for (const std::string& t : texts)
        if (lstrcmpiA(t.c_str(), wanted.c_str()) == 0) return true;
    return false;
}

class PickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Not below the temporary folder: this system's folder browser
        // cannot select folders inside the user's special folders by path.
        folder = "C:\\fh_pick" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        for (const char* name : {"\\a.exe", "\\b.exe"}) std::ofstream(folder + name);
    }
    void TearDown() override { RemoveTree(folder); }
    std::string folder;
};

TEST_F(PickerTest, FolderBrowserOpensOnTheGivenFolderShowsItAsStatusAndReturnsIt) {
    CFolderPicker picker("Select a folder to save download", BIF_STATUSTEXT, nullptr);
    EXPECT_EQ(0xC5u, picker.browseFlags);
    picker.SetSelection(folder);
    std::vector<std::string> texts;
    INT_PTR result;
    {
        DialogDriver driver({}, [&](HWND dialog) {
            Sleep(500);
            texts = ChildTexts(dialog);
            Press(dialog, IDOK);
        });
        result = picker.DoModal();
        EXPECT_TRUE(driver.Found());
    }
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(0, lstrcmpiA(folder.c_str(), picker.GetPath().c_str())) << picker.GetPath() << " vs " << folder;
    EXPECT_TRUE(Contains(texts, folder)) << "texts: " << ::testing::PrintToString(texts);
}

TEST_F(PickerTest, CancellingTheFolderBrowserGivesNoPath) {
    CFolderPicker picker("Select a folder to save download", BIF_STATUSTEXT, nullptr);
    picker.SetSelection(folder);
    DialogDriver driver({}, [](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_EQ(IDCANCEL, picker.DoModal());
    EXPECT_TRUE(driver.Found());
    EXPECT_EQ("", picker.GetPath());
}

TEST_F(PickerTest, FileDialogSizeFollowsTheSystemAndTheFilterIsSplitIntoPairs) {
    CFileDialogEx chosen(true, nullptr, nullptr, OFN_HIDEREADONLY, kProgramFilter, nullptr);
    OSVERSIONINFOA version = {sizeof(version)};
    GetVersionExA(&version);
    ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), version.dwPlatformId);
    EXPECT_EQ(version.dwMajorVersion >= 5 ? sizeof(OPENFILENAMEA) : OPENFILENAME_SIZE_VERSION_400A,
              chosen.ofn.lStructSize);
    EXPECT_EQ(static_cast<DWORD>(OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING), chosen.ofn.Flags);
    const char pairs[] = "Executable Files (*.exe)\0*.exe\0All Files (*.*)\0*.*\0";
    EXPECT_EQ(0, memcmp(chosen.ofn.lpstrFilter, pairs, sizeof(pairs)));

    // Both layouts open the dialog, in a 32- and a 64-bit program alike.
    CFileDialogEx old(true, nullptr, nullptr, OFN_HIDEREADONLY, kProgramFilter, nullptr,
                      OPENFILENAME_SIZE_VERSION_400A);
    for (CFileDialogEx* dialog : {&chosen, &old}) {
        DialogDriver driver({}, [](HWND dialog) { Press(dialog, IDCANCEL); });
        EXPECT_EQ(IDCANCEL, dialog->DoModal()) << dialog->ofn.lStructSize;
        EXPECT_TRUE(driver.Found()) << dialog->ofn.lStructSize;
    }
}

TEST_F(PickerTest, MultipleSelectionStartsWithTheGivenNameAndGivesOneFileOrTheFolder) {
    const DWORD flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT;
    CFileDialogEx single(true, nullptr, (folder + "\\a.exe").c_str(), flags, kProgramFilter, nullptr);
    EXPECT_EQ(8192u, single.ofn.nMaxFile);
    {
        DialogDriver driver({}, [](HWND dialog) {
            Sleep(300);
            Press(dialog, IDOK);
        });
        ASSERT_EQ(IDOK, single.DoModal());
    }
    EXPECT_EQ(1, single.GetFileCount());
    std::string first = folder + "\\a.exe";
    EXPECT_EQ(0, lstrcmpiA(first.c_str(), single.GetPathName().c_str())) << single.GetPathName();

    CFileDialogEx several(true, nullptr, (folder + "\\a.exe").c_str(), flags, kProgramFilter, nullptr);
    {
        DialogDriver driver({}, [](HWND dialog) {
            Sleep(300);
            SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
            SetDlgItemTextA(dialog, kFileNameBox, "\"a.exe\" \"b.exe\"");
            Press(dialog, IDOK);
        });
        ASSERT_EQ(IDOK, several.DoModal());
    }
    EXPECT_EQ(2, several.GetFileCount());
    EXPECT_EQ(0, lstrcmpiA((folder + "\\").c_str(), several.GetPathName().c_str())) << several.GetPathName();
    EXPECT_EQ(0, lstrcmpiA((folder + "\\b.exe").c_str(), several.GetFilePath(1).c_str()));
}

}  // namespace
