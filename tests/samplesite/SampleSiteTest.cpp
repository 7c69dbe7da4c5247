// The site served in-process on a free port and talked to over plain sockets.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "samplesite/StreamBytes.h"
#include "samplesite/TlsSession.h"
#include "samplesite/WatchPages.h"
#include "tests/samplesite/SiteClient.h"

using samplesite::FirstStreamMismatch;
using samplesite::SiteEnd;
using samplesite::SiteOptions;

namespace {

const std::string kProxied = "http://www.youtube.com:80";

std::size_t StreamMismatch(const std::string& body) {
    return FirstStreamMismatch(reinterpret_cast<const unsigned char*>(body.data()), body.size(), 0);
}

// The body is the stream's first `size` bytes.
void ExpectStream(const std::string& body, std::size_t size) {
    ASSERT_EQ(size, body.size());
    EXPECT_EQ(size, StreamMismatch(body));
}

// The body is /bytes from `offset` on.
std::size_t PatternMismatch(const std::string& body, std::uint64_t offset = 0) {
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (static_cast<unsigned char>(body[i]) != samplesite::PatternByteAt(offset + i)) return i;
    }
    return body.size();
}

// A GET of target with the extra header lines (each ending in CRLF).
Reply GetWith(std::uint16_t port, const std::string& target, const std::string& headers) {
    return Exchange(port, "GET " + target + " HTTP/1.1\r\nHost: www.youtube.com\r\n" + headers + "\r\n");
}

std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "samplesite_" + name;
}

class SampleSiteTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(site.Started()); }
    std::uint16_t Port() { return site.Port(); }
    RunningSite site;
};

}  // namespace

TEST_F(SampleSiteTest, StreamIsFlvHeaderThenByteFormula) {
    Reply reply = Get(Port(), kProxied + "/get_video?video_id=sample&l=30&t=OEgsToPDskJ&size=2000000");
    EXPECT_EQ(200, reply.status);
    EXPECT_EQ("video/x-flv", reply.Header("Content-Type"));
    EXPECT_EQ("2000000", reply.Header("Content-Length"));
    EXPECT_EQ("close", reply.Header("Connection"));
    ExpectStream(reply.body, 2000000);
    EXPECT_EQ(std::string("FLV\x01\x05\0\0\0\x09\0\0\0\0", 13), reply.body.substr(0, 13));
    EXPECT_EQ(Ending::Closed, reply.ending);

    EXPECT_EQ(1048576u, Get(Port(), "/get_video?video_id=x").body.size());
    EXPECT_EQ(std::string("FLV\x01\x05", 5), Get(Port(), "/get_video?size=5").body);
    Reply empty = Get(Port(), "/get_video?size=0");
    EXPECT_EQ("0", empty.Header("Content-Length"));
    EXPECT_EQ("", empty.body);
}

// Sizes past 4 GiB must not wrap; a client that leaves mid-body must not harm the server.
TEST_F(SampleSiteTest, HugeStreamAnnouncesFullLengthAndSurvivesClientLeaving) {
    Reply reply = Get(Port(), "/get_video?size=5000000000", 5000, 300000);
    EXPECT_EQ("5000000000", reply.Header("Content-Length"));
    EXPECT_EQ(Ending::Truncated, reply.ending);
    EXPECT_GE(reply.body.size(), 300000u);
    EXPECT_EQ(reply.body.size(), StreamMismatch(reply.body));

    EXPECT_EQ(200, Get(Port(), "/bytes?size=10").status);
}

TEST_F(SampleSiteTest, NoLengthBodiesEndWithTheConnection) {
    Reply stream = Get(Port(), "/get_video?size=100000&nolength=1");
    EXPECT_FALSE(stream.HasHeader("Content-Length"));
    EXPECT_EQ(Ending::Closed, stream.ending);
    ExpectStream(stream.body, 100000);

    Reply bytes = Get(Port(), "/bytes?size=1600&nolength=1");
    EXPECT_FALSE(bytes.HasHeader("Content-Length"));
    EXPECT_EQ(1600u, bytes.body.size());
}

TEST_F(SampleSiteTest, BytesAndPagesHaveExactSizes) {
    for (std::size_t size : {0u, 511u, 512u, 1600u, 70000u}) {
        SCOPED_TRACE(size);
        Reply bytes = Get(Port(), "/bytes?size=" + std::to_string(size));
        EXPECT_EQ(std::to_string(size), bytes.Header("Content-Length"));
        ASSERT_EQ(size, bytes.body.size());
        EXPECT_EQ(size, PatternMismatch(bytes.body));
        Reply page = Get(Port(), "/page?size=" + std::to_string(size));
        EXPECT_EQ(size, page.body.size());
    }
    const std::string start = "<html><title>x</title> var swfArgs = {";
    Reply open = Get(Port(), "/page?size=100000&unterminated=1");
    ASSERT_EQ(100000u, open.body.size());
    EXPECT_EQ(start, open.body.substr(0, start.size()));
    EXPECT_EQ(std::string::npos, open.body.find('}'));
    EXPECT_EQ(start.substr(0, 10), Get(Port(), "/page?size=10&unterminated=1").body);

    Reply failed = Get(Port(), "/page?size=300&status=404&nolength=1");
    EXPECT_EQ(404, failed.status);
    EXPECT_FALSE(failed.HasHeader("Content-Length"));
    EXPECT_EQ(300u, failed.body.size());
}

