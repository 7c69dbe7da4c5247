// The watch-page resolver: the parser on page texts, the accepted
// addresses, and whole resolutions against the stand-in site.
#include <gtest/gtest.h>
#include <cstdio>
#include "engine/InternetErrorText.h"
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

const std::string kStream = "http://www.youtube.com/get_video?";

// Resolves the page text as served with the Content-Type; the record starts
// with stale values.
VideoInfo Parse(const std::string& page, bool* resolved, const std::string& contentType = "text/html") {
    VideoInfo info{"old", "old"};
    *resolved = YouTubePageParser().Resolve(page, PageCodePage(page, contentType), info);
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

// The header's charset, else the first meta before the title, else the
// system's own code page; the title then reads as a browser shows it, and
// the player's arguments keep the page's bytes.
TEST(PageParser, TheTitleReadsAsABrowserShowsIt) {
    const struct {
        const char* contentType;
        const char* head;
        UINT want;
    } charsets[] = {
        {"text/html; charset=utf-8", "", CP_UTF8},
        {"text/html;charset=\"Shift_JIS\"", "<meta charset=utf-8>", 932},
        {"text/html; charset=nonsense", "<meta charset='UTF-8'>", CP_UTF8},
        {"text/html", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=shift_jis\">", 932},
        {"", "<meta name=x content=\"charset=utf-8\"><meta charset=unknown><meta charset = \"iso-8859-1\">", 1252},
        {"", "<metadata charset=utf-8>", LegacyCodePage()},
        {"", "<title>x</title><meta charset=utf-8>", LegacyCodePage()},
    };
    for (const auto& c : charsets)
        EXPECT_EQ(c.want, PageCodePage(std::string(c.head) + "<title>x</title>", c.contentType)) << c.head;

    const std::pair<std::string, std::wstring> titles[] = {
        {"YouTube - Caf\xC3\xA9 \xC3\x9Cn\xC3\xAF"
         "code Stra\xC3\x9F"
         "e",
         L"Caf\u00E9 \u00DCn\u00EFcode Stra\u00DFe"},
        {"Tom &amp; Jerry &#39;Classic&#39;", L"Tom & Jerry 'Classic'"},
        {"&quot;Quoted&quot; &lt;b&gt; &#x2019;s", L"'Quoted' <b> \u2019s"},
        {"YouTube&#32;- x &bogus; &#", L"x &bogus; &#"},
    };
    bool ok = false;
    for (const auto& t : titles) {
        VideoInfo info =
            Parse("<meta charset=\"utf-8\"><title>" + t.first + "</title>var swfArgs = {t:'\xC3\xA9 &amp;'}", &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(t.second, ToWide(info.title, CP_ACP)) << t.first;
        EXPECT_EQ(kStream + "t=\xC3\xA9 &amp;", info.streamUrl);
    }
    // A code page that cannot hold a character puts a look-alike or "_" in its place.
    const std::string tokyo = "Tokyo \xE6\x9D\xB1\xE4\xBA\xAC \xC5\x91 caf&eacute;";
    EXPECT_EQ("Tokyo __ o caf\xE9", DecodePageText(tokyo, CP_UTF8, 1252));
    EXPECT_EQ("Tokyo \x93\x8C\x8B\x9E _ cafe", DecodePageText(tokyo, CP_UTF8, 932));
    EXPECT_EQ("caf\xC3\xA9 \xE6\x9D\xB1", DecodePageText("caf\xE9 &#x6771;", 1252, CP_UTF8));
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

// The charset of the answer's header reaches the parser; without one, and
// without a meta declaration, the page is read in the system's code page.
TEST_F(ResolveTest, TheHeadersCharsetReadsTheTitle) {
    const std::string cafe =
        "Caf\xC3\xA9 \xC3\x9Cn\xC3\xAF"
        "code Stra\xC3\x9F"
        "e";
    ASSERT_TRUE(Resolve(Direct("/watch?v=cafe&charset=utf-8")));
    EXPECT_EQ(ToWide(cafe, CP_UTF8), ToWide(info.title, CP_ACP));
    EXPECT_EQ(kStream + "video_id=cafe&size=40000", info.streamUrl);
    ASSERT_TRUE(Resolve(Direct("/watch?v=cafe")));
    EXPECT_EQ(ToWide(cafe, LegacyCodePage()), ToWide(info.title, CP_ACP));
    EXPECT_TRUE(boxes.Texts().empty());
}
