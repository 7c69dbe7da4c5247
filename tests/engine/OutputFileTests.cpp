// The output folder, the file name, an existing file and the transfer into
// the created file.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <regex>
#include "app/FramehaulApp.h"
#include "engine/FileExistsDialog.h"
#include "engine/OutputFile.h"
#include "engine/PageResolver.h"
#include "resources/resource.h"
#include "tests/common/BoxWatcher.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

using namespace engine_testing;
using testing_support::MakeTempFolder;
using testing_support::RemoveTree;

namespace {

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTempFolder("fh_engine_");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { RemoveTree(folder); }
    std::string folder;
};

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A drive letter that names no drive.
std::string MissingDrive() {
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; ++letter)
        if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
    return "";
}

std::string FullPath(const std::string& path) {
    char full[1024] = "";
    GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return full;
}

}  // namespace

using EnsureFolderTest = TempFolderTest;

TEST_F(EnsureFolderTest, CreatesEveryMissingLevel) {
    std::string deep = folder + "\\one\\two\\three";
    EXPECT_TRUE(EnsureFolder(deep));
    EXPECT_TRUE(IsFolder(folder + "\\one\\two"));
    EXPECT_TRUE(IsFolder(deep));
    EXPECT_TRUE(EnsureFolder(deep));  // already there
    // "/" is part of a name, not a separator: the system refuses the name.
    EXPECT_FALSE(EnsureFolder(folder + "\\a/b:c"));
    std::string drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    EXPECT_FALSE(EnsureFolder(drive + "\\videos\\new"));
    // A file where the folder should be is not a folder.
    ASSERT_TRUE(WriteFileBytes(folder + "\\file", "x"));
    EXPECT_FALSE(EnsureFolder(folder + "\\file"));
}

TEST(MakeFileName, ReservedAndControlCharactersBecomeSpaces) {
    EXPECT_EQ("a b c d e f g h i j", MakeFileName("a/b\\c<d>e*f?g:h\"i|j"));
    EXPECT_EQ("run   of", MakeFileName("run<>?of"));
    EXPECT_EQ("line one  line two tab", MakeFileName("line one\r\nline two\ttab"));
    EXPECT_EQ(std::string("nul byte"), MakeFileName(std::string("nul\0byte", 8)));
    // Everything else stays: dots, blanks, other punctuation, high bytes.
    EXPECT_EQ(" lead. trail. & 100% #1 \xe9t\xe9 ", MakeFileName(" lead. trail. & 100% #1 \xe9t\xe9 "));
}

// What the system makes of folder\<name>.flv: a device, unless the name is
// changed. The raw names show that this system does treat them so.
TEST(MakeFileName, DeviceNamesGetAnUnderscore) {
    struct Case { const char* title; const char* stem; };
    const Case cases[] = {
        {"CON", "CON_"}, {"con", "con_"}, {"Nul", "Nul_"}, {"AUX", "AUX_"}, {"prn", "prn_"},
        {"COM1", "COM1_"}, {"com9", "com9_"}, {"LPT1", "LPT1_"}, {"lpt5", "lpt5_"},
        {"nul.tar", "nul_.tar"}, {"CON  .x", "CON_  .x"}, {"CON?", "CON_ "}, {"CON<.tar", "CON_ .tar"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.stem, MakeFileName(c.title)) << c.title;
        std::string raw = FullPath(std::string("C:\\videos\\") + c.title + ".flv");
        std::string made = FullPath(std::string("C:\\videos\\") + MakeFileName(c.title) + ".flv");
        EXPECT_EQ(0u, made.find("C:\\videos\\")) << made;
        if (c.title[3] != '?' && c.title[3] != '<') {
            EXPECT_EQ(0u, raw.find("\\\\.\\")) << c.title << " -> " << raw;
        }
    }
    for (const char* plain : {"CONSOLE", "COM10", "LPT", "xCON", "con-cert", "A CON", "NULL.x"})
        EXPECT_EQ(plain, MakeFileName(plain));
}

using OutputPathTest = TempFolderTest;

TEST_F(OutputPathTest, LongTitlesAreCutToFitTheLimitOfAPath) {
    std::string longTitle(300, 'x');
    std::string path = OutputPathFor(folder, MakeFileName(longTitle));
    EXPECT_EQ(static_cast<size_t>(MAX_PATH - 1), path.size());
    EXPECT_EQ(folder + "\\" + std::string(MAX_PATH - 1 - folder.size() - 5, 'x') + ".flv", path);
    // The cut path names a file that can be made.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    // Short names, and a folder given with a final backslash, stay as they are.
    EXPECT_EQ(folder + "\\short.flv", OutputPathFor(folder, "short"));
    EXPECT_EQ(folder + "\\\\short.flv", OutputPathFor(folder + "\\", "short"));
    // A cut that leaves a device name still avoids it, within the limit.
    // Room for three characters: "CON" would be a device, "CON_" too long.
    std::string deep = folder + "\\" + std::string(MAX_PATH - 1 - folder.size() - 1 - 1 - 3 - 4, 'd');
    EXPECT_EQ(deep + "\\CO.flv", OutputPathFor(deep, "CONxxxxxxxx"));
    EXPECT_EQ(deep + "\\abc.flv", OutputPathFor(deep, "abcdef"));
}