TEST_F(SampleSiteTest, StatusAndRedirect) {
    Reply failed = Get(Port(), "/get_video?size=1000&status=500");
    EXPECT_EQ(500, failed.status);
    EXPECT_NE(std::string::npos, failed.body.find("<html>"));
    EXPECT_EQ(std::string::npos, failed.body.find("FLV"));

    Reply proxied = Get(Port(), kProxied + "/get_video?size=1000&redirect=1&t=a");
    EXPECT_EQ(302, proxied.status);
    EXPECT_EQ(kProxied + "/get_video?size=1000&t=a", proxied.Header("Location"));
    Reply followed = Get(Port(), proxied.Header("Location"));
    EXPECT_EQ(200, followed.status);
    EXPECT_EQ(1000u, followed.body.size());

    Reply direct = Exchange(
        Port(), "GET /get_video?redirect=1&size=9 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(Port()) + "\r\n\r\n");
    EXPECT_EQ("http://127.0.0.1:" + std::to_string(Port()) + "/get_video?size=9", direct.Header("Location"));
}

TEST_F(SampleSiteTest, ResetComesAfterExactlyTheAskedBytes) {
    Reply reply = Get(Port(), "/get_video?size=1000000&reset=300000");
    EXPECT_EQ("1000000", reply.Header("Content-Length"));
    EXPECT_EQ(Ending::Reset, reply.ending);
    ExpectStream(reply.body, 300000);
}

// The rest of a body from the asked byte on (206), nothing past its end (416); "ignore"
// offers ranges and still answers with the whole body.
TEST_F(SampleSiteTest, RangesContinueTheBodyWhereAsked) {
    Reply whole = Get(Port(), "/get_video?size=1000&ranges=1");
    EXPECT_EQ("bytes", whole.Header("Accept-Ranges"));
    ExpectStream(whole.body, 1000);
    Reply rest = GetWith(Port(), "/get_video?size=1000&ranges=1", "Range: bytes=400-\r\n");
    EXPECT_EQ(206, rest.status);
    EXPECT_EQ("bytes 400-999/1000", rest.Header("Content-Range"));
    EXPECT_EQ("600", rest.Header("Content-Length"));
    ASSERT_EQ(600u, rest.body.size());
    EXPECT_EQ(600u, FirstStreamMismatch(reinterpret_cast<const unsigned char*>(rest.body.data()), 600, 400));
    Reply beyond = GetWith(Port(), "/get_video?size=1000&ranges=1", "Range: bytes=1000-\r\n");
    EXPECT_EQ(416, beyond.status);
    EXPECT_EQ("bytes */1000", beyond.Header("Content-Range"));

    Reply ignored = GetWith(Port(), "/bytes?size=1000&ranges=ignore", "Range: bytes=400-\r\n");
    EXPECT_EQ(200, ignored.status);
    EXPECT_EQ("bytes", ignored.Header("Accept-Ranges"));
    EXPECT_EQ(1000u, PatternMismatch(ignored.body));
    EXPECT_FALSE(Get(Port(), "/bytes?size=10").HasHeader("Accept-Ranges"));
}

// A clean close comes N bytes into an answer as a reset does; with cuts=K only the first K
// answers of a download are cut, and a request without Range starts the download anew.
TEST_F(SampleSiteTest, CutsComeIntoTheFirstAnswersOfADownload) {
    Reply closed = Get(Port(), "/get_video?size=100000&close=30000");
    EXPECT_EQ("100000", closed.Header("Content-Length"));
    EXPECT_EQ(Ending::Closed, closed.ending);
    ExpectStream(closed.body, 30000);

    const std::string target = "/bytes?size=100000&ranges=1&reset=20000&cuts=2";
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Reply first = GetWith(Port(), target, "");
        EXPECT_EQ(Ending::Reset, first.ending);
        EXPECT_EQ(20000u, PatternMismatch(first.body));
        Reply second = GetWith(Port(), target, "Range: bytes=20000-\r\n");
        EXPECT_EQ(Ending::Reset, second.ending);
        EXPECT_EQ(20000u, PatternMismatch(second.body, 20000));
        Reply third = GetWith(Port(), target, "Range: bytes=40000-\r\n");
        EXPECT_EQ(Ending::Closed, third.ending);
        EXPECT_EQ(60000u, PatternMismatch(third.body, 40000));
    }
}

