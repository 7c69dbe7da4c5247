// The watch-page resolver: the parser on page texts, the accepted
// addresses, and whole resolutions against the stand-in site.
#include <gtest/gtest.h>
#include <cstdio>
#include "engine/InternetErrorText.h"
#include "engine/PageResolver.h"
#include "engine/YouTubePageParser.h"
#include "tests/common/BoxWatcher.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

using namespace engine_testing;
using namespace testing_support;

namespace {

const std::string kStream = "http://www.youtube.com/get_video?";

// Resolves the page text; the record starts with stale values.
VideoInfo Parse(const std::string& page, bool* resolved) {
    VideoInfo info{"old", "old"};
    *resolved = YouTubePageParser().Resolve(page, info);
    return info;
}

}  // namespace

TEST(PageParser, ArgumentsBecomeTheQueryAndTheTitleLosesThePrefix) {
    bool ok = false;
    VideoInfo info = Parse(
        "<title>YouTube - Clip</title><script>f = {x:1};\n\tvar swfArgs = "
        "{id:\"a b\",u:'http://h/p,q',\n t:'%41'};var swfArgs = {id:'second'};",
        &ok);
    ASSERT_TRUE(ok);
    // Double quotes, blanks and "%" stay; ":" and "," become "=" and "&" everywhere.
    EXPECT_EQ(kStream + "id=\"a b\"&u=http=//h/p&q&\n t=%41", info.streamUrl);
    EXPECT_EQ("Clip", info.title);

    const std::pair<const char*, const char*> titles[] = {
        {"YouTube - ", ""},
        {"YouTube - YouTube - x", "YouTube - x"},
        {"youtube - x", "youtube - x"},
        {"Other - YouTube - x", "Other - YouTube - x"},
        {"say \"hi\"\r\nthere", "say 'hi'\r\nthere"},
    };
    for (const auto& t : titles) {
        info = Parse(std::string("<title>") + t.first + "</title>var swfArgs = {a:'1'}", &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(t.second, info.title) << t.first;
    }
    // Both are needed; blanks in the declaration are literal.
    for (const char* page : {"<TITLE>x</TITLE>var swfArgs = {a:'1'}", "<title>x</title>var swfArgs = [a:'1']",
                             "<title>x</title>var swfArgs={a:'1'}", "<title>x</title>var swfArgs = {a:'1'"}) {
        Parse(page, &ok);
        EXPECT_FALSE(ok) << page;
    }
}

TEST(PageParser, UnterminatedArgumentsInAFortyMegabytePageFailCleanly) {
    std::string page = "<title>YouTube - Big</title><script>var swfArgs = {";
    page.append(40u * 1024 * 1024, 'a');
    for (size_t i = 1000; i < page.size(); i += 997) page[i] = (i % 3) ? '\n' : ':';
    DWORD start = GetTickCount();
    bool ok = true;
    Parse(page, &ok);
    EXPECT_FALSE(ok);
    std::printf("[ figures  ] 40 MiB unterminated page parsed in %lu ms\n", GetTickCount() - start);
}

TEST(PageParser, AcceptedAddresses) {
    for (const char* url : {"http://www.youtube.com/watch?v=a", "http://WWW.YouTube.COM/watch?v=a",
                            "http://example.org/go?to=youtube.com", "ftp://youtube.com/"})
        EXPECT_TRUE(CreatePageParser(url)) << url;
    for (const char* url :
         {"www.youtube.com/watch?v=a", "youtube.com", "http://example.org/", "http://you-tube.com/", ""})
        EXPECT_FALSE(CreatePageParser(url)) << url;
}

namespace {

class ResolveTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(0, SitePort()) << "FH_SITE_PORT is not set: the site must run"; }
    // The site's own address, accepted because its query names the domain.
    static std::string Direct(const std::string& pathAndQuery) { return SiteUrl(pathAndQuery + "&via=youtube.com"); }
    bool Resolve(const std::string& url, DWORD receiveTimeout = HttpDownloader::kReceiveTimeout) {
        HttpDownloader downloader;
        downloader.CreateSession(&observer);
        downloader.SetReceiveTimeout(receiveTimeout);
        return ResolveVideo(downloader, url, info, nullptr);
    }
    std::string NextBox() {
        EXPECT_TRUE(boxes.WaitForCount(++boxesSeen, 5000));
        return boxes.Texts().size() >= boxesSeen ? boxes.Texts()[boxesSeen - 1] : "<no box>";
    }
    Recorder observer;
    VideoInfo info;
    BoxWatcher boxes;
    size_t boxesSeen = 0;
};

}  // namespace

