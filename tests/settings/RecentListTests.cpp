// The recent lists: moves in memory and their registry layout.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include "app/FramehaulApp.h"
#include "tests/common/TestSupport.h"

using namespace testing_support;

namespace {

class RecentListTest : public ::testing::Test {
protected:
    void SetUp() override { ClearAppKey(); }
    void TearDown() override { ClearAppKey(); }
    std::string UrlKey() const { return App().GetProfile().AppKey() + "\\Recent\\URLs"; }
    RecentList urls{"Recent\\URLs", 20, RecentList::Match::Exact};
    RecentList folders{"Recent\\Folders", 20, RecentList::Match::FolderPath};
};

std::vector<std::string> Slots(const RecentList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Capacity(); ++i) out.push_back(list[i]);
    return out;
}

TEST_F(RecentListTest, AddingAListedTextMovesItToTheFront) {
    for (int i = 9; i >= 0; --i) urls.Add("u" + std::to_string(i));  // u0 in slot 0 ... u9 in slot 9
    urls.Add("u5");
    std::vector<std::string> expected = {"u5", "u0", "u1", "u2", "u3", "u4", "u6", "u7", "u8", "u9"};
    expected.resize(20);
    EXPECT_EQ(expected, Slots(urls));
}

TEST_F(RecentListTest, TheTwentyFirstTextDropsTheOldest) {
    for (int i = 1; i <= 21; ++i) urls.Add("u" + std::to_string(i));
    EXPECT_EQ("u21", urls[0]);
    EXPECT_EQ("u2", urls[19]);
    for (int i = 0; i < 20; ++i) EXPECT_NE("u1", urls[i]);
}

TEST_F(RecentListTest, UrlsCompareCaseSensitivelyFoldersDoNot) {
    urls.Add("http://www.youtube.com/watch?v=a");
    urls.Add("http://WWW.youtube.com/watch?v=a");
    EXPECT_EQ("http://WWW.youtube.com/watch?v=a", urls[0]);
    EXPECT_EQ("http://www.youtube.com/watch?v=a", urls[1]);

    folders.Add("C:\\Videos\\Saved");
    folders.Add("c:\\videos\\SAVED");
    EXPECT_EQ("c:\\videos\\SAVED", folders[0]);
    EXPECT_EQ("", folders[1]);
}

TEST_F(RecentListTest, RelativeFoldersAreStoredAsFullPaths) {
    std::string base = MakeTempFolder("fh_recent");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(base.c_str()));
    folders.Add("sub\\dir");
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(base + "\\sub\\dir", folders[0]);
    RemoveTree(base);
}

// Cut to 259 characters, whole ones: "\u65E5" takes three bytes in UTF-8.
TEST_F(RecentListTest, OverlongFolderTextIsCutNotOverrun) {
    std::string longText(5000, 'x');
    folders.Add(longText);
    EXPECT_LE(folders[0].size(), 259u);
    EXPECT_FALSE(folders[0].empty());
    std::string japanese;
    for (int i = 0; i < 300; ++i) japanese += u8"\u65E5";
    folders.Add(japanese);
    EXPECT_EQ(japanese.substr(0, 259 * 3), folders[0]);
}

TEST_F(RecentListTest, GapsLoadEmptyAndSaveRewritesOnlyNumberedValues) {
    for (const char* name : {"1", "2", "4", "21", "other"}) WriteString(UrlKey(), name, std::string("v") + name);
    urls.Load(App().GetProfile());
    std::vector<std::string> expected = {"v1", "v2", "", "v4"};
    expected.resize(20);
    EXPECT_EQ(expected, Slots(urls));
    urls.Save(App().GetProfile());
    EXPECT_EQ(3, ValueCount(UrlKey()));
    std::string text;
    EXPECT_TRUE(ReadString(UrlKey(), "4", &text));
    EXPECT_EQ("v4", text);
    EXPECT_FALSE(ReadString(UrlKey(), "3", &text));
    EXPECT_FALSE(ReadString(UrlKey(), "other", &text));
}

TEST_F(RecentListTest, SettingsSaveAndLoadBothLists) {
    AppSettings settings;
    settings.Load(App().GetProfile());
    settings.RecentUrls->Add("http://www.youtube.com/watch?v=x");
    settings.RecentFolders->Add("C:\\Down");
    settings.Save(App().GetProfile());
    AppSettings again;
    again.Load(App().GetProfile());
    EXPECT_EQ("http://www.youtube.com/watch?v=x", (*again.RecentUrls)[0]);
    EXPECT_EQ("C:\\Down", (*again.RecentFolders)[0]);
}

}  // namespace
