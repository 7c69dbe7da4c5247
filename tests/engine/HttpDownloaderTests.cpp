// Transfers from the stand-in site, checked through the exact calls the
// observer receives.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include "engine/HttpDownloader.h"
#include "engine/InternetErrorText.h"
#include "engine/OutputFile.h"
#include "tests/common/BoxWatcher.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

using namespace engine_testing;
using namespace testing_support;
using Lines = std::vector<std::string>;

namespace {

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(0, SitePort()) << "FH_SITE_PORT is not set: the site must run"; }
    // A new downloader that reports to a new observer.
    HttpDownloader& Fresh() {
        downloader.reset();
        observer.reset(new Recorder);
        downloader.reset(new HttpDownloader);
        downloader->CreateSession(observer.get());
        return *downloader;
    }
    bool Fetch(const std::string& pathAndQuery, HttpDownloader::HttpErrors errors = HttpDownloader::HttpErrors::Accept,
               HttpDownloader::Cuts cuts = HttpDownloader::Cuts::End) {
        page.reset(new PageBuffer);
        Fresh().SetChunkSize(4096);
        downloader->SetResumeWaits({50, 50, 50, 50, 50});
        downloader->SetReceiveTimeout(1000);
        return downloader->Download(SiteUrl(pathAndQuery), *page, errors, cuts);
    }
    std::unique_ptr<Recorder> observer;
    std::unique_ptr<HttpDownloader> downloader;
    std::unique_ptr<PageBuffer> page;
};

}  // namespace

// Total KB are rounded, received KB truncated, and an unknown length shows
// as 0; the status line is cleared at the end.
TEST_F(TransferTest, ProgressTextsAndPositions) {
    ASSERT_TRUE(Fetch("/bytes?size=1600")) << observer->Dump();
    EXPECT_EQ(1600u, page->Text().size());
    EXPECT_EQ(page->Text().size(), Mismatch(page->Text(), false));
    EXPECT_EQ((Lines{"begin", "total 2", "text 1 KB / 2 KB", "position 1", "end"}), observer->Outline());
    EXPECT_EQ("", observer->LastStatus());
    ASSERT_TRUE(Fetch("/bytes?size=511"));
    EXPECT_EQ((Lines{"begin", "total 0", "text 0 KB / 0 KB", "position 0", "end"}), observer->Outline());
    ASSERT_TRUE(Fetch("/bytes?size=512"));
    EXPECT_EQ("total 1", observer->Outline()[1]);

    ASSERT_TRUE(Fetch("/bytes?size=10000&nolength=1"));
    EXPECT_EQ(10000u, page->Text().size());
    Lines outline = observer->Outline();
    EXPECT_EQ("total 0", outline[1]);
    for (size_t i = 2; i + 1 < outline.size(); i += 2) EXPECT_NE(std::string::npos, outline[i].find(" KB / 0 KB"));
    EXPECT_EQ((Lines{"text 9 KB / 0 KB", "position 9", "end"}), Lines(outline.end() - 3, outline.end()));
}

// Whole seconds: no rate until the clock's second changes, then always one,
// the average since the start.
TEST_F(TransferTest, RateAppearsWithinTheFirstSecondAndStays) {
    ASSERT_TRUE(Fetch("/bytes?size=260000&rate=100000"));
    DWORD begin = 0;
    bool rateSeen = false;
    for (const Recorder::Call& call : observer->calls) {
        if (call.line == "begin") begin = call.tick;
        int shown = 0, total = 0;
        double rate = 0;
        int fields = std::sscanf(call.line.c_str(), "text %d KB / %d KB, %lf KB/s", &shown, &total, &rate);
        if (fields < 2) continue;
        if (fields == 2) {
            EXPECT_FALSE(rateSeen) << call.line;
            EXPECT_LT(call.tick - begin, 1250u) << call.line;
            continue;
        }
        rateSeen = true;
        ASSERT_GT(rate, 0) << call.line;
        double seconds = shown / rate;  // whole seconds, as the rate was rounded
        EXPECT_NEAR(seconds, static_cast<int>(seconds + 0.5), 0.1) << call.line;
        EXPECT_GE(seconds, 0.9) << call.line;
    }
    EXPECT_TRUE(rateSeen);
}

TEST_F(TransferTest, StopBeforeTheFirstReadAndRedirects) {
    HttpDownloader& downloader = Fresh();
    observer->stop = 1;
    PageBuffer nothing;
    EXPECT_FALSE(downloader.Download(SiteUrl("/bytes?size=100000"), nothing));
    EXPECT_EQ((Lines{"begin", "total 98", "end"}), observer->Outline());
    EXPECT_TRUE(nothing.Text().empty());

    // WinINet's redirect event has no text of its own; every call comes on
    // the one thread that runs the transfer.
    ASSERT_TRUE(Fetch("/get_video?size=100&redirect=1"));
    EXPECT_EQ(100u, Mismatch(page->Text(), true));
    EXPECT_EQ(1, observer->Count("status Unknown status: 110")) << observer->Dump();
    for (const Recorder::Call& call : observer->calls) EXPECT_EQ(observer->calls[0].thread, call.thread);
}

