// The watch-page resolver: the parser on page texts, the accepted
// addresses, and whole resolutions against the stand-in site.
#include <gtest/gtest.h>
#include <cstdio>
#include "engine/PageResolver.h"
#include "engine/YouTubePageParser.h"
#include "tests/common/BoxWatcher.h"
#include "tests/engine/EngineTestSupport.h"

using namespace engine_testing;

namespace {

const char* const kStream = "http://www.youtube.com/get_video?";

std::string PlayerPage(const std::string& title, const std::string& args) {
    return "<html><head>" + title + "<script>x = {y:1};</script></head><body>\n<script>\n\tvar swfArgs = " + args +
           ";\n</script></body></html>\n";
}

struct Resolved {
    bool ok;
    VideoInfo info;
};

Resolved Parse(const std::string& page) {
    Resolved result{false, {"old title", "old url"}};
    std::unique_ptr<VideoPageParser> parser = CreatePageParser("http://www.youtube.com/watch?v=x");
    if (parser) result.ok = parser->Resolve(page, result.info);
    return result;
}

}  // namespace

TEST(PageParser, PlayerArgumentsBecomeTheStreamQuery) {
    struct Case { const char* args; const char* query; };
    const Case cases[] = {
        {"{a:'1',bb:'xyz'}", "a=1&bb=xyz"},
        // Double quotes, blanks and percent signs stay; colons and commas
        // inside values are rewritten as well.
        {"{video_id:\"ab c\",t:'%41',u:'http://h/p,q'}", "video_id=\"ab c\"&t=%41&u=http=//h/p&q"},
        // Spread over lines, as long as one object.
        {"{a:'1',\n\tb:'2'\n}", "a=1&\n\tb=2\n"},
        {"{}", ""},
    };
    for (const Case& c : cases) {
        Resolved r = Parse(PlayerPage("<title>t</title>", c.args));
        ASSERT_TRUE(r.ok) << c.args;
        EXPECT_EQ(std::string(kStream) + c.query, r.info.streamUrl) << c.args;
    }
    // The first of two objects counts.
    Resolved two = Parse(PlayerPage("<title>t</title>", "{n:'first'}") + "var swfArgs = {n:'second'};");
    EXPECT_EQ(std::string(kStream) + "n=first", two.info.streamUrl);
}

TEST(PageParser, TitleLosesTheSitePrefixOnceAndItsDoubleQuotes) {
    struct Case { const char* element; const char* title; };
    const Case cases[] = {
        {"<title>YouTube - Sample clip</title>", "Sample clip"},
        {"<title>YouTube - YouTube - x</title>", "YouTube - x"},
        {"<title>YouTube - </title>", ""},
        {"<title>youtube - lower</title>", "youtube - lower"},
        {"<title>YouTube -  two blanks</title>", " two blanks"},
        {"<title>Other - YouTube - x</title>", "Other - YouTube - x"},
        {"<title>say \"hi\" &amp; \"bye\"</title>", "say 'hi' &amp; 'bye'"},
        {"<title>YouTube - line one\r\nline two</title>", "line one\r\nline two"},
        {"<title></title><title>second</title>", ""},
    };
    for (const Case& c : cases) {
        Resolved r = Parse(PlayerPage(c.element, "{a:'1'}"));
        ASSERT_TRUE(r.ok) << c.element;
        EXPECT_EQ(c.title, r.info.title) << c.element;
    }
}

TEST(PageParser, PageWithoutArgumentsOrTitleDoesNotResolve) {
    // No title: rejected as a whole, though the stream was found.
    Resolved noTitle = Parse(PlayerPage("<TITLE>upper case</TITLE>", "{a:'1'}"));
    EXPECT_FALSE(noTitle.ok);
    EXPECT_EQ("old title", noTitle.info.title);
    // No player arguments: the title is not looked at.
    Resolved noArgs = Parse("<title>YouTube - x</title> var swfArgs = [a:'1'];");
    EXPECT_FALSE(noArgs.ok);
    EXPECT_EQ("old title", noArgs.info.title);
    EXPECT_EQ("old url", noArgs.info.streamUrl);
    // An object that never closes.
    EXPECT_FALSE(Parse("<title>t</title> var swfArgs = {a:'1'").ok);
    // Blanks are literal: one blank each side of "=".
    EXPECT_FALSE(Parse("<title>t</title> var swfArgs={a:'1'}").ok);
}

