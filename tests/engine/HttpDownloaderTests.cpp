// Transfers from the stand-in site, checked through the exact calls the
// observer receives.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <set>
#include "engine/HttpDownloader.h"
#include "engine/InternetErrorText.h"
#include "engine/OutputFile.h"
#include "tests/common/BoxWatcher.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

using namespace engine_testing;

namespace {

std::string Dump(const RecordingObserver& observer) {
    std::string text;
    for (const ObservedCall& call : observer.calls) {
        static const char* const kinds[] = {"begin", "end", "text", "progress"};
        text += std::string(kinds[call.kind]) + " " + std::to_string(call.subKind) + " [" + call.text + "] " +
                std::to_string(call.value) + "\n";
    }
    return text;
}

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(SitePort().empty()) << "FH_SITE_PORT is not set: the stand-in site must run";
        observer.abortFlag = &observer.stopRequest;
        downloader.CreateSession(&observer);
    }
    bool Fetch(const std::string& pathAndQuery,
               HttpDownloader::HttpErrors errors = HttpDownloader::HttpErrors::Accept) {
        downloader.SetChunkSize(4096);
        return downloader.Download(SiteUrl(pathAndQuery), page, errors);
    }
    // The progress calls a transfer of these sizes makes after OnBegin.
    static std::vector<std::string> ExpectedOutline(const std::vector<unsigned>& reads, unsigned totalKb) {
        std::vector<std::string> lines = {"begin", "total " + std::to_string(totalKb)};
        unsigned received = 0;
        for (unsigned read : reads) {
            received += read;
            lines.push_back("text " + std::to_string(received / 1024) + " KB / " + std::to_string(totalKb) + " KB");
            lines.push_back("position " + std::to_string(received / 1024));
        }
        lines.push_back("end");
        return lines;
    }

    RecordingObserver observer;
    HttpDownloader downloader;
    PageBuffer page;
};

}  // namespace

// Total KB are rounded, received KB truncated; a small body arrives in one
// read, and the status line is cleared at the end.
TEST_F(TransferTest, SmallBodiesReportRoundedTotalAndTruncatedPosition) {
    struct Case { unsigned size; unsigned totalKb; };
    for (Case c : {Case{1600, 2}, Case{511, 0}, Case{512, 1}}) {
        SCOPED_TRACE(c.size);
        RecordingObserver fresh;
        HttpDownloader one;
        one.CreateSession(&fresh);
        PageBuffer body;
        ASSERT_TRUE(one.Download(SiteUrl("/bytes?size=" + std::to_string(c.size)), body)) << Dump(fresh);
        EXPECT_EQ(c.size, body.Text().size());
        EXPECT_EQ(body.Text().size(), PatternMismatch(body.Text()));
        EXPECT_EQ(ExpectedOutline({c.size}, c.totalKb), fresh.Outline()) << Dump(fresh);
        EXPECT_EQ("", fresh.LastStatusText());
    }
}

TEST_F(TransferTest, WithoutContentLengthEveryTextShowsZeroTotal) {
    ASSERT_TRUE(Fetch("/bytes?size=10000&nolength=1")) << Dump(observer);
    EXPECT_EQ(10000u, page.Text().size());
    EXPECT_EQ(page.Text().size(), PatternMismatch(page.Text()));
    std::vector<std::string> texts = observer.Texts(TransferObserver::TextProgress);
    ASSERT_FALSE(texts.empty());
    for (const std::string& text : texts) EXPECT_NE(std::string::npos, text.find(" KB / 0 KB")) << text;
    EXPECT_EQ(0, texts.back().find("9 KB / 0 KB"));
    std::vector<std::string> outline = observer.Outline();
    EXPECT_EQ("total 0", outline.at(1));
    EXPECT_EQ("position 9", outline.at(outline.size() - 2));
}