namespace {

// PrepareOutputPath with the settings' AlwaysOverwrite under control.
class PrepareTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        Overwrite() = 0;
    }
    void TearDown() override {
        Overwrite() = 0;
        TempFolderTest::TearDown();
    }
    static std::atomic<int>& Overwrite() { return FramehaulApp::Get().settings.AlwaysOverwrite; }
};

// Runs PrepareOutputPath on a worker, where the dialog appears, and lets
// the test drive the dialog from here.
struct PrepareOnWorker {
    PrepareOnWorker(const std::string& folder, const VideoInfo& info)
        : call([this, folder, info] { result = PrepareOutputPath(folder, info, nullptr, &path); }) {}
    HWND Dialog() { return WaitForThreadDialog(call.ThreadId(), IDC_OVERWRITE_IT, 10000); }
    bool result = false;
    std::string path = "<none>";
    WorkerCall call;
};

void Click(HWND dialog, int id) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

}  // namespace

TEST_F(PrepareTest, NewNamesAndAlwaysOverwriteNeedNoQuestion) {
    std::string path;
    ASSERT_TRUE(PrepareOutputPath(folder, VideoInfo{"My: clip", ""}, nullptr, &path));
    EXPECT_EQ(folder + "\\My  clip.flv", path);

    ASSERT_TRUE(PrepareOutputPath(folder, VideoInfo{"", ""}, nullptr, &path));
    std::string name = path.substr(folder.size() + 1);
    EXPECT_TRUE(std::regex_match(name, std::regex("untitled-?[0-9]+\\.flv"))) << name;

    ASSERT_TRUE(WriteFileBytes(folder + "\\Taken.flv", "old"));
    Overwrite() = 1;
    ASSERT_TRUE(PrepareOutputPath(folder, VideoInfo{"Taken", ""}, nullptr, &path));
    EXPECT_EQ(folder + "\\Taken.flv", path);
    EXPECT_EQ(1, Overwrite());
}

