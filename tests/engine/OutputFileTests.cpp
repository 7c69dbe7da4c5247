// The output folder, the file name, an existing file, and the transfer into
// the created file.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <algorithm>
#include <fstream>
#include <regex>
#include <thread>
#include "engine/OutputFile.h"
#include "framework/CodePage.h"
#include "framework/Handles.h"
#include "resources/resource.h"
#include "tests/common/BoxWatcher.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

using namespace engine_testing;
using namespace testing_support;

namespace {

// The "always overwrite" setting, as the window would share it.
std::atomic<int> alwaysOverwrite{0};

class OutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing_support::MakeTempFolder("fh_engine_");
        ASSERT_FALSE(folder.empty());
        alwaysOverwrite = 0;
    }
    void TearDown() override {
        alwaysOverwrite = 0;
        testing_support::RemoveTree(folder);
    }
    std::string folder;
};

std::string FullPath(const std::string& path) {
    char full[1024] = "";
    GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return full;
}

void Click(HWND dialog, int id) {
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
}

// Runs PrepareOutputPath on a thread of its own, where the dialog appears,
// and hands the dialog to drive() (null: no dialog may appear); a dialog
// still open after that is closed, so that nothing waits for ever. Returns
// the path, or "" when PrepareOutputPath returned false.
std::string PrepareWithDialog(const std::string& folder, const std::string& title, void (*drive)(HWND),
                              OutputTarget* kept = nullptr) {
    std::atomic<bool> done{false};
    OutputTarget target;
    bool result = false;
    std::thread worker([&] {
        int ticked = -1;
        result = PrepareOutputPath(folder, VideoInfo{title, ""}, nullptr, alwaysOverwrite, &target, &ticked);
        if (ticked >= 0) alwaysOverwrite = ticked;  // kept by the caller, as the window keeps it
        done = true;
    });
    HWND dialog = nullptr;
    // The dialog is found before its controls exist: wait until it is shown.
    WaitFor([&] { return ((dialog = FindWindowA("#32770", "Framehaul")) && IsWindowVisible(dialog)) || done; }, 10000);
    EXPECT_EQ(drive != nullptr, dialog != nullptr);
    if (dialog && drive) drive(dialog);
    WaitFor([&] { return done.load(); }, 5000);
    if (!done) PostMessageA(dialog, WM_CLOSE, 0, 0);
    worker.join();
    std::string path = target.path;
    if (kept) *kept = std::move(target);
    return result ? path : "";
}

}  // namespace

TEST_F(OutputTest, EnsureFolderCreatesEveryLevel) {
    EXPECT_TRUE(EnsureFolder(folder + "\\one\\two\\three"));
    EXPECT_TRUE(PathIsDirectoryA((folder + "\\one\\two\\three").c_str()));
    EXPECT_TRUE(EnsureFolder(folder));
    DWORD drives = GetLogicalDrives();
    char missing = 'Q';
    while (missing < 'Z' && (drives & (1u << (missing - 'A')))) ++missing;
    EXPECT_FALSE(EnsureFolder(std::string(1, missing) + ":\\videos\\new"));
}

// Reserved characters, control characters and device names: what the
// system makes of folder\<stem>.flv must be a file in that folder.
TEST(MakeFileName, GivesAPlainFileName) {
    EXPECT_EQ("a b c d e f g h i   j", MakeFileName("a/b\\c<d>e*f?g:h\"i|\r\nj"));
    EXPECT_EQ(" dots. & 100% \xe9t\xe9 ", MakeFileName(" dots. & 100% \xe9t\xe9 "));
    const std::pair<const char*, const char*> devices[] = {
        {"CON", "CON_"},   {"nul", "nul_"},         {"Aux", "Aux_"},         {"COM1", "COM1_"},
        {"lpt9", "lpt9_"}, {"nul.tar", "nul_.tar"}, {"PRN  .x", "PRN_  .x"},
    };
    for (const auto& d : devices) {
        EXPECT_EQ(0u, FullPath(std::string("C:\\v\\") + d.first + ".flv").find("\\\\.\\")) << d.first;
        EXPECT_EQ(d.second, MakeFileName(d.first));
        EXPECT_EQ(std::string("C:\\v\\") + d.second + ".flv", FullPath(std::string("C:\\v\\") + d.second + ".flv"));
    }
    for (const char* plain : {"CONSOLE", "COM10", "xCON", "NULL.x"}) EXPECT_EQ(plain, MakeFileName(plain));
}