// A proxy's CONNECT opens a tunnel only to port 443 of a host with a certificate in the
// folder (a host name cannot reach outside it); an http address with tohttps=1 is sent to
// its https address.
TEST_F(SampleSiteTest, TunnelsNeedACertificateAndHttpsRedirects) {
    EXPECT_EQ(502, Exchange(Port(), "CONNECT www.youtube.com:443 HTTP/1.1\r\n\r\n").status);
    std::string dir = TempPath("certificates");
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/www.youtube.com.pem") << "x";
    std::ofstream(TempPath("outside.pem")) << "x";
    EXPECT_EQ(dir + "/www.youtube.com.pem", samplesite::CertificateFileFor(dir, "www.youtube.com:443"));
    for (const char* target : {"www.youtube.com:80", "other.youtube.com:443", "../samplesite_outside:443", "..:443",
                               "www.youtube.com", "a/b:443"})
        EXPECT_EQ("", samplesite::CertificateFileFor(dir, target)) << target;

    Reply moved = Get(Port(), kProxied + "/watch?v=sample&tohttps=1&x=1");
    EXPECT_EQ(301, moved.status);
    EXPECT_EQ("https://www.youtube.com/watch?v=sample&x=1", moved.Header("Location"));
}

TEST_F(SampleSiteTest, StalledConnectionStaysOpenWithoutBlockingOthers) {
    Reply stalled;
    std::thread holder([&] { stalled = Get(Port(), "/get_video?size=100000&stall=5000", 700); });
    Reply page = Get(Port(), kProxied + "/watch?v=sample");
    EXPECT_EQ(200, page.status);
    holder.join();
    EXPECT_EQ(Ending::TimedOut, stalled.ending);
    EXPECT_EQ(5000u, stalled.body.size());
    EXPECT_EQ("100000", stalled.Header("Content-Length"));
}

TEST_F(SampleSiteTest, RateAndPauseShapeTheStream) {
    auto start = std::chrono::steady_clock::now();
    Reply reply = Get(Port(), "/get_video?size=30000&rate=100000");
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ExpectStream(reply.body, 30000);
    EXPECT_GE(seconds, 0.2);  // 0.3 s at that rate; a throttle that does nothing takes ~0

    // A pause: the first bytes at once, a silence a patient client outwaits, then the rest.
    Reply cut = Get(Port(), "/get_video?size=30000&pause=5000&pausems=1500", 500);
    EXPECT_EQ(Ending::TimedOut, cut.ending);
    EXPECT_EQ(5000u, cut.body.size());
    start = std::chrono::steady_clock::now();
    Reply whole = Get(Port(), "/get_video?size=30000&pause=5000&pausems=400");
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ExpectStream(whole.body, 30000);
    EXPECT_GE(seconds, 0.35);
}

TEST_F(SampleSiteTest, BuiltInWatchPages) {
    Reply sample = Get(Port(), kProxied + "/watch?v=sample");
    EXPECT_EQ(200, sample.status);
    EXPECT_NE(std::string::npos, sample.body.find("<title>YouTube - Sample clip</title>"));
    EXPECT_NE(std::string::npos,
              sample.body.find("var swfArgs = {video_id:'sample',l:'30',t:'OEgsToPDskJ',size:'2000000'}"));

    EXPECT_EQ(std::string::npos, Get(Port(), "/watch?v=notitle").body.find("<title>"));
    EXPECT_NE(std::string::npos, Get(Port(), "/watch?v=notitle").body.find("var swfArgs = {"));
    EXPECT_EQ(std::string::npos, Get(Port(), "/watch?v=noargs").body.find("swfArgs"));
    std::string two = Get(Port(), "/watch?v=twoargs").body;
    std::size_t first = two.find("var swfArgs = {");
    std::size_t second = two.find("var swfArgs = {", first + 1);
    ASSERT_NE(std::string::npos, second);
    EXPECT_NE(two.substr(first, two.find('}', first) - first), two.substr(second, two.find('}', second) - second));

    Reply missing = Get(Port(), "/watch?v=status404");
    EXPECT_EQ(404, missing.status);
    EXPECT_NE(std::string::npos, missing.body.find("<title>"));
    EXPECT_EQ(std::string::npos, missing.body.find("swfArgs"));
    EXPECT_EQ(404, Get(Port(), "/watch?v=nosuchclip").status);
    EXPECT_EQ(404, Get(Port(), "/elsewhere").status);

    std::string sjis = Get(Port(), "/watch?v=sjis").body;
    std::size_t title = sjis.find("<title>YouTube - ");
    ASSERT_NE(std::string::npos, title);
    std::string text = sjis.substr(title, sjis.find("</title>") - title);
    EXPECT_NE(std::string::npos, text.find("\x95\x5C"));
    EXPECT_NE(std::string::npos, text.find("\x8E\x7D"));
    EXPECT_EQ("text/html; charset=Shift_JIS", Get(Port(), "/watch?v=sjis").Header("Content-Type"));
    EXPECT_EQ("text/html; charset=utf-8", Get(Port(), "/watch?v=sjis&charset=utf-8").Header("Content-Type"));
    EXPECT_EQ("text/html", Get(Port(), "/watch?v=sample&charset=").Header("Content-Type"));
}