// Whole seconds: no rate until the clock's second changes, then always one,
// an average over the whole transfer so far.
TEST_F(TransferTest, RateAppearsWithinTheFirstSecondAndThenStays) {
    ASSERT_TRUE(Fetch("/bytes?size=260000&rate=100000")) << Dump(observer);
    ASSERT_EQ(260000u, page.Text().size());
    DWORD begin = 0;
    bool rateSeen = false;
    int withRate = 0;
    for (const ObservedCall& call : observer.calls) {
        if (call.kind == ObservedCall::Begin) begin = call.tick;
        if (call.kind != ObservedCall::Text || call.subKind != TransferObserver::TextProgress) continue;
        int shown = 0, total = 0;
        double rate = 0;
        int fields = std::sscanf(call.text.c_str(), "%d KB / %d KB, %lf KB/s", &shown, &total, &rate);
        ASSERT_TRUE(fields == 2 || fields == 3) << call.text;
        EXPECT_EQ(254, total);
        if (fields == 2) {
            EXPECT_FALSE(rateSeen) << "a text without rate after one with: " << call.text;
            EXPECT_LT(call.tick - begin, 1250u) << call.text;
            continue;
        }
        rateSeen = true;
        ++withRate;
        EXPECT_NE(std::string::npos, call.text.find(", ")) << call.text;
        // rate = received KB / whole seconds: shown / rate is nearly a whole number.
        ASSERT_GT(rate, 0) << call.text;
        double seconds = shown / rate;
        EXPECT_GE(seconds, 0.9) << call.text;
        EXPECT_NEAR(seconds, static_cast<int>(seconds + 0.5), 0.1) << call.text;
    }
    EXPECT_TRUE(rateSeen);
    std::printf("[ figures  ] %d of %zu progress texts carried a rate\n", withRate,
                observer.Texts(TransferObserver::TextProgress).size());
}

TEST_F(TransferTest, StopRequestedBeforeTheFirstReadEndsAtOnce) {
    observer.stopRequest = 1;
    EXPECT_FALSE(Fetch("/bytes?size=100000"));
    EXPECT_EQ((std::vector<std::string>{"begin", "total 98", "end"}), observer.Outline()) << Dump(observer);
    EXPECT_TRUE(page.Text().empty());
    EXPECT_EQ("", observer.LastStatusText());
}

// WinINet's events become the callback table's texts, on the transfer's
// thread; a redirect is one of the events the table does not name.
TEST_F(TransferTest, StatusTextsFollowTheCallbackTableAndNameRedirects) {
    ASSERT_TRUE(Fetch("/get_video?size=100&redirect=1")) << Dump(observer);
    EXPECT_EQ(100u, page.Text().size());
    EXPECT_EQ(page.Text().size(), StreamMismatch(page.Text()));
    const std::set<std::string> fixed = {"", "Connecting to socket address ", "Connected to socket address",
                                          "Sending request...", "Request sent", "Response received",
                                          "Closing the connection to the server", "Connection to the server closed",
                                          "Request complete"};
    bool redirect = false, sent = false;
    for (const ObservedCall& call : observer.calls) {
        EXPECT_EQ(GetCurrentThreadId(), call.thread);
        if (call.kind != ObservedCall::Text || call.subKind != TransferObserver::TextStatus) continue;
        const std::string& t = call.text;
        redirect = redirect || t == "Unknown status: 110";
        sent = sent || t == "Request sent";
        bool known = fixed.count(t) || t.rfind("Resolving name for ", 0) == 0 ||
                     t.rfind("Resolved name for ", 0) == 0 || t.rfind("Unknown status: ", 0) == 0 ||
                     t.rfind("Request complete, dwResult = ", 0) == 0;
        EXPECT_TRUE(known) << "[" << t << "]";
    }
    EXPECT_TRUE(redirect) << Dump(observer);
    EXPECT_TRUE(sent) << Dump(observer);
}

TEST_F(TransferTest, ErrorAnswerIsAPageForThePlainTransferAndAFailureForTheStream) {
    ASSERT_TRUE(Fetch("/get_video?status=404")) << Dump(observer);
    EXPECT_NE(std::string::npos, page.Text().find("<h1>404 Not Found</h1>"));
    EXPECT_EQ(1, observer.Count(ObservedCall::End));

    for (int status : {404, 500}) {
        RecordingObserver fresh;
        HttpDownloader one;
        one.CreateSession(&fresh);
        PageBuffer body;
        EXPECT_FALSE(one.Download(SiteUrl("/get_video?status=" + std::to_string(status)), body,
                                  HttpDownloader::HttpErrors::Fail));
        EXPECT_TRUE(body.Text().empty());
        EXPECT_EQ(0, fresh.Count(ObservedCall::Begin)) << Dump(fresh);
        EXPECT_EQ(status == 404 ? "The server answered: 404 Not Found"
                                : "The server answered: 500 Internal Server Error",
                  fresh.LastStatusText());
    }
    // A good answer still goes through.
    RecordingObserver fresh;
    HttpDownloader one;
    one.CreateSession(&fresh);
    PageBuffer body;
    EXPECT_TRUE(one.Download(SiteUrl("/get_video?size=3000"), body, HttpDownloader::HttpErrors::Fail));
    EXPECT_EQ(3000u, body.Text().size());
}

