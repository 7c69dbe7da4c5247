// The resolver and the naming under the Japanese code page (932), where a
// double-byte character's trail byte can be "\", "|" or "}". Run with
// LC_ALL=ja_JP.UTF-8; skipped in other code pages unless selected by name.
#include <gtest/gtest.h>
#include "engine/OutputFile.h"
#include "engine/PageResolver.h"
#include "engine/YouTubePageParser.h"
#include "tests/common/BoxWatcher.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

using namespace engine_testing;
using namespace testing_support;

namespace {

// The stand-in's Shift-JIS title, with trail bytes 0x5C and 0x7D.
const std::string kSjisTitle = "\x95\x5C\x8E\x7D sample \x83\x5C\x83\x74\x83\x67";

class Cp932Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetACP() == 932) return;
        if (std::string(GTEST_FLAG_GET(filter)).find("Cp932") != std::string::npos)
            FAIL() << "code page " << GetACP() << ", not 932: run with LC_ALL=ja_JP.UTF-8";
        GTEST_SKIP() << "needs code page 932";
    }
};

int CountEntries(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    int count = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        count += found.cFileName[0] != '.';
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return count;
}

}  // namespace

TEST_F(Cp932Test, TrailBytesAreNeitherSeparatorsNorBraces) {
    VideoInfo info;
    const std::string page = "<title>YouTube - " + kSjisTitle + "</title>var swfArgs = {a:'\x83\x7D',b:'\x95\x5C'};";
    ASSERT_TRUE(YouTubePageParser().Resolve(page, info));
    EXPECT_EQ(kSjisTitle, info.title);
    EXPECT_EQ("http://www.youtube.com/get_video?a=\x83\x7D&b=\x95\x5C", info.streamUrl);
    EXPECT_EQ(kSjisTitle, MakeFileName(kSjisTitle));
    EXPECT_EQ("\x83\x7C \x95\x5C ", MakeFileName("\x83\x7C|\x95\x5C\\"));
    // A lead byte before "y" makes one character of the two.
    EXPECT_FALSE(IsSupportedSite("http://example.org/\x83youtube.com"));
    // A cut keeps whole characters: room for 7 bytes takes 3 characters.
    std::string folder = "C:\\" + std::string(MAX_PATH - 1 - 3 - 1 - 7 - 4, 'd'), stem;
    for (int i = 0; i < 10; ++i) stem += "\x83\x5C";
    EXPECT_EQ(folder + "\\\x83\x5C\x83\x5C\x83\x5C.flv", OutputPathFor(folder, stem));
}

// Every NUL and control byte of a title becomes a blank in one pass over
// it, however long the title.
TEST_F(Cp932Test, AHugeHostileTitleIsNamedQuickly) {
    std::string title;
    for (int i = 0; i < 1000000; ++i) title += i % 3 ? std::string(1, '\0') : std::string("\x95\x5C\x01");
    DWORD start = GetTickCount();
    std::string name = MakeFileName(title);
    DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 2000u);
    ASSERT_EQ(title.size(), name.size());
    EXPECT_EQ("\x95\x5C  ", name.substr(0, 4));
    EXPECT_EQ(std::string::npos, name.find('\0'));
}

// Wine stores such names only when the host has the ja_JP.UTF-8 locale
// (compiled with localedef and found through LOCPATH, if need be).
TEST_F(Cp932Test, ShiftJisFoldersAndTitlesOnDisk) {
    ASSERT_NE(0, SitePort()) << "FH_SITE_PORT is not set: the site must run";
    std::string base = testing_support::MakeTempFolder("fh_cp932_");
    ASSERT_TRUE(CreateDirectoryW((std::wstring(base.begin(), base.end()) + L"\\\x8868").c_str(), nullptr))
        << "Wine cannot store Japanese file names: the host lacks the ja_JP.UTF-8 locale";
    std::string folder = base + "\\x\x83\x5C\x83\x74\\end";
    EXPECT_TRUE(EnsureFolder(folder));
    EXPECT_EQ(2, CountEntries(base));  // the probe and one new folder, none cut at a trail byte

    BoxWatcher boxes;
    Recorder observer;
    {
        SiteProxy proxy;
        ASSERT_TRUE(SiteProxyInEffect()) << "proxy seen: " << ProxyOfNewSession();
        HttpDownloader downloader;
        downloader.CreateSession(&observer);
        VideoInfo info;
        ASSERT_TRUE(ResolveVideo(downloader, "http://www.youtube.com/watch?v=sjis", info, nullptr));
        EXPECT_EQ(kSjisTitle, info.title);
        std::string path;
        std::atomic<int> overwrite{0};
        ASSERT_TRUE(PrepareOutputPath(folder, info, nullptr, overwrite, &path));
        EXPECT_EQ(folder + "\\" + kSjisTitle + ".flv", path);
        ASSERT_TRUE(DownloadToFile(downloader, info.streamUrl, path, nullptr));
        EXPECT_EQ(65536u, Mismatch(ReadFileBytes(path), true));
    }
    EXPECT_EQ(1, CountEntries(folder));
    EXPECT_TRUE(boxes.Texts().empty());
    testing_support::RemoveTree(base);
}