// The question names the file; its three buttons, the check box, and the
// ways to close it.
TEST_F(PrepareTest, FileExistsDialogDecides) {
    ASSERT_TRUE(WriteFileBytes(folder + "\\Taken.flv", "old"));
    const VideoInfo taken{"Taken", ""};
    {
        SCOPED_TRACE("OK with a typed name, box not ticked");
        PrepareOnWorker prepare(folder, taken);
        HWND dialog = prepare.Dialog();
        ASSERT_TRUE(dialog);
        EXPECT_EQ("The file 'Taken.flv' already exists.", WindowText(GetDlgItem(dialog, IDC_EXISTS_TEXT)));
        EXPECT_EQ("Taken.flv", WindowText(GetDlgItem(dialog, IDC_FILE_NAME)));
        EXPECT_EQ("Framehaul", WindowText(dialog).substr(0, 9));
        SendMessageA(GetDlgItem(dialog, IDC_FILE_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other name"));
        Click(dialog, IDOK);
        ASSERT_TRUE(prepare.call.Wait(10000));
        EXPECT_TRUE(prepare.result);
        EXPECT_EQ(folder + "\\other name", prepare.path);  // as typed, no extension added
        EXPECT_EQ(0, Overwrite());
    }
    {
        SCOPED_TRACE("Cancel with the box ticked");
        PrepareOnWorker prepare(folder, taken);
        HWND dialog = prepare.Dialog();
        ASSERT_TRUE(dialog);
        Click(dialog, IDC_ALWAYS_OVERWRITE);
        Click(dialog, IDCANCEL);
        ASSERT_TRUE(prepare.call.Wait(10000));
        EXPECT_FALSE(prepare.result);
        EXPECT_EQ(0, Overwrite());
    }
    for (UINT closing : {WM_CLOSE, WM_KEYDOWN}) {
        SCOPED_TRACE(closing == WM_CLOSE ? "close box" : "Escape");
        PrepareOnWorker prepare(folder, taken);
        HWND dialog = prepare.Dialog();
        ASSERT_TRUE(dialog);
        if (closing == WM_CLOSE) PostMessageA(dialog, WM_CLOSE, 0, 0);
        else PostMessageA(GetDlgItem(dialog, IDC_FILE_NAME), WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(prepare.call.Wait(10000));
        EXPECT_FALSE(prepare.result);
    }
    {
        SCOPED_TRACE("Overwrite It with the box ticked");
        PrepareOnWorker prepare(folder, taken);
        HWND dialog = prepare.Dialog();
        ASSERT_TRUE(dialog);
        SendMessageA(GetDlgItem(dialog, IDC_FILE_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ignored"));
        Click(dialog, IDC_ALWAYS_OVERWRITE);
        Click(dialog, IDC_OVERWRITE_IT);
        ASSERT_TRUE(prepare.call.Wait(10000));
        EXPECT_TRUE(prepare.result);
        EXPECT_EQ(folder + "\\Taken.flv", prepare.path);
        EXPECT_EQ(1, Overwrite());
    }
}

TEST_F(PrepareTest, OkWithTheBoxTickedTurnsAlwaysOverwriteOn) {
    ASSERT_TRUE(WriteFileBytes(folder + "\\Taken.flv", "old"));
    PrepareOnWorker prepare(folder, VideoInfo{"Taken", ""});
    HWND dialog = prepare.Dialog();
    ASSERT_TRUE(dialog);
    Click(dialog, IDC_ALWAYS_OVERWRITE);
    Click(dialog, IDOK);
    ASSERT_TRUE(prepare.call.Wait(10000));
    EXPECT_TRUE(prepare.result);
    EXPECT_EQ(folder + "\\Taken.flv", prepare.path);  // the proposed name, unchanged
    EXPECT_EQ(1, Overwrite());
}

namespace {

class DownloadToFileTest : public TempFolderTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(SitePort().empty()) << "FH_SITE_PORT is not set: the stand-in site must run";
        TempFolderTest::SetUp();
        downloader.CreateSession(&observer);
    }
    RecordingObserver observer;
    HttpDownloader downloader;
    BoxWatcher boxes;
};

}  // namespace

TEST_F(DownloadToFileTest, CreatesOrTruncatesTheFileAndWritesTheStream) {
    std::string path = folder + "\\clip.flv";
    ASSERT_TRUE(WriteFileBytes(path, std::string(100000, 'z')));
    ASSERT_TRUE(DownloadToFile(downloader, SiteUrl("/get_video?size=70000"), path, nullptr));
    std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(70000u, bytes.size());
    EXPECT_EQ(bytes.size(), StreamMismatch(bytes));
    EXPECT_TRUE(boxes.Texts().empty());
}

// An error answer for the stream fails; the created file stays, empty.
TEST_F(DownloadToFileTest, ErrorAnswerFailsAndLeavesTheCreatedFile) {
    std::string path = folder + "\\missing.flv";
    EXPECT_FALSE(DownloadToFile(downloader, SiteUrl("/get_video?status=404"), path, nullptr));
    EXPECT_EQ("The server answered: 404 Not Found", observer.LastStatusText());
    EXPECT_TRUE(PathFileExistsA(path.c_str()));
    EXPECT_EQ("", ReadFileBytes(path));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(DownloadToFileTest, FileThatCannotBeCreatedShowsItsPath) {
    const std::vector<std::string> paths = {
        folder + "\\no such folder\\clip.flv",  // a missing subfolder
        folder + "\\",                          // an empty typed name names the folder
        folder + "\\nul",                       // a typed device name
        folder + "\\com1.flv",
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        size_t before = boxes.Texts().size();
        EXPECT_FALSE(DownloadToFile(downloader, SiteUrl("/get_video?size=10"), path, nullptr));
        ASSERT_TRUE(boxes.WaitForCount(before + 1, 5000));
        EXPECT_EQ("Cannot create the file:\n" + path, boxes.Texts().back());
    }
    EXPECT_EQ(0, observer.Count(ObservedCall::Begin));  // nothing was requested
}

// The whole road through the proxy: a watch page of the site, its stream
// saved under its title.
TEST_F(DownloadToFileTest, ResolvedVideoIsSavedUnderItsTitle) {
    SiteProxy proxy;
    ASSERT_TRUE(SiteProxyInEffect()) << "proxy seen: " << ProxyOfNewSession();
    HttpDownloader proxied;
    proxied.CreateSession(&observer);
    VideoInfo info;
    ASSERT_TRUE(ResolveVideo(proxied, "http://www.youtube.com/watch?v=sample", info, nullptr));
    std::string path;
    ASSERT_TRUE(PrepareOutputPath(folder, info, nullptr, &path));
    EXPECT_EQ(folder + "\\Sample clip.flv", path);
    ASSERT_TRUE(DownloadToFile(proxied, info.streamUrl, path, nullptr));
    std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(2000000u, bytes.size());
    EXPECT_EQ(bytes.size(), StreamMismatch(bytes));
    EXPECT_TRUE(boxes.Texts().empty());
}