// A connection that breaks before the announced length is a failed
// transfer with WinINet's reason, not a complete body. The reset can
// overtake the headers, so the request is repeated until one breaks
// mid-body; every attempt must fail the same way.
TEST_F(TransferTest, ConnectionResetMidBodyFailsWithTheErrorText) {
    bool midBody = false;
    for (int attempt = 0; attempt < 8 && !midBody; ++attempt) {
        RecordingObserver fresh;
        HttpDownloader one;
        one.CreateSession(&fresh);
        PageBuffer body;
        EXPECT_FALSE(one.Download(SiteUrl("/bytes?size=300000&reset=50000"), body)) << Dump(fresh);
        EXPECT_LE(body.Text().size(), 50000u);
        EXPECT_EQ(body.Text().size(), PatternMismatch(body.Text()));
        EXPECT_EQ(0, fresh.Count(ObservedCall::End)) << Dump(fresh);
        EXPECT_NE("", fresh.LastStatusText());
        EXPECT_EQ(std::string::npos, fresh.LastStatusText().find(" KB")) << fresh.LastStatusText();
        midBody = fresh.Count(ObservedCall::Begin) == 1;
    }
    EXPECT_TRUE(midBody) << "the connection never broke after the headers";
}

TEST_F(TransferTest, AddressThatCannotBeOpenedReportsWinInetsText) {
    // Port 1 of the loopback address: nothing listens there.
    EXPECT_FALSE(downloader.Download("http://127.0.0.1:1/x", page));
    EXPECT_EQ(0, observer.Count(ObservedCall::Begin));
    EXPECT_NE("", observer.LastStatusText());
    EXPECT_EQ(InternetErrorText(ERROR_INTERNET_CANNOT_CONNECT), observer.LastStatusText()) << Dump(observer);

    // Without a session nothing is fetched and nothing breaks.
    HttpDownloader unopened;
    EXPECT_FALSE(unopened.Download(SiteUrl("/bytes?size=10"), page));
    EXPECT_TRUE(page.Text().empty());
}

TEST_F(TransferTest, PageBufferRefusesToGrowPastItsLimit) {
    PageBuffer small(10000);
    EXPECT_FALSE(downloader.Download(SiteUrl("/bytes?size=10001"), small));
    EXPECT_EQ(0, observer.Count(ObservedCall::End));
    EXPECT_EQ(small.ErrorText(), observer.LastStatusText());
    EXPECT_LE(small.Text().size(), 10000u);

    PageBuffer exact(10000);
    EXPECT_TRUE(downloader.Download(SiteUrl("/bytes?size=10000"), exact));
    EXPECT_EQ(10000u, exact.Text().size());
}

TEST_F(TransferTest, FullDiskEndsTheTransferWithTheFileErrorText) {
    const char* full = std::getenv("FH_DISK_FULL_FILE");
    ASSERT_TRUE(full && *full) << "FH_DISK_FULL_FILE is not set";
    char fullPath[MAX_PATH] = "";
    GetFullPathNameA(full, MAX_PATH, fullPath, nullptr);
    BoxWatcher boxes;
    EXPECT_FALSE(DownloadToFile(downloader, SiteUrl("/get_video?size=20000"), full, nullptr));
    EXPECT_EQ(std::string("Disk full while accessing ") + fullPath + ".", observer.LastStatusText())
        << Dump(observer);
    EXPECT_EQ(1, observer.Count(ObservedCall::Begin));
    EXPECT_EQ(0, observer.Count(ObservedCall::End));
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts().front();
}
