// The address and folder boxes: items from the recent lists, moving a
// chosen path to the top, drop-down width, dropped files.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include "app/FramehaulApp.h"
#include "controls/ShellFunctions.h"
#include "framework/Strings.h"
#include "settings/RecentList.h"
#include "tests/common/TestSupport.h"
#include "tests/common/ControlsTestSupport.h"

using namespace controls_test;
using namespace testing_support;

namespace {

std::string Upper(std::string text) {
    CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// A folder name beyond ASCII, held in UTF-8 as the program holds it.
const char* const kBeta = u8"B\u00E9ta \u65E5\u672C";

class HistoryComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearAppKey();
        base = MakeTempFolder("fh_ctl");
        ASSERT_FALSE(base.empty());
        for (const char* name : {"Alpha", kBeta, "Gamma", "Delta"}) CreateDirectoryA(Folder(name).c_str(), nullptr);
        file = base + "\\Alpha\\clip.flv";
        CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(host.Create());
    }
    void TearDown() override {
        RemoveTree(base);
        ClearAppKey();
    }
    std::string Folder(const char* name) const { return base + "\\" + name; }
    std::vector<std::string> Items(const CItemComboBoxEx& box) const {
        std::vector<std::string> items;
        for (int i = 0; i < box.GetCount(); ++i) items.push_back(box.GetItemText(i));
        return items;
    }

    std::string base, file;
    HostDialog host;
    RecentList folders{"Recent\\Folders", 20, RecentList::Match::FolderPath};
    RecentList urls{"Recent\\URLs", 20, RecentList::Match::Exact};
};

TEST_F(HistoryComboTest, SelectPathMovesListedFoldersToTheTopAndShowsOrAddsOthers) {
    for (const char* name : {"Gamma", kBeta, "Alpha"}) folders.Add(Folder(name));
    CFolderHistoryCombo& box = host.folderBox;
    box.SetList(&folders);
    ASSERT_EQ((std::vector<std::string>{Folder("Alpha"), Folder(kBeta), Folder("Gamma")}), Items(box));
    box.SetCurSel(1);

    EXPECT_EQ(-1, box.SelectPath("", true));
    EXPECT_EQ(3, box.GetCount());
    EXPECT_EQ(1, box.GetCurSel());
    EXPECT_EQ(Folder(kBeta), box.GetText());

    int image = -5, selected = -5;
    ASSERT_TRUE(box.GetItemImage(2, image, selected));
    std::string shouted = Upper(Folder("Gamma"));
    EXPECT_EQ(0, box.SelectPath(shouted, false));
    EXPECT_EQ((std::vector<std::string>{shouted, Folder("Alpha"), Folder(kBeta)}), Items(box));
    int movedImage = -5, movedSelected = -5;
    ASSERT_TRUE(box.GetItemImage(0, movedImage, movedSelected));
    EXPECT_EQ(image, movedImage);
    EXPECT_EQ(selected, movedSelected);
    EXPECT_EQ(0, box.GetCurSel());
    EXPECT_EQ(Folder("Gamma"), folders[2]) << "the list itself is not reordered";

    EXPECT_EQ(-1, box.SelectPath(Folder("Delta"), false));
    EXPECT_EQ(3, box.GetCount());
    EXPECT_EQ(Folder("Delta"), box.GetText());

    EXPECT_EQ(0, box.SelectPath(Folder("Delta"), true));
    EXPECT_EQ(Folder("Delta"), box.GetItemText(0));
    EXPECT_EQ(4, box.GetCount());
    EXPECT_EQ(0, box.GetCurSel());
    ASSERT_TRUE(box.GetItemImage(0, image, selected));
    EXPECT_EQ(GetPathIconIndex(Folder("Delta"), SHGFI_SMALLICON), image);
}