TEST(PageParser, UnterminatedArgumentsInAFortyMegabytePageFailCleanly) {
    std::string page = "<title>YouTube - Big</title><script>var swfArgs = {";
    page.append(40u * 1024 * 1024, 'a');
    for (size_t i = 1000; i < page.size(); i += 997) page[i] = (i % 3) ? '\n' : ':';
    DWORD start = GetTickCount();
    std::string url = "unchanged";
    YouTubePageParser parser;
    EXPECT_FALSE(parser.ExtractStreamUrl(page, url));
    EXPECT_EQ("unchanged", url);
    std::printf("[ figures  ] 40 MiB unterminated page searched in %lu ms\n", GetTickCount() - start);
}

TEST(PageParser, AddressesOfTheSiteInAnyCaseAndWithAScheme) {
    EXPECT_TRUE(CreatePageParser("http://www.youtube.com/watch?v=abc"));
    EXPECT_TRUE(CreatePageParser("http://WWW.YouTube.COM/watch?v=abc"));
    // The domain anywhere counts, also in another site's query.
    EXPECT_TRUE(CreatePageParser("http://example.org/redirect?to=youtube.com"));
    EXPECT_TRUE(CreatePageParser("ftp://youtube.com/"));
    // No scheme, or no domain.
    EXPECT_FALSE(CreatePageParser("www.youtube.com/watch?v=abc"));
    EXPECT_FALSE(CreatePageParser("youtube.com"));
    EXPECT_FALSE(CreatePageParser("http://example.org/watch?v=abc"));
    EXPECT_FALSE(CreatePageParser("http://you-tube.com/"));
    EXPECT_FALSE(CreatePageParser(""));
    EXPECT_TRUE(IsSupportedSite("YOUTUBE.COM"));
    EXPECT_FALSE(IsSupportedSite("youtubexcom"));
}

namespace {

// Resolutions against the stand-in site, with the message boxes answered.
class ResolveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(SitePort().empty()) << "FH_SITE_PORT is not set: the stand-in site must run";
        observer.abortFlag = &observer.stopRequest;
    }
    // The site's address with the domain in its query, so that it is
    // accepted without a proxy.
    static std::string Direct(const std::string& pathAndQuery) {
        return SiteUrl(pathAndQuery + (pathAndQuery.find('?') == std::string::npos ? "?" : "&") + "via=youtube.com");
    }
    bool Resolve(const std::string& url) {
        HttpDownloader downloader;
        downloader.CreateSession(&observer);
        return ResolveVideo(downloader, url, info, nullptr);
    }

    RecordingObserver observer;
    VideoInfo info{"old title", "old url"};
    BoxWatcher boxes;
};

}  // namespace

TEST_F(ResolveTest, SamplePageGivesStreamAndTitleWithoutMessages) {
    ASSERT_TRUE(Resolve(Direct("/watch?v=sample")));
    EXPECT_EQ("Sample clip", info.title);
    EXPECT_EQ(std::string(kStream) + "video_id=sample&l=30&t=OEgsToPDskJ&size=2000000", info.streamUrl);
    EXPECT_TRUE(boxes.Texts().empty());
    // The page phase reported its progress to the same observer.
    EXPECT_EQ(1, observer.Count(ObservedCall::Begin));
    EXPECT_EQ(1, observer.Count(ObservedCall::End));
}