TEST_F(ResolveTest, EachFailureShowsItsMessage) {
    const std::string cannotOpen = "Cannot open the page:\n", noVideo = "No video found on this page!";
    EXPECT_FALSE(Resolve("www.youtube.com/watch?v=sample"));
    EXPECT_EQ(
        "Unsupported URL:\nwww.youtube.com/watch?v=sample\n\nYou should enter URL like this:\n"
        "http://www.youtube.com/watch?v=Zx81KpQ3fLw",
        NextBox());
    for (const char* id : {"notitle", "noargs", "status404"}) {  // an error page is parsed like any
        EXPECT_FALSE(Resolve(Direct(std::string("/watch?v=") + id)));
        EXPECT_EQ(noVideo, NextBox()) << id;
    }
    // Why a page could not be opened comes after a blank line: the network
    // library's reason, or the program's own. Past 32 MiB a page is refused;
    // below it, searched to its end.
    const std::pair<std::string, std::string> unopened[] = {
        {Direct("/page?size=0"), "The server sent an empty page."},
        {Direct("/watch?v=big"), "The page is larger than 32 MB."},
        {"http://127.0.0.1:1/watch?v=youtube.com", InternetErrorText(ERROR_INTERNET_CANNOT_CONNECT)},
        {Direct("/watch?v=sample&silent=1"), InternetErrorText(ERROR_INTERNET_TIMEOUT)},
    };
    for (const auto& page : unopened) {
        EXPECT_FALSE(Resolve(page.first, 1000));
        EXPECT_EQ(cannotOpen + page.first + "\n\n" + page.second, NextBox());
    }
    EXPECT_FALSE(Resolve(Direct("/page?size=31000000&unterminated=1")));
    EXPECT_EQ(noVideo, NextBox());
    // A stop needs no message: whoever stopped knows why the page is missing.
    observer.stop = 1;
    EXPECT_FALSE(Resolve(Direct("/watch?v=sample")));
    Sleep(300);
    EXPECT_EQ(boxesSeen, boxes.Texts().size());
}

// The video site's own addresses reach the stand-in through the per-user
// proxy, which WinINet reads when a session is opened.
TEST_F(ResolveTest, SiteAddressesGoThroughTheProxy) {
    ASSERT_TRUE(Resolve(Direct("/watch?v=sample")));
    EXPECT_EQ("Sample clip", info.title);
    EXPECT_EQ(kStream + "video_id=sample&l=30&t=OEgsToPDskJ&size=2000000", info.streamUrl);
    std::string before = ProxyOfNewSession();
    {
        SiteProxy proxy;
        ASSERT_TRUE(SiteProxyInEffect()) << "proxy seen: " << ProxyOfNewSession();
        ASSERT_TRUE(Resolve("http://www.youtube.com/watch?v=twoargs"));
        EXPECT_EQ(kStream + "video_id=twoargs&l=20&t=FirstArgs01&size=300000", info.streamUrl);
        ASSERT_TRUE(Resolve("http://WWW.YouTube.com/watch?v=sample"));
        EXPECT_EQ("Sample clip", info.title);
    }
    EXPECT_EQ(before, ProxyOfNewSession());
    EXPECT_EQ(0, observer.Count("status Resolving name for www.youtube.com"));
    EXPECT_TRUE(boxes.Texts().empty());
}