TEST_F(TransferTest, ErrorAnswerIsAPageButNotAStream) {
    ASSERT_TRUE(Fetch("/get_video?status=404"));
    EXPECT_NE(std::string::npos, page->Text().find("<h1>404 Not Found</h1>"));
    EXPECT_FALSE(Fetch("/get_video?status=404", HttpDownloader::HttpErrors::Fail));
    EXPECT_EQ("The server answered: 404 Not Found", observer->LastStatus());
    EXPECT_EQ(0, observer->Count("begin"));
    EXPECT_TRUE(page->Text().empty());
    EXPECT_TRUE(Fetch("/get_video?size=3000", HttpDownloader::HttpErrors::Fail));
}

// A body cut off before its announced length fails with WinINet's reason.
// The reset can overtake the headers, so the request is repeated until one
// breaks mid-body; every attempt must fail the same way.
TEST_F(TransferTest, ConnectionResetMidBodyFails) {
    bool midBody = false;
    for (int attempt = 0; attempt < 8 && !midBody; ++attempt) {
        EXPECT_FALSE(Fetch("/bytes?size=300000&reset=50000")) << observer->Dump();
        EXPECT_EQ(page->Text().size(), Mismatch(page->Text(), false));
        EXPECT_EQ(0, observer->Count("end"));
        EXPECT_NE("", observer->LastStatus());
        EXPECT_EQ(std::string::npos, observer->LastStatus().find(" KB"));
        midBody = observer->Count("begin") == 1;
    }
    EXPECT_TRUE(midBody);
}

TEST_F(TransferTest, OpenFailureAndFullDiskReportTheirTexts) {
    HttpDownloader& downloader = Fresh();
    PageBuffer buffer;
    EXPECT_FALSE(downloader.Download("http://127.0.0.1:1/", buffer));  // nothing listens on port 1
    EXPECT_EQ(InternetErrorText(ERROR_INTERNET_CANNOT_CONNECT), observer->LastStatus());
    EXPECT_NE("", observer->LastStatus());

    const char* full = std::getenv("FH_DISK_FULL_FILE");
    ASSERT_TRUE(full && *full) << "FH_DISK_FULL_FILE is not set";
    char fullPath[MAX_PATH] = "";
    GetFullPathNameA(full, MAX_PATH, fullPath, nullptr);
    BoxWatcher boxes;
    EXPECT_FALSE(DownloadToFile(downloader, SiteUrl("/get_video?size=20000"), std::string(full), nullptr));
    EXPECT_EQ(std::string("Disk full while accessing ") + fullPath + ".", observer->LastStatus());
    EXPECT_EQ(1, observer->Count("begin"));
    EXPECT_EQ(0, observer->Count("end"));
    EXPECT_TRUE(boxes.Texts().empty());
}

namespace {
DWORD WINAPI StopLater(void* flag) {
    Sleep(1500);
    static_cast<std::atomic<int>*>(flag)->store(1);
    return 0;
}
}  // namespace

// A server that stops sending: a stop lets go of the waiting call at once,
// in the answer's body and before any answer; without a stop the receive
// time-out ends the transfer with WinINet's time-out text.
TEST_F(TransferTest, ASilentServerIsLeftOnStopAndTimesOut) {
    for (const char* address : {"/bytes?size=300000&stall=100000", "/bytes?size=1000&silent=1"}) {
        HttpDownloader& downloader = Fresh();
        PageBuffer buffer;
        HANDLE stopper = CreateThread(nullptr, 0, StopLater, &observer->stop, 0, nullptr);
        DWORD start = GetTickCount();
        EXPECT_FALSE(downloader.Download(SiteUrl(address), buffer)) << address;
        DWORD took = GetTickCount() - start;
        WaitForSingleObject(stopper, INFINITE);
        CloseHandle(stopper);
        EXPECT_GE(took, 1400u) << address;
        EXPECT_LT(took, 5000u) << address;  // the real figure is in the benchmark
        EXPECT_EQ("", observer->LastStatus()) << address;
    }
    HttpDownloader& downloader = Fresh();
    downloader.SetReceiveTimeout(1500);
    PageBuffer buffer;
    EXPECT_FALSE(downloader.Download(SiteUrl("/bytes?size=300000&stall=100000"), buffer));
    EXPECT_EQ(98304u, buffer.Text().size());  // whole 4096-byte reads before the silence
    EXPECT_EQ(InternetErrorText(ERROR_INTERNET_TIMEOUT), observer->LastStatus());
    EXPECT_NE("", observer->LastStatus());
    EXPECT_FALSE(downloader.Download(SiteUrl("/bytes?size=10&silent=1"), buffer));
    EXPECT_EQ(InternetErrorText(ERROR_INTERNET_TIMEOUT), observer->LastStatus());
}