TEST_F(SampleSiteTest, OversizedPages) {
    Reply big = Get(Port(), "/watch?v=big", 5000, 64u << 20);
    ASSERT_EQ(samplesite::kOversizedPageBytes, big.body.size());
    EXPECT_EQ(std::to_string(big.body.size()), big.Header("Content-Length"));
    std::size_t args = big.body.find("var swfArgs = {");
    ASSERT_NE(std::string::npos, args);
    EXPECT_EQ(std::string::npos, big.body.find('}', args));

    Reply huge = Get(Port(), "/watch?v=huge", 5000, 64u << 20);
    ASSERT_GT(huge.body.size(), 32u << 20);
    std::size_t hugeArgs = huge.body.find("var swfArgs = {");
    ASSERT_NE(std::string::npos, hugeArgs);
    EXPECT_LT(huge.body.find('}', hugeArgs), 4096u);
    EXPECT_NE(std::string::npos, huge.body.find("<title>YouTube - Huge page</title>"));
    EXPECT_EQ("</html>\n", huge.body.substr(huge.body.size() - 8));
}

TEST_F(SampleSiteTest, MalformedAndOtherMethods) {
    EXPECT_EQ(400, Exchange(Port(), "garbage\r\n\r\n").status);
    EXPECT_EQ(405, Exchange(Port(), "POST /watch?v=sample HTTP/1.1\r\n\r\n").status);
    Reply head = Exchange(Port(), "HEAD /get_video?size=777 HTTP/1.1\r\n\r\n");
    EXPECT_EQ("777", head.Header("Content-Length"));
    EXPECT_EQ("", head.body);
    // A client that never finishes its request must not keep a connection for ever.
    Reply silent = Exchange(Port(), "GET /watch?v=sample HTTP/1.1\r\n", 15000);
    EXPECT_EQ(Ending::Closed, silent.ending);
    EXPECT_EQ("", silent.head);
}

TEST(SampleSite, PagesFolderAndLog) {
    std::string dir = TempPath("pages");
    std::string log = TempPath("requests.log");
    std::remove(log.c_str());
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/sample.html") << "replaced";
    std::ofstream(dir + "/extra.html", std::ios::binary) << "extra\r\npage";
    std::ofstream(TempPath("secret.html")) << "outside";
    SiteOptions options;
    options.pagesDir = dir;
    options.logFile = log;
    {
        RunningSite site(options);
        ASSERT_TRUE(site.Started());
        EXPECT_EQ("replaced", Get(site.Port(), "/watch?v=sample").body);
        EXPECT_EQ("extra\r\npage", Get(site.Port(), kProxied + "/watch?v=extra").body);
        EXPECT_EQ(404, Get(site.Port(), "/watch?v=../samplesite_secret").status);
        EXPECT_EQ(200, Get(site.Port(), "/watch?v=noargs").status);
    }
    std::stringstream lines;
    lines << std::ifstream(log).rdbuf();
    const std::string expected = "GET /watch?v=sample 200\nGET " + kProxied +
                                 "/watch?v=extra 200\nGET /watch?v=../samplesite_secret 404\nGET /watch?v=noargs 200\n";
    EXPECT_EQ(expected, lines.str());
}

TEST(SampleSite, QuitAnswersThenEnds) {
    RunningSite site;
    ASSERT_TRUE(site.Started());
    Reply reply = Get(site.Port(), "/quit");
    EXPECT_EQ(200, reply.status);
    EXPECT_EQ(SiteEnd::Quit, site.WaitForEnd(5000));
    samplesite::Socket late;
    EXPECT_FALSE(late.ConnectLoopback(site.Port()));
}

// The lifetime bounds the site even while a client holds a stalled transfer open.
TEST(SampleSite, LifetimeEndsSiteAndItsConnections) {
    SiteOptions options;
    options.lifetimeMs = 600;
    RunningSite site(options);
    ASSERT_TRUE(site.Started());
    Reply stalled;
    std::thread holder([&] { stalled = Get(site.Port(), "/get_video?size=100000&stall=100", 10000); });
    EXPECT_EQ(SiteEnd::Lifetime, site.WaitForEnd(10000));
    holder.join();
    EXPECT_EQ(100u, stalled.body.size());
    EXPECT_NE(Ending::TimedOut, stalled.ending);
}
