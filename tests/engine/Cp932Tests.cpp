// The resolver and the naming under the Japanese code page (932), where
// the trail byte of a double-byte character can be "\", "|" or "}". Run
// with LC_ALL=ja_JP.UTF-8; skipped in other code pages unless selected by
// name, when the wrong code page is a failure.
#include <gtest/gtest.h>
#include "engine/OutputFile.h"
#include "engine/PageResolver.h"
#include "engine/YouTubePageParser.h"
#include "tests/common/BoxWatcher.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

using namespace engine_testing;

namespace {

// "Hyoushi" and "software" written with characters whose trail bytes are
// 0x5C and 0x7D.
const std::string kSjisTitle = "\x95\x5C\x8E\x7D sample \x83\x5C\x83\x74\x83\x67";

class Cp932Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetACP() == 932) return;
        if (FilterSelects("Cp932")) FAIL() << "code page " << GetACP() << ", not 932: run with LC_ALL=ja_JP.UTF-8";
        GTEST_SKIP() << "needs code page 932";
    }
};

// Wine stores a non-ASCII file name only when the host has the locale it
// runs in (ja_JP.UTF-8, compiled with localedef, found through LOCPATH).
bool HostStoresJapaneseNames(const std::string& folder) {
    std::wstring probe = L"\\\x8868";
    int length = MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, nullptr, 0);
    std::wstring path(length > 0 ? length - 1 : 0, L'\0');
    MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, &path[0], length);
    path += probe;
    if (!CreateDirectoryW(path.c_str(), nullptr)) return false;
    RemoveDirectoryW(path.c_str());
    return true;
}

// File names in code page 932 need a folder and a host that can hold them.
class Cp932FileTest : public Cp932Test {
protected:
    void SetUp() override {
        Cp932Test::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        folder = testing_support::MakeTempFolder("fh_cp932_");
        ASSERT_FALSE(folder.empty());
        ASSERT_TRUE(HostStoresJapaneseNames(folder))
            << "Wine cannot store Japanese file names here: the host lacks the ja_JP.UTF-8 locale "
               "(localedef -i ja_JP -f UTF-8 DIR/ja_JP.UTF-8, then run with LOCPATH=DIR)";
    }
    void TearDown() override {
        if (!folder.empty()) testing_support::RemoveTree(folder);
    }
    std::string folder;
};

int CountEntries(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") ++count;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

}  // namespace

using Cp932Text = Cp932Test;

TEST_F(Cp932Text, TrailBytesAreNeitherSeparatorsNorBraces) {
    YouTubePageParser parser;
    std::string title;
    ASSERT_TRUE(parser.ExtractTitle("<title>YouTube - " + kSjisTitle + "</title>", title));
    EXPECT_EQ(kSjisTitle, title);
    std::string url;
    ASSERT_TRUE(parser.ExtractStreamUrl("var swfArgs = {a:'\x83\x7D',b:'\x95\x5C'};", url));
    EXPECT_EQ("http://www.youtube.com/get_video?a=\x83\x7D&b=\x95\x5C", url);

    EXPECT_EQ(kSjisTitle, MakeFileName(kSjisTitle));
    EXPECT_EQ("\x83\x7C \x95\x5C ", MakeFileName("\x83\x7C|\x95\x5C\\"));

    // A lead byte before "y" makes one character of the two.
    EXPECT_FALSE(IsSupportedSite("http://example.org/\x83youtube.com"));
    EXPECT_TRUE(IsSupportedSite("http://example.org/\x83\x40youtube.com"));
}

using Cp932Files = Cp932FileTest;

TEST_F(Cp932Files, FoldersAndCutNamesKeepTheirCharactersWhole) {
    const std::string& base = folder;
    std::string deep = base + "\\\x95\x5C\\\x83\x5C\x83\x74\\end";
    EXPECT_TRUE(EnsureFolder(deep));
    EXPECT_EQ(1, CountEntries(base));  // no stray folder cut at a trail byte
    EXPECT_EQ(1, CountEntries(base + "\\\x95\x5C"));

    // Room for an odd number of bytes: the cut drops a whole character.
    std::string cut = base + "\\" + std::string(MAX_PATH - 1 - base.size() - 1 - 1 - 7 - 4, 'd');
    std::string stem;
    for (int i = 0; i < 10; ++i) stem += "\x83\x5C";
    EXPECT_EQ(cut + "\\\x83\x5C\x83\x5C\x83\x5C.flv", OutputPathFor(cut, stem));
}

using Cp932Site = Cp932FileTest;

TEST_F(Cp932Site, ShiftJisWatchPageIsSavedUnderItsTitle) {
    ASSERT_FALSE(SitePort().empty()) << "FH_SITE_PORT is not set: the stand-in site must run";
    BoxWatcher boxes;
    RecordingObserver observer;
    {
        SiteProxy proxy;
        ASSERT_TRUE(SiteProxyInEffect()) << "proxy seen: " << ProxyOfNewSession();
        HttpDownloader downloader;
        downloader.CreateSession(&observer);
        VideoInfo info;
        ASSERT_TRUE(ResolveVideo(downloader, "http://www.youtube.com/watch?v=sjis", info, nullptr));
        EXPECT_EQ(kSjisTitle, info.title);
        EXPECT_EQ("http://www.youtube.com/get_video?video_id=sjis&l=15&t=SjisTitle01&size=65536", info.streamUrl);
        std::string path;
        ASSERT_TRUE(PrepareOutputPath(folder, info, nullptr, &path));
        EXPECT_EQ(folder + "\\" + kSjisTitle + ".flv", path);
        ASSERT_TRUE(DownloadToFile(downloader, info.streamUrl, path, nullptr));
        std::string bytes = ReadFileBytes(path);
        EXPECT_EQ(65536u, bytes.size());
        EXPECT_EQ(bytes.size(), StreamMismatch(bytes));
    }
    EXPECT_EQ(1, CountEntries(folder));
    EXPECT_TRUE(boxes.Texts().empty());
}