TEST_F(HistoryComboTest, FindExactIgnoresLetterCaseForAddressesAndPaths) {
    CUrlHistoryCombo& urlBox = host.urlBox;
    urlBox.InsertItem(0, "http://www.youtube.com/watch?v=one", -1);
    urlBox.InsertItem(1, "http://www.youtube.com/watch?v=Two", -1);
    EXPECT_EQ(1, urlBox.FindExact(0, "HTTP://WWW.YOUTUBE.COM/WATCH?V=two"));
    EXPECT_EQ(1, urlBox.FindExact(1, "http://www.youtube.com/watch?v=two"));
    EXPECT_EQ(-1, urlBox.FindExact(1, "http://www.youtube.com/watch?v=one"));
    EXPECT_EQ(-1, urlBox.FindExact(0, "http://www.youtube.com/watch?v=on"));
    EXPECT_EQ(-1, urlBox.FindExact(5, "http://www.youtube.com/watch?v=one"));

    host.folderBox.AddPath(0, Folder("Alpha"));
    EXPECT_EQ(0, host.folderBox.FindExact(0, Upper(Folder("alpha"))));
    EXPECT_EQ(-1, host.folderBox.FindExact(0, Folder("Alpha") + "\\"));
}

TEST(PathMatching, DoubleByteCharactersMustMatchExactly) {
    auto lead = mbtext::IsCp932LeadByte;
    // Full-width A (82 60) and full-width a (82 81).
    EXPECT_TRUE(CPathComboBoxEx::SameDoubleByteChars("C:\\\x82\x60x", "c:\\\x82\x60X", lead));
    EXPECT_FALSE(CPathComboBoxEx::SameDoubleByteChars("C:\\\x82\x60", "C:\\\x82\x81", lead));
    EXPECT_FALSE(CPathComboBoxEx::SameDoubleByteChars("C:\\ab", "C:\\abc", lead));
    // A trail byte that looks like a letter is not compared as one.
    EXPECT_FALSE(CPathComboBoxEx::SameDoubleByteChars("\x95\x61", "\x95\x41", lead));
}

TEST_F(HistoryComboTest, OnDoubleByteSystemsFullWidthLettersKeepTheirCaseInPaths) {
    CPINFO info = {};
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 2)
        GTEST_SKIP() << "needs a double-byte code page as the program's (LC_ALL=ja_JP.UTF-8, controls_tests_system_cp)";
    // Full-width A (82 60) and full-width a (82 81); half-width letters still match.
    host.folderBox.AddPath(0, "C:\\Clips\\\x82\x60");
    EXPECT_EQ(0, host.folderBox.FindExact(0, "c:\\CLIPS\\\x82\x60"));
    EXPECT_EQ(-1, host.folderBox.FindExact(0, "C:\\Clips\\\x82\x81"));
}

TEST_F(HistoryComboTest, RefillStopsAtTheFirstEmptyEntryAndOpeningTheListRefillsKeepingTypedText) {
    const std::string key = App().GetProfile().AppKey() + "\\Recent\\URLs";
    WriteString(key, "1", "http://www.youtube.com/watch?v=first");
    WriteString(key, "3", "http://www.youtube.com/watch?v=third");
    urls.Load(App().GetProfile());
    host.urlBox.SetList(&urls);
    EXPECT_EQ((std::vector<std::string>{"http://www.youtube.com/watch?v=first"}), Items(host.urlBox));

    // Added elsewhere (a finished download): shows when the list opens.
    urls.Add("http://www.youtube.com/watch?v=new");
    SetControlText(host.urlBox, "typed, not chosen");
    SendMessageA(host.urlBox, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(2, host.urlBox.GetCount());
    EXPECT_EQ("http://www.youtube.com/watch?v=new", host.urlBox.GetItemText(0));
    EXPECT_EQ("typed, not chosen", host.urlBox.GetText());
    SendMessageA(host.urlBox, CB_SHOWDROPDOWN, FALSE, 0);
}

// Records the width asked for; the system then keeps the list at least as
// wide as the box, which would hide a small value.
LRESULT CALLBACK RecordDropWidth(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR asked) {
    if (message == CB_SETDROPPEDWIDTH) *reinterpret_cast<int*>(asked) = static_cast<int>(wParam);
    return DefSubclassProc(window, message, wParam, lParam);
}
int AskedDropWidth(CItemComboBoxEx& box) {
    int asked = -1;
    SetWindowSubclass(box, RecordDropWidth, 1, reinterpret_cast<DWORD_PTR>(&asked));
    box.FitDropWidth();
    RemoveWindowSubclass(box, RecordDropWidth, 1);
    return asked;
}

TEST_F(HistoryComboTest, DropWidthOfAnEmptyBoxWithoutImagesIsTwoWsAndEightPixels) {
    CUrlHistoryCombo& box = host.urlBox;
    ASSERT_EQ(nullptr, box.GetImageList());
    SIZE w = TextSize(reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)), "W");
    EXPECT_EQ(2 * w.cx + 8, AskedDropWidth(box));

    // The folder box shows the system's small icons: they take room too.
    IMAGEINFO icon = {};
    ASSERT_TRUE(ImageList_GetImageInfo(host.folderBox.GetImageList(), 0, &icon));
    EXPECT_EQ(2 * w.cx + 8 + icon.rcImage.right - icon.rcImage.left + 1, AskedDropWidth(host.folderBox));
}