TEST_F(ResolveTest, EachFailureShowsItsOneMessage) {
    struct Case { std::string url; std::string message; };
    const std::vector<Case> cases = {
        {"www.youtube.com/watch?v=sample",
         "Unsupported URL:\nwww.youtube.com/watch?v=sample\n\nYou should enter URL like this:\n"
         "http://www.youtube.com/watch?v=Zx81KpQ3fLw"},
        {Direct("/watch?v=notitle"), "No video found on this page!"},
        {Direct("/watch?v=noargs"), "No video found on this page!"},
        // A server error page is parsed like any page.
        {Direct("/watch?v=status404"), "No video found on this page!"},
        {Direct("/page?size=0"), "Cannot open the page:\n" + Direct("/page?size=0")},
        {"http://127.0.0.1:1/watch?v=youtube.com", "Cannot open the page:\nhttp://127.0.0.1:1/watch?v=youtube.com"},
    };
    size_t seen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_FALSE(Resolve(c.url));
        ASSERT_TRUE(boxes.WaitForCount(++seen, 5000));
        EXPECT_EQ(c.message, boxes.Texts().back());
    }
    EXPECT_EQ(cases.size(), boxes.Texts().size());
}

TEST_F(ResolveTest, StopDuringThePageFetchCannotOpenThePage) {
    observer.stopRequest = 1;
    EXPECT_FALSE(Resolve(Direct("/watch?v=sample")));
    ASSERT_TRUE(boxes.WaitForCount(1, 5000));
    EXPECT_EQ(0, boxes.Texts()[0].find("Cannot open the page:\n"));
}

// Pages beyond 32 MiB are refused as pages that cannot be opened; one
// below it with an object that never closes holds no video.
TEST_F(ResolveTest, OversizedPagesAreRefusedAndLargeOnesSearchedToTheEnd) {
    DWORD start = GetTickCount();
    EXPECT_FALSE(Resolve(Direct("/watch?v=big")));
    EXPECT_FALSE(Resolve(Direct("/watch?v=huge")));
    EXPECT_FALSE(Resolve(Direct("/page?size=31000000&unterminated=1")));
    ASSERT_TRUE(boxes.WaitForCount(3, 5000));
    std::vector<std::string> texts = boxes.Texts();
    EXPECT_EQ(0, texts[0].find("Cannot open the page:\n"));
    EXPECT_EQ(0, texts[1].find("Cannot open the page:\n"));
    EXPECT_EQ("No video found on this page!", texts[2]);
    std::printf("[ figures  ] two oversized pages and a 31 MB one took %lu ms\n", GetTickCount() - start);
}

// The video site's own addresses, sent to the stand-in through the
// per-user proxy. WinINet takes the proxy when a session is opened.
TEST_F(ResolveTest, SiteAddressesReachTheStandInThroughTheProxy) {
    std::string before = ProxyOfNewSession();
    HINTERNET earlier = InternetOpenA("earlier", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    {
        SiteProxy proxy;
        ASSERT_TRUE(SiteProxyInEffect()) << "proxy seen: " << ProxyOfNewSession();
        // A session opened before the change keeps going direct.
        char buffer[1024] = {};
        DWORD size = sizeof(buffer);
        ASSERT_TRUE(InternetQueryOptionA(earlier, INTERNET_OPTION_PROXY, buffer, &size));
        EXPECT_EQ(static_cast<DWORD>(INTERNET_OPEN_TYPE_DIRECT),
                  reinterpret_cast<INTERNET_PROXY_INFO*>(buffer)->dwAccessType);

        ASSERT_TRUE(Resolve("http://www.youtube.com/watch?v=twoargs"));
        EXPECT_EQ("Two players", info.title);
        EXPECT_EQ(std::string(kStream) + "video_id=twoargs&l=20&t=FirstArgs01&size=300000", info.streamUrl);
        ASSERT_TRUE(Resolve("http://WWW.YouTube.com/watch?v=sample"));
        EXPECT_EQ("Sample clip", info.title);
        EXPECT_TRUE(boxes.Texts().empty());
        // Only the proxy's name was ever resolved.
        for (const std::string& text : observer.Texts(TransferObserver::TextStatus))
            EXPECT_EQ(std::string::npos, text.find("youtube")) << text;
    }
    InternetCloseHandle(earlier);
    EXPECT_EQ(before, ProxyOfNewSession());
}
