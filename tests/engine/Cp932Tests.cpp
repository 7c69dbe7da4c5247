// The resolver and the naming on a Japanese system (code page 932), where a
// double-byte character's trail byte can be "\\", "|" or "}". The program
// holds such text as it is in code page 932 where Windows ignores its UTF-8
// declaration (engine_tests_system_cp), in UTF-8 where it honours it
// (engine_tests); the names on disk are the same. Run with LC_ALL=ja_JP.UTF-8;
// skipped on other systems unless selected by name.
#include <gtest/gtest.h>
#include <vector>
#include "engine/OutputFile.h"
#include "engine/PageResolver.h"
#include "engine/PageText.h"
#include "engine/YouTubePageParser.h"
#include "framework/CodePage.h"
#include "tests/common/BoxWatcher.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

using namespace engine_testing;
using namespace testing_support;

namespace {

// The stand-in's Shift-JIS title, with trail bytes 0x5C and 0x7D.
const std::string kSjisTitle = "\x95\x5C\x8E\x7D sample \x83\x5C\x83\x74\x83\x67";

// Shift-JIS text as the program holds it.
std::string Held(const std::string& sjis) {
    return FromWide(ToWide(sjis, 932), CP_ACP);
}

class Cp932Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (LegacyCodePage() == 932) return;
        if (std::string(GTEST_FLAG_GET(filter)).find("Cp932") != std::string::npos)
            FAIL() << "system code page " << LegacyCodePage() << ", not 932: run with LC_ALL=ja_JP.UTF-8";
        GTEST_SKIP() << "needs code page 932";
    }
};

}  // namespace

TEST_F(Cp932Test, TrailBytesAreNeitherSeparatorsNorBraces) {
    VideoInfo info;
    const std::string page = "<title>YouTube - " + kSjisTitle + "</title>var swfArgs = {a:'\x83\x7D',b:'\x95\x5C'};";
    // Without a charset the page is in the system's code page, as before.
    ASSERT_TRUE(YouTubePageParser().Resolve(page, PageCodePage(page, "text/html"), info));
    EXPECT_EQ(Held(kSjisTitle), info.title);
    EXPECT_EQ("http://www.youtube.com/get_video?a=\x83\x7D&b=\x95\x5C", info.streamUrl);
    EXPECT_EQ(Held(kSjisTitle), MakeFileName(Held(kSjisTitle)));
    EXPECT_EQ(Held("\x83\x7C \x95\x5C "), MakeFileName(Held("\x83\x7C|\x95\x5C\\")));
    // A lead byte before "y" makes one character of the two.
    if (GetACP() == 932) {
        EXPECT_FALSE(IsSupportedSite("http://example.org/\x83youtube.com"));
    }
    // A cut keeps whole characters: room for 7 takes 7 of them.
    std::string folder = "C:\\" + std::string(MAX_PATH - 1 - 3 - 1 - 7 - 4, 'd'), stem;
    for (int i = 0; i < 10; ++i) stem += Held("\x83\x5C");
    EXPECT_EQ(folder + "\\" + stem.substr(0, stem.size() / 10 * 7) + ".flv", OutputPathFor(folder, stem));
}

// Every NUL and control byte of a title becomes a blank in one pass over
// it, however long the title.
TEST_F(Cp932Test, AHugeHostileTitleIsNamedQuickly) {
    const std::string table = Held("\x95\x5C");  // its trail byte is "\\" in code page 932
    std::string title;
    for (int i = 0; i < 1000000; ++i) title += i % 3 ? std::string(1, '\0') : table + "\x01";
    DWORD start = GetTickCount();
    std::string name = MakeFileName(title);
    DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 2000u);
    ASSERT_EQ(title.size(), name.size());
    EXPECT_EQ(table + "  ", name.substr(0, table.size() + 2));
    EXPECT_EQ(std::string::npos, name.find('\0'));
}

// Wine stores such names only when the host has the ja_JP.UTF-8 locale
// (compiled with localedef and found through LOCPATH, if need be).
TEST_F(Cp932Test, ShiftJisFoldersAndTitlesOnDisk) {
    ASSERT_NE(0, SitePort()) << "FH_SITE_PORT is not set: the site must run";
    std::string base = testing_support::MakeTempFolder("fh_cp932_");
    ASSERT_TRUE(CreateDirectoryW((std::wstring(base.begin(), base.end()) + L"\\\x8868").c_str(), nullptr))
        << "Wine cannot store Japanese file names: the host lacks the ja_JP.UTF-8 locale";
    std::string folder = base + Held("\\x\x83\x5C\x83\x74\\end");
    EXPECT_TRUE(EnsureFolder(folder));
    EXPECT_EQ(2u, NamesOnDisk(base).size());  // the probe and one new folder, none cut at a trail byte

    BoxWatcher boxes;
    Recorder observer;
    {
        SiteProxy proxy;
        ASSERT_TRUE(SiteProxyInEffect()) << "proxy seen: " << ProxyOfNewSession();
        HttpDownloader downloader;
        downloader.CreateSession(&observer);
        VideoInfo info;
        ASSERT_TRUE(ResolveVideo(downloader, "http://www.youtube.com/watch?v=sjis", info, nullptr));
        EXPECT_EQ(Held(kSjisTitle), info.title);
        OutputTarget target;
        std::atomic<int> overwrite{0};
        ASSERT_TRUE(PrepareOutputPath(folder, info, nullptr, overwrite, &target));
        const std::string path = target.path;
        EXPECT_EQ(folder + "\\" + Held(kSjisTitle) + ".flv", path);
        ASSERT_TRUE(DownloadToFile(downloader, info.streamUrl, std::move(target), nullptr));
        EXPECT_EQ(65536u, Mismatch(ReadFileBytes(path), true));
    }
    EXPECT_EQ(std::vector<std::wstring>{ToWide(kSjisTitle, 932) + L".flv"}, NamesOnDisk(folder));
    EXPECT_TRUE(boxes.Texts().empty());
    testing_support::RemoveTree(base);
}