TEST_F(HistoryComboTest, DroppedNamesQualifyByThePathFilter) {
    struct Case {
        int filter;
        std::vector<std::string> names;
        std::string shown;
    };
    const std::string folder = Folder(kBeta);
    const int files = CPathComboBoxEx::kAcceptFiles, folders = CPathComboBoxEx::kAcceptFolders;
    const Case cases[] = {
        {folders, {file, folder}, folder}, {folders, {file}, "before"},   {files | folders, {file, folder}, file},
        {files, {folder, file}, file},     {0, {file, folder}, "before"},
    };
    for (const Case& c : cases) {
        host.folderBox.pathFilter = c.filter;
        SetControlText(host.folderBox, "before");
        SendMessageA(host.folderBox, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropFiles(c.names)), 0);
        EXPECT_EQ(c.shown, host.folderBox.GetText()) << "filter " << c.filter;
        EXPECT_EQ(0, host.folderBox.GetCount());
    }
}

TEST_F(HistoryComboTest, AutoCompleteNeedsAWindowAndIconsFollowTheKindOfPath) {
    EXPECT_FALSE(EnableAutoComplete(nullptr, SHACF_FILESYSTEM));
    ASSERT_NE(nullptr, host.folderBox.edit.Handle());
    EXPECT_EQ(host.folderBox.GetEditControl(), host.folderBox.edit.Handle());
    // This system's SHAutoComplete may answer S_FALSE: that is success.
    EXPECT_TRUE(EnableAutoComplete(host.folderBox.edit, SHACF_FILESYSTEM));

    int folderIcon = GetPathIconIndex(Folder("Alpha"), SHGFI_SMALLICON);
    EXPECT_EQ(folderIcon, GetPathIconIndex(Folder(kBeta), SHGFI_SMALLICON));
    EXPECT_NE(folderIcon, GetPathIconIndex(Folder("Alpha") + "\\missing.flv", SHGFI_SMALLICON));
}

bool IsGreen(COLORREF c) {
    return GetGValue(c) > 120 && GetRValue(c) < 60 && GetBValue(c) < 60;
}

TEST_F(HistoryComboTest, PathEditDrawsInItsOwnColourOnlyWhenOneIsSet) {
    HWND edit = host.folderBox.edit;
    SetControlText(host.folderBox, "WWWWWWWW");
    RECT r;
    GetClientRect(edit, &r);
    EXPECT_EQ(0, CountPixels(PrintClient(edit, r.right, r.bottom), IsGreen));
    host.folderBox.edit.textColor = RGB(0, 160, 0);
    EXPECT_GT(CountPixels(PrintClient(edit, r.right, r.bottom), IsGreen), 0);
}

}  // namespace