TEST_F(OutputTest, LongNamesAreCutToFitAPath) {
    std::string path = OutputPathFor(folder, std::string(300, 'x'));
    EXPECT_EQ(folder + "\\" + std::string(MAX_PATH - 1 - folder.size() - 5, 'x') + ".flv", path);
    std::ofstream(path) << "x";
    EXPECT_TRUE(PathFileExistsA(path.c_str()));
    EXPECT_EQ(folder + "\\\\short.flv", OutputPathFor(folder + "\\", "short"));
    // Room for three characters: "CON" would be a device, "CON_" too long.
    std::string deep = folder + "\\" + std::string(MAX_PATH - 1 - folder.size() - 1 - 1 - 3 - 4, 'd');
    EXPECT_EQ(deep + "\\CO.flv", OutputPathFor(deep, "CONxxx"));
    // A name is cut in whole characters until the disk takes it: 255 UTF-16
    // units on Windows, 255 bytes of UTF-8 under Wine, so of 300 "\u00E9" 125
    // stay before ".flv", of 300 "\u65E5" 83 (in code page 1252 they are "_",
    // cut to the path's length).
    const bool utf8 = GetACP() == CP_UTF8;
    const struct {
        wchar_t letter, held;
        size_t kept;
    } cuts[] = {{L'\u00E9', L'\u00E9', 125},
                {L'\u65E5', utf8 ? L'\u65E5' : L'_', utf8 ? 83 : MAX_PATH - 1 - folder.size() - 5}};
    std::vector<std::wstring> made = {ToWide(path.substr(folder.size() + 1), CP_ACP)};
    for (const auto& cut : cuts) {
        std::string name =
            OutputPathFor(folder, FromWide(std::wstring(300, cut.letter), CP_ACP)).substr(folder.size() + 1);
        made.push_back(ToWide(name, CP_ACP));
        EXPECT_EQ(std::wstring(cut.kept, cut.held) + L".flv", made.back());
        FileHandle file(CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        EXPECT_TRUE(file) << GetLastError();
    }
    std::vector<std::wstring> names = NamesOnDisk(folder);
    std::sort(made.begin(), made.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(made, names);
}

TEST_F(OutputTest, ExistingFileIsSettledByTheSettingOrTheDialog) {
    OutputTarget untitled;
    ASSERT_TRUE(PrepareOutputPath(folder, VideoInfo{"", ""}, nullptr, alwaysOverwrite, &untitled));
    EXPECT_TRUE(std::regex_match(untitled.path.substr(folder.size()), std::regex(R"(\\untitled-?[0-9]+\.flv)")))
        << untitled.path;
    std::ofstream(folder + "\\Taken.flv") << "old";
    EXPECT_EQ(folder + "\\other", PrepareWithDialog(folder, "Taken", [](HWND dialog) {
                  EXPECT_EQ("The file 'Taken.flv' already exists.", WindowText(GetDlgItem(dialog, IDC_EXISTS_TEXT)));
                  EXPECT_EQ("Taken.flv", WindowText(GetDlgItem(dialog, IDC_FILE_NAME)));
                  SendMessageTimeoutA(GetDlgItem(dialog, IDC_FILE_NAME), WM_SETTEXT, 0,
                                      reinterpret_cast<LPARAM>("other"), SMTO_ABORTIFHUNG, 5000, nullptr);
                  Click(dialog, IDOK);
              }));  // the name as typed, no extension added
    EXPECT_EQ(0, alwaysOverwrite);
    // Cancel and Escape give up, and leave the setting as it was.
    EXPECT_EQ("", PrepareWithDialog(folder, "Taken", [](HWND dialog) {
                  Click(dialog, IDC_ALWAYS_OVERWRITE);
                  Click(dialog, IDCANCEL);
              }));
    EXPECT_EQ("", PrepareWithDialog(folder, "Taken", [](HWND dialog) {
                  PostMessageA(GetDlgItem(dialog, IDC_FILE_NAME), WM_KEYDOWN, VK_ESCAPE, 0);
              }));
    EXPECT_EQ(0, alwaysOverwrite);
    EXPECT_EQ(folder + "\\Taken.flv", PrepareWithDialog(folder, "Taken", [](HWND dialog) {
                  Click(dialog, IDC_ALWAYS_OVERWRITE);
                  Click(dialog, IDC_OVERWRITE_IT);
              }));
    EXPECT_EQ(1, alwaysOverwrite);
    // Now on: replaced without a question.
    EXPECT_EQ(folder + "\\Taken.flv", PrepareWithDialog(folder, "Taken", nullptr));
}

TEST_F(OutputTest, DownloadToFileWritesTheStreamOrSaysWhyNot) {
    ASSERT_NE(0, SitePort()) << "FH_SITE_PORT is not set: the site must run";
    Recorder observer;
    HttpDownloader downloader;
    downloader.CreateSession(&observer);
    BoxWatcher boxes;
    std::string path = folder + "\\clip.flv";
    std::ofstream(path) << std::string(100000, 'z');
    ASSERT_TRUE(DownloadToFile(downloader, SiteUrl("/get_video?size=70000"), path, nullptr));
    EXPECT_EQ(70000u, Mismatch(ReadFileBytes(path), true));
    EXPECT_EQ(70000u, ReadFileBytes(path).size());  // truncated first
    // An error answer, or a server that cannot be reached, fails and leaves
    // the existing file as it was; an empty stream still makes its file.
    EXPECT_FALSE(DownloadToFile(downloader, SiteUrl("/get_video?status=404"), path, nullptr));
    EXPECT_EQ("The server answered: 404 Not Found", observer.LastStatus());
    EXPECT_FALSE(DownloadToFile(downloader, "http://127.0.0.1:1/get_video", path, nullptr));
    EXPECT_EQ(70000u, Mismatch(ReadFileBytes(path), true));
    ASSERT_TRUE(DownloadToFile(downloader, SiteUrl("/bytes?size=0"), folder + "\\empty.flv", nullptr));
    EXPECT_TRUE(PathFileExistsA((folder + "\\empty.flv").c_str()));
    EXPECT_TRUE(boxes.Texts().empty());
    // Files that cannot be made, typed device names among them.
    for (const std::string& bad :
         {folder + "\\missing\\clip.flv", folder + "\\", folder + "\\nul", folder + "\\com1.flv"}) {
        size_t before = boxes.Texts().size();
        EXPECT_FALSE(DownloadToFile(downloader, SiteUrl("/get_video?size=10"), bad, nullptr));
        ASSERT_TRUE(boxes.WaitForCount(before + 1, 5000)) << bad;
        EXPECT_EQ("Cannot create the file:\n" + bad, boxes.Texts().back());
    }
}

// A name is claimed when it is settled: the file is made there at once, so
// that a second job given the same title asks instead of replacing it; the
// claim keeps what its stream brings, and a stream that brings nothing
// gives the name up again. A typed name that is free is claimed too.
TEST_F(OutputTest, ASettledNameIsClaimedAtOnce) {
    ASSERT_NE(0, SitePort()) << "FH_SITE_PORT is not set: the site must run";
    OutputTarget first;
    EXPECT_EQ(folder + "\\Same.flv", PrepareWithDialog(folder, "Same", nullptr, &first));
    EXPECT_TRUE(first.claimed);
    EXPECT_TRUE(PathFileExistsA(first.path.c_str()));
    OutputTarget second;
    EXPECT_EQ(folder + "\\Else", PrepareWithDialog(
                                     folder, "Same",
                                     [](HWND dialog) {
                                         SendMessageTimeoutA(GetDlgItem(dialog, IDC_FILE_NAME), WM_SETTEXT, 0,
                                                             reinterpret_cast<LPARAM>("Else"), SMTO_ABORTIFHUNG, 5000,
                                                             nullptr);
                                         Click(dialog, IDOK);
                                     },
                                     &second));
    EXPECT_TRUE(second.claimed);

    Recorder observer;
    HttpDownloader downloader;
    downloader.CreateSession(&observer);
    BoxWatcher boxes;
    ASSERT_TRUE(DownloadToFile(downloader, SiteUrl("/get_video?size=70000"), std::move(first), nullptr));
    EXPECT_EQ(70000u, Mismatch(ReadFileBytes(folder + "\\Same.flv"), true));
    EXPECT_FALSE(DownloadToFile(downloader, SiteUrl("/get_video?status=404"), std::move(second), nullptr));
    EXPECT_FALSE(PathFileExistsA((folder + "\\Else").c_str()));
    EXPECT_TRUE(boxes.Texts().empty());
    // A replace that was agreed to claims nothing: the old file stays as it
    // is until the stream answers.
    alwaysOverwrite = 1;
    OutputTarget replace;
    EXPECT_EQ(folder + "\\Same.flv", PrepareWithDialog(folder, "Same", nullptr, &replace));
    EXPECT_FALSE(replace.claimed);
    EXPECT_EQ(70000u, ReadFileBytes(folder + "\\Same.flv").size());
}
