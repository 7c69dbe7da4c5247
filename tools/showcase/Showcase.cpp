// Shows the About box and a main-window-like dialog with its folder list
// dropped down, for a screenshot to be taken meanwhile. Not part of the test
// run; the time it stays up is FH_SHOWCASE_MS (default 8000 ms).
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include "app/FramehaulApp.h"
#include "settings/RecentList.h"
#include "tests/common/TestSupport.h"
#include "tests/common/ShownAbout.h"
#include "tests/common/ControlsTestSupport.h"

using namespace controls_test;

namespace {

TEST(Showcase, AboutBoxAndDroppedDownFolderList) {
    RecentList folders{"Recent\\Folders", 20, RecentList::Match::FolderPath};
    for (const char* path : {"C:\\windows\\temp", "C:\\users", "C:\\users\\Public\\Videos\\Saved clips", "C:\\windows",
                             "C:\\Program Files"})
        folders.Add(path);
    RecentList urls{"Recent\\URLs", 20, RecentList::Match::Exact};
    urls.Add("http://www.youtube.com/watch?v=Zx81KpQ3fLw");

    HostDialog host;
    ASSERT_TRUE(host.Create());
    SetWindowPos(host.Handle(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const FontSet& fonts = FramehaulApp::Get().fonts;
    SendMessageA(host.optionsLink, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldUnderlineFont), TRUE);
    SendMessageA(host.supportLink, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldUnderlineFont), TRUE);
    SendMessageA(GetDlgItem(host.Handle(), 1011), WM_SETFONT, reinterpret_cast<WPARAM>(fonts.boldFont), TRUE);
    ShowWindow(GetDlgItem(host.Handle(), 1012), SW_HIDE);
    ShowWindow(GetDlgItem(host.Handle(), 1007), SW_HIDE);
    ShowWindow(GetDlgItem(host.Handle(), 1008), SW_HIDE);
    ShowWindow(GetDlgItem(host.Handle(), 1013), SW_HIDE);
    host.urlBox.SetList(&urls);
    host.urlBox.SetCurSel(0);
    host.folderBox.SetList(&folders);
    host.folderBox.SelectPath("C:\\users\\Public\\Videos\\Saved clips", false);

    ShownAbout about;
    ASSERT_TRUE(about.Create());
    SetWindowPos(about.Handle(), nullptr, 560, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(about.Handle(), SW_SHOW);

    SetForegroundWindow(host.Handle());
    // A list dropped before the window's first paint stays blank here.
    testing_support::PumpUntil([] { return false; }, 1000);
    SendMessageA(host.folderBox, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_TRUE(SendMessageA(host.folderBox, CB_GETDROPPEDSTATE, 0, 0));
    std::printf("SHOWN\n");
    std::fflush(stdout);
    const char* ms = std::getenv("FH_SHOWCASE_MS");
    testing_support::PumpUntil([] { return false; }, ms ? std::atoi(ms) : 8000);
}

}  // namespace