// A stream cut before its end is asked for again from where it broke while
// the server offers ranges and each answer continues the body there; any
// other answer leaves what came before the cut, with nothing appended.
TEST_F(TransferTest, ACutStreamResumesWhereTheServerContinuesIt) {
    struct Case {
        const char* query;
        bool done;
        int tries;
        size_t kept;
    };
    const Case cases[] = {
        {"reset=120000&ranges=1&cuts=1", true, 1, 300000},      // a reset
        {"close=120000&ranges=1&cuts=1", true, 1, 300000},      // a clean close before the end
        {"reset=100000&ranges=1&cuts=2", true, 2, 300000},      // two cuts in a row
        {"stall=120000&ranges=1&cuts=1", true, 1, 300000},      // the receive time-out
        {"close=120000&ranges=1&nolength=1", true, 0, 120000},  // without a length the close is the end
        // but a failed read is a cut (a time-out: how Wine reads a reset there depends on when it comes)
        {"stall=120000&ranges=1&nolength=1&cuts=1", true, 1, 300000},
        {"close=120000", false, 0, 120000},                       // no ranges offered
        {"close=120000&ranges=ignore&cuts=1", false, 1, 120000},  // a 200 answer to the range
        {"close=40000&ranges=1", false, 5, 240000},               // cut every time: five more tries
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.query);
        EXPECT_EQ(test.done, Fetch(std::string("/bytes?size=300000&") + test.query, HttpDownloader::HttpErrors::Fail,
                                   HttpDownloader::Cuts::Resume));
        EXPECT_EQ(test.kept, page->Text().size());
        EXPECT_EQ(page->Text().size(), Mismatch(page->Text(), false));
        int tries = 0;
        for (const Recorder::Call& call : observer->calls)
            tries += call.line.rfind("status Connection lost. Trying again (", 0) == 0;
        EXPECT_EQ(test.tries, tries) << observer->Dump();
        EXPECT_EQ(1, observer->Count("begin"));
        EXPECT_EQ(test.done ? 1 : 0, observer->Count("end"));
        EXPECT_EQ(test.done ? "" : downloader->FailureText(), observer->LastStatus());
    }
}

namespace {
// What a job hands a transfer, on the job's stack: once Download has
// returned it is gone, and anything that still reaches it is counted here
// instead of running into freed memory.
class JobOnTheStack : public TransferObserver, public TransferOutput {
public:
    JobOnTheStack() { abortFlag = &stop; }
    int OnBegin() override { return Touch(); }
    int OnEnd() override { return Touch(); }
    int OnText(int, const char*) override { return Touch(); }
    int OnProgress(int, unsigned) override { return Touch(); }
    bool Write(const char*, size_t count) override {
        Touch();
        written += count;
        return true;
    }
    std::string ErrorText() const override {
        Touch();
        return "write error";
    }
    void SetContentType(const std::string&) override { Touch(); }
    void Gone() { gone = true; }

    std::atomic<int> stop{0};
    size_t written = 0;
    mutable std::atomic<int> touchedAfterwards{0};

private:
    int Touch() const {
        if (gone) ++touchedAfterwards;
        return 0;
    }
    std::atomic<bool> gone{false};
};

DWORD WINAPI StopSoon(void* flag) {
    Sleep(300);
    static_cast<std::atomic<int>*>(flag)->store(1);
    return 0;
}
}  // namespace

// A stop while the server pauses lets go of the waiting call; the rest of
// the body arrives after the job has ended. The thread that reads it reaches
// nothing of the job, and ends with its handles once the call returned.
TEST_F(TransferTest, AStopInAPauseLeavesTheRestToTheTransfersOwnThread) {
    // WinINet makes its own handles on first use, and keeps them.
    ASSERT_TRUE(Fetch("/bytes?size=1000"));
    const int threadsBefore = ThreadCount();
    const DWORD handlesBefore = KernelHandleCount();
    ASSERT_GT(threadsBefore, 0);
    ASSERT_GT(handlesBefore, 0u);
    std::vector<std::unique_ptr<JobOnTheStack>> jobs;
    for (int round = 0; round < 3; ++round) {
        jobs.emplace_back(new JobOnTheStack);
        JobOnTheStack& job = *jobs.back();
        HttpDownloader downloader;
        downloader.CreateSession(&job);
        HANDLE stopper = CreateThread(nullptr, 0, StopSoon, &job.stop, 0, nullptr);
        EXPECT_FALSE(downloader.Download(SiteUrl("/bytes?size=300000&pause=100000&pausems=1500"), job));
        WaitForSingleObject(stopper, INFINITE);
        CloseHandle(stopper);
        job.Gone();
        EXPECT_GE(job.written, 4096u);
        EXPECT_LT(job.written, 300000u);
    }
    // Each pause ends 1.5 s after it began; the threads read the rest and end.
    EXPECT_TRUE(WaitFor([&] { return ThreadCount() <= threadsBefore; }, 15000))
        << ThreadCount() << " threads, " << threadsBefore << " before";
    for (const auto& job : jobs) EXPECT_EQ(0, job->touchedAfterwards);
    EXPECT_TRUE(WaitFor([&] { return KernelHandleCount() <= handlesBefore; }, 5000))
        << KernelHandleCount() << " handles, " << handlesBefore << " before";
}
