// The main window with its download job, driven as a user would, against
// the stand-in site reached through the proxy setting.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <wininet.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include "app/FramehaulApp.h"
#include "engine/InternetErrorText.h"
#include "resources/resource.h"
#include "samplesite/StreamBytes.h"
#include "tests/common/MainWindowHarness.h"
#include "tests/common/BoxWatcher.h"
#include "tests/common/TestSupport.h"

using namespace testing_support;
using namespace harness;

namespace {

const std::string kSample = "http://www.youtube.com/watch?v=sample";
const std::string kSlow = "http://www.youtube.com/watch?v=slow";
const std::string kTiny = "http://www.youtube.com/watch?v=tiny";

bool FileExists(const std::string& path) {
    return PathFileExistsA(path.c_str()) != FALSE;
}

// How many bytes from the file's start are the site's stream.
size_t StreamBytesIn(const std::string& path) {
    std::string data = ReadFileBytes(path);
    return samplesite::FirstStreamMismatch(reinterpret_cast<const unsigned char*>(data.data()), data.size(), 0);
}

// Download is enabled only with an address and a folder; a click that
// comes anyway is refused with a message, and so is a job whose worker
// cannot start, which leaves the window idle.
TEST_F(MainWindowTest, DownloadNeedsAnAddressAFolderAndAWorker) {
    BoxWatcher boxes;
    RecordingMainDialog window;
    RunWindow(window, [&](HWND w) {
        Sleep(100);
        EXPECT_FALSE(Enabled(w, IDC_DOWNLOAD));
        SetText(w, IDC_URL, kSample);
        SetText(w, IDC_FOLDER, folder);
        EXPECT_TRUE(WaitFor([&] { return Enabled(w, IDC_DOWNLOAD); }, 5000));
        EXPECT_TRUE(Enabled(w, IDC_OPEN_FOLDER));
        SetText(w, IDC_URL, "");
        EXPECT_TRUE(WaitFor([&] { return !Enabled(w, IDC_DOWNLOAD); }, 5000));

        SetText(w, IDC_FILE_NAME, "old.flv");
        Click(w, IDC_DOWNLOAD);
        ASSERT_TRUE(boxes.WaitForCount(1, 10000));
        EXPECT_EQ("", Text(w, IDC_FILE_NAME));
        StartJob(w, kSample, "");
        ASSERT_TRUE(boxes.WaitForCount(2, 10000));
        EXPECT_FALSE(WaitFor([&] { return window.JobsStarted() > 0; }, 300)) << "a job without a folder";
        EXPECT_FALSE(Visible(w, IDC_STOP));

        window.failThreadCreation = true;
        StartJob(w, kSample, folder);
        ASSERT_TRUE(boxes.WaitForCount(3, 10000));
        EXPECT_EQ("Error!", Text(w, IDC_STATUS));
        EXPECT_TRUE(Visible(w, IDC_DOWNLOAD) && !Visible(w, IDC_STOP) && Enabled(w, IDC_URL));
    });
    EXPECT_EQ((std::vector<std::string>{"You must enter URL of the video you want to download!",
                                        "You must select a folder to save download!", "Cannot start the download."}),
              boxes.Texts());
}

TEST_F(MainWindowTest, ASuccessfulJobShowsItsProgressAndItsFile) {
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::string result;
    bool fileShown = false, playShown = false, stopHidden = false;
    RunWindow(window, [&](HWND w) {
        StartJob(w, kSample, folder);
        result = WaitForResult(w);
        fileShown = Visible(w, IDC_FILE_NAME) && Text(w, IDC_FILE_NAME) == "Sample clip.flv";
        playShown = Visible(w, IDC_PLAY);
        stopHidden = !Visible(w, IDC_STOP) && Visible(w, IDC_DOWNLOAD);
    });
    EXPECT_EQ("Downloaded successfully!", result);
    EXPECT_TRUE(fileShown);
    EXPECT_TRUE(playShown);
    EXPECT_TRUE(stopHidden);
    EXPECT_TRUE(boxes.Texts().empty());

    std::string data = ReadFileBytes(folder + "\\Sample clip.flv");
    ASSERT_EQ(2000000u, data.size());
    EXPECT_EQ(data.size(),
              samplesite::FirstStreamMismatch(reinterpret_cast<const unsigned char*>(data.data()), data.size(), 0));

    std::vector<std::string> texts = window.StatusTexts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ("Preparing for download...", texts[0]);
    auto begin = std::find(texts.begin(), texts.end(), "Begin downloading...");
    ASSERT_NE(texts.end(), begin);
    // Nothing of the page's transfer reaches the status line.
    EXPECT_EQ(1, begin - texts.begin());
    for (auto it = begin + 1; it != texts.end() - 1; ++it) EXPECT_EQ(0u, it->rfind("Downloading: ", 0)) << *it;
    EXPECT_TRUE(std::find(texts.begin(), texts.end(), "Downloading: 1953 KB / 1953 KB") != texts.end() ||
                std::any_of(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.rfind("Downloading: 1953 KB / 1953 KB, ", 0) == 0; }))
        << "the last progress text is always shown";
    EXPECT_EQ("Downloaded successfully!", texts.back());
    // A status that the network library repeats for every read is not
    // shown again while only progress came in between.
    std::string lastStatus;
    for (const std::string& t : texts) {
        bool progress = t.find(" KB / ") != std::string::npos;
        if (progress) continue;
        EXPECT_NE(lastStatus, t);
        lastStatus = t;
    }

    std::vector<int> bar = window.BarPositions();
    EXPECT_TRUE(std::is_sorted(bar.begin() + 1, bar.end()));
    EXPECT_EQ(110, bar.back());
    // Positions that change nothing are not sent.
    EXPECT_EQ(bar.end(), std::adjacent_find(bar.begin() + 1, bar.end()));

    EXPECT_EQ(kSample, Urls()[0]);
    EXPECT_EQ(0, lstrcmpiA(folder.c_str(), Folders()[0].c_str()));
}

// The question about an existing file: Cancel aborts, leaves the file and
// the tick alone, and still remembers the job; OK takes a typed name as it
// stands; "Overwrite it" with the tick replaces the file and stores the
// tick, so that the next job onto it is not asked about. A close asked for
// while the question is open stays a close.
TEST_F(MainWindowTest, AnExistingFileIsAskedAboutUntilOverwritingIsTicked) {
    const std::string existing = folder + "\\Sample clip.flv";
    std::ofstream(existing) << "old";
    struct Answer {
        int button;
        const char* typedName;
        bool tickAlways;
        const char* result;
    };
    const Answer answers[] = {{IDCANCEL, "", true, "Aborted!"},
                              {IDOK, "renamed", false, "Downloaded successfully!"},
                              {IDC_OVERWRITE_IT, "", true, "Downloaded successfully!"}};
    BoxWatcher boxes;
    RecordingMainDialog window;
    RunWindow(window, [&](HWND w) {
        for (const Answer& answer : answers) {
            SCOPED_TRACE(answer.button);
            SetText(w, IDC_STATUS, "");
            StartJob(w, kSample, folder);
            HWND dialog = WaitForFileExistsDialog();
            ASSERT_NE(nullptr, dialog);
            EXPECT_EQ("The file 'Sample clip.flv' already exists.", Text(dialog, IDC_EXISTS_TEXT));
            EXPECT_EQ("Sample clip.flv", Text(dialog, IDC_FILE_NAME));
            if (*answer.typedName) SetText(dialog, IDC_FILE_NAME, answer.typedName);
            if (answer.tickAlways) SendDlgItemMessageA(dialog, IDC_ALWAYS_OVERWRITE, BM_SETCHECK, BST_CHECKED, 0);
            Click(dialog, answer.button);
            EXPECT_EQ(answer.result, WaitForResult(w));
            if (answer.button == IDC_OVERWRITE_IT) break;
            EXPECT_EQ("old", ReadFileBytes(existing));
            EXPECT_EQ(0, App().settings.AlwaysOverwrite);
            EXPECT_EQ(kSample, Urls()[0]);
            EXPECT_FALSE(Folders()[0].empty());
        }
        EXPECT_EQ(2000000u, ReadFileBytes(existing).size());
        std::ofstream(existing) << "old";
        EXPECT_EQ("Downloaded successfully!", JobResult(w, kSample, folder, 20000));
        if (HWND asked = WaitForFileExistsDialog(0)) Click(asked, IDCANCEL);
    });
    EXPECT_EQ(2000000u, ReadFileBytes(folder + "\\renamed").size());
    EXPECT_EQ(2000000u, ReadFileBytes(existing).size());
    EXPECT_EQ(1, App().settings.AlwaysOverwrite);

    // Closing the window while the question is open, then cancelling it,
    // closes the window once the job has ended.
    App().settings.AlwaysOverwrite = 0;
    RecordingMainDialog closing;
    bool closed = false;
    INT_PTR result = RunWindow(closing, [&](HWND w) {
        StartJob(w, kSample, folder);
        HWND dialog = WaitForFileExistsDialog();
        ASSERT_NE(nullptr, dialog);
        PostMessageA(w, WM_CLOSE, 0, 0);
        Sleep(300);
        EXPECT_TRUE(IsWindow(dialog));
        Click(dialog, IDCANCEL);
        closed = WaitFor([&] { return !IsWindow(w); }, 10000);
        if (!closed) PostMessageA(w, WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ("Aborted!", closing.StatusTexts().back());
    EXPECT_EQ(2000000u, ReadFileBytes(existing).size());
}

// Stop, on a slow stream and on one at full speed, and closing the window
// while a job runs: each ends the job with "Aborted!" and keeps what came.
TEST_F(MainWindowTest, StopAndCloseEndAJobAndKeepThePartialFile) {
    BoxWatcher boxes;
    RecordingMainDialog window;
    bool closed = false;
    INT_PTR result = RunWindow(window, [&](HWND w) {
        StartJob(w, kSlow, folder);
        WaitFor([&] { return Text(w, IDC_STATUS).rfind("Downloading: ", 0) == 0 && window.BarPositions().size() > 3; },
                20000);
        Click(w, IDC_STOP);
        EXPECT_EQ("Aborted!", WaitForResult(w, 20000));
        std::string data = ReadFileBytes(folder + "\\Slow clip.flv");
        EXPECT_GT(data.size(), 0u);
        EXPECT_LT(data.size(), 4000000u);
        EXPECT_EQ("", Urls()[0]);  // a stopped transfer is an error: nothing remembered
        EXPECT_EQ("", Folders()[0]);

        SetText(w, IDC_STATUS, "");
        size_t bars = window.BarPositions().size();
        StartJob(w, "http://www.youtube.com/watch?v=fast", folder);
        WaitFor([&] { return window.BarPositions().size() > bars + 5; }, 20000);
        DWORD start = GetTickCount();
        Click(w, IDC_STOP);
        EXPECT_EQ("Aborted!", WaitForResult(w, 60000));
        // Bounded by the stop, not by the rest of a 1 GB stream.
        EXPECT_LT(GetTickCount() - start, 5000u);
        WIN32_FILE_ATTRIBUTE_DATA fast = {};
        GetFileAttributesExA((folder + "\\Fast clip.flv").c_str(), GetFileExInfoStandard, &fast);
        EXPECT_GT(fast.nFileSizeLow, 0u);
        EXPECT_EQ(0u, fast.nFileSizeHigh);

        SetText(w, IDC_STATUS, "");
        DeleteFileA((folder + "\\Slow clip.flv").c_str());
        StartJob(w, kSlow, folder);
        WaitFor([&] { return Text(w, IDC_STATUS).rfind("Downloading: ", 0) == 0; }, 20000);
        EXPECT_TRUE(Visible(w, IDC_STOP));
        PostMessageA(w, WM_CLOSE, 0, 0);
        closed = WaitFor([&] { return !IsWindow(w); }, 5000);
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(IDCANCEL, result);
    // The job was stopped, not finished: its end was shown before the window went.
    EXPECT_EQ("Aborted!", window.StatusTexts().back());
    EXPECT_LT(ReadFileBytes(folder + "\\Slow clip.flv").size(), 4000000u);
}

// A server that goes silent, before its page, before its stream or in the
// middle of it (for good, or for a while): the progress that came in is
// shown, and Stop is answered at once with "Aborted!", no message box, and
// an old file left as it was; what comes after the stop is not written.
TEST_F(MainWindowTest, StopIsAnsweredWhileTheServerIsSilent) {
    App().settings.AlwaysOverwrite = 1;
    std::ofstream(folder + "\\Mute clip.flv") << "old";
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::vector<std::string> results, statusAfterStall;
    std::vector<DWORD> stopTimes;
    int barAfterStall = -1;
    auto stopWhen = [&](HWND w, const std::function<bool()>& ready) {
        WaitFor(ready, 20000);
        Sleep(1000);
        statusAfterStall.push_back(Text(w, IDC_STATUS));
        barAfterStall = static_cast<int>(SendDlgItemMessageA(w, IDC_PROGRESS, PBM_GETPOS, 0, 0));
        DWORD start = GetTickCount();
        Click(w, IDC_STOP);
        results.push_back(WaitForResult(w, 20000));
        stopTimes.push_back(GetTickCount() - start);
    };
    RunWindow(window, [&](HWND w) {
        StartJob(w, kSample + "&silent=1", folder);
        stopWhen(w, [&] { return Text(w, IDC_STATUS) == "Preparing for download..."; });
        StartJob(w, "http://www.youtube.com/watch?v=mute", folder);
        stopWhen(w, [&] { return Text(w, IDC_STATUS).rfind("Downloading: ", 0) == 0; });
        StartJob(w, "http://www.youtube.com/watch?v=stall", folder);
        stopWhen(w, [&] { return window.BarPositions().size() > 5; });
        // A silence that ends: the rest arrives after the job has ended, and
        // goes nowhere.
        StartJob(w, "http://www.youtube.com/watch?v=pause", folder);
        stopWhen(w, [&] { return window.BarPositions().size() > 5; });
        Sleep(3000);
        EXPECT_TRUE(IsWindowVisible(w));
        PostMessageA(w, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ((std::vector<std::string>{"Aborted!", "Aborted!", "Aborted!", "Aborted!"}), results);
    for (DWORD took : stopTimes) EXPECT_LT(took, 3000u);  // the real figure is in the benchmark
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ("old", ReadFileBytes(folder + "\\Mute clip.flv"));
    // Whole 4096-byte reads of the 100,000 bytes sent before the silence.
    EXPECT_EQ(98304u, ReadFileBytes(folder + "\\Stall clip.flv").size());
    EXPECT_EQ(98304u, ReadFileBytes(folder + "\\Pause clip.flv").size());
    ASSERT_EQ(4u, statusAfterStall.size());
    EXPECT_EQ(0u, statusAfterStall[2].rfind("Downloading: 96 KB / 488 KB", 0)) << statusAfterStall[2];
    EXPECT_EQ(29, barAfterStall) << "96 of 488 KB: a tenth for the page, then 96/488 of the rest";
}

// A transfer that fails on a full disk while the stream still comes at
// full speed neither delays its "Error!" nor the window's closing.
TEST_F(MainWindowTest, AFailedFastTransferLetsTheWindowClose) {
    const char* full = std::getenv("FH_DISK_FULL_FILE");
    ASSERT_TRUE(full && *full) << "FH_DISK_FULL_FILE is not set";
    std::string fullFolder(full);
    fullFolder.resize(fullFolder.rfind('\\'));
    App().settings.AlwaysOverwrite = 1;
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::string result;
    bool closed = false;
    RunWindow(window, [&](HWND w) {
        StartJob(w, "http://www.youtube.com/watch?v=full", fullFolder);
        result = WaitForResult(w, 5000);
        PostMessageA(w, WM_CLOSE, 0, 0);
        closed = WaitFor([&] { return !IsWindow(w); }, 3000);
    });
    EXPECT_EQ("Error!", result);
    EXPECT_TRUE(closed);
    EXPECT_NE(std::string::npos, window.StatusTexts()[window.StatusTexts().size() - 2].find("Disk full"));
}

// With "close when done" ticked, a failed job says why and leaves the
// window open: no video on the page, a folder that cannot be made, a server
// error for the stream (which keeps an old file and remembers nothing). A
// success, into a folder made level by level, closes it. Started at once
// without a default folder, a job goes to the most recent folder.
TEST_F(MainWindowTest, OnlyASuccessfulJobClosesTheWindowByItself) {
    App().settings.AutoClose = 1;
    App().settings.AlwaysOverwrite = 1;
    std::ofstream(folder + "\\Gone clip.flv") << "old";
    const std::string deep = folder + "\\one\\two\\three";
    BoxWatcher boxes;
    RecordingMainDialog window;
    bool closedByItself = false;
    RunWindow(window, [&](HWND w) {
        const std::pair<std::string, std::string> failing[] = {{"http://www.youtube.com/watch?v=noargs", folder},
                                                               {kTiny, "Q:\\nowhere\\videos"},
                                                               {"http://www.youtube.com/watch?v=gone", folder}};
        for (const auto& job : failing) {
            EXPECT_EQ("Error!", JobResult(w, job.first, job.second)) << job.first;
            Sleep(300);
            ASSERT_TRUE(IsWindow(w)) << job.first;
        }
        EXPECT_EQ("", Text(w, IDC_FILE_NAME));
        EXPECT_EQ("", Urls()[0]);
        StartJob(w, kTiny, deep);
        closedByItself = WaitFor([&] { return !IsWindow(w); }, 30000);
    });
    EXPECT_TRUE(closedByItself);
    EXPECT_TRUE(FileExists(deep + "\\Tiny  'clip'.flv"));
    EXPECT_EQ("old", ReadFileBytes(folder + "\\Gone clip.flv"));  // kept: the server sent no video
    std::vector<std::string> texts = window.StatusTexts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
        return t.find("404") != std::string::npos;
    })) << "the server's answer is named";
    EXPECT_EQ((std::vector<std::string>{"No video found on this page!",
                                        "Cannot find or create the folder:\nQ:\\nowhere\\videos"}),
              boxes.Texts());

    App().settings.AutoClose = 0;
    App().settings.RecentFolders->Add(folder);
    RecordingMainDialog started;
    started.url = kTiny;
    started.startAtOnce = true;
    std::string shownFolder, result;
    RunWindow(started, [&](HWND w) {
        shownFolder = Text(w, IDC_FOLDER);
        result = WaitForResult(w);
    });
    EXPECT_EQ(0, lstrcmpiA(folder.c_str(), shownFolder.c_str())) << shownFolder;
    EXPECT_EQ("Downloaded successfully!", result);
    EXPECT_TRUE(FileExists(folder + "\\Tiny  'clip'.flv"));
}

// Over https: a watch page, an http page moved to its https address, and a
// stream whose http address moves to https, each saved byte for byte.
TEST_F(MainWindowTest, HttpsPagesAndStreamsAreSaved) {
    ASSERT_TRUE(SiteProxyInEffect());
    App().settings.AlwaysOverwrite = 1;
    const std::pair<const char*, const char*> jobs[] = {
        {"https://www.youtube.com/watch?v=sample", "Sample clip.flv"},
        {"http://www.youtube.com/watch?v=sample&tohttps=1", "Sample clip.flv"},
        {"http://www.youtube.com/watch?v=secure", "Secure clip.flv"}};
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::vector<std::string> results;
    std::vector<size_t> saved;
    RunWindow(window, [&](HWND w) {
        for (const auto& job : jobs) {
            DeleteFileA((folder + "\\" + job.second).c_str());
            results.push_back(JobResult(w, job.first, folder));
            saved.push_back(ReadFileBytes(folder + "\\" + job.second).size() ==
                                    StreamBytesIn(folder + "\\" + job.second)
                                ? StreamBytesIn(folder + "\\" + job.second)
                                : 0);
        }
    });
    EXPECT_EQ(std::vector<std::string>(3, "Downloaded successfully!"), results);
    EXPECT_EQ((std::vector<size_t>{2000000, 2000000, 1500000}), saved);
    EXPECT_TRUE(boxes.Texts().empty()) << ::testing::PrintToString(boxes.Texts());
}

// A page whose certificate is refused (an untrusted root, another host's
// name, a past date) ends the job as "Error!" before a stream is asked for
// or a file made, and its message says why: a refusal that may mean someone
// is in the middle must not read like a network outage.
TEST_F(MainWindowTest, ARefusedCertificateEndsTheJobAndSaysWhy) {
    ASSERT_TRUE(SiteProxyInEffect());
    const std::pair<std::string, DWORD> pages[] = {
        {"https://untrusted.youtube.com/watch?v=sample", ERROR_INTERNET_INVALID_CA},
        {"https://wronghost.youtube.com/watch?v=sample", ERROR_INTERNET_SEC_CERT_CN_INVALID},
        {"https://expired.youtube.com/watch?v=sample", ERROR_INTERNET_SEC_CERT_DATE_INVALID}};
    BoxWatcher boxes;
    boxes.SaveShots("box-refused");
    RecordingMainDialog window;
    std::vector<std::string> results, expected;
    RunWindow(window, [&](HWND w) {
        for (const auto& page : pages) results.push_back(JobResult(w, page.first, folder));
    });
    for (const auto& page : pages)
        expected.push_back("Cannot open the page:\n" + page.first + "\n\n" + InternetErrorText(page.second));
    EXPECT_EQ(std::vector<std::string>(3, "Error!"), results);
    EXPECT_EQ(expected, boxes.Texts());
    std::vector<std::string> texts = window.StatusTexts();
    EXPECT_EQ(0, std::count(texts.begin(), texts.end(), "Begin downloading...")) << "a stream was asked for";
    WIN32_FIND_DATAA found;
    HANDLE any = FindFirstFileA((folder + "\\*.flv").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, any) << found.cFileName;
    if (any != INVALID_HANDLE_VALUE) FindClose(any);
}

// A stream reset after 600 KB of 2 MB goes on after a second where it
// broke: the status line says so, the progress and the bar go on from
// where they were, and the file is whole.
TEST_F(MainWindowTest, ACutStreamGoesOnWhereItBroke) {
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::string result;
    RunWindow(window, [&](HWND w) { result = JobResult(w, "http://www.youtube.com/watch?v=cut", folder); });
    EXPECT_EQ("Downloaded successfully!", result);
    EXPECT_EQ(2000000u, ReadFileBytes(folder + "\\Cut clip.flv").size());
    EXPECT_EQ(2000000u, StreamBytesIn(folder + "\\Cut clip.flv"));
    std::vector<std::string> texts = window.StatusTexts();
    auto lost = std::find(texts.begin(), texts.end(), "Downloading: Connection lost. Trying again in 1 s (1 of 5)...");
    ASSERT_NE(texts.end(), lost) << ::testing::PrintToString(texts);
    EXPECT_EQ("Downloading: Connection lost. Trying again (1 of 5)...", *(lost + 1));
    // Received KB never go back, and the first shown after the cut is where it broke.
    int lastKb = 0, firstAfter = -1;
    for (auto text = texts.begin(); text != texts.end(); ++text) {
        int kb = 0, total = 0;
        if (std::sscanf(text->c_str(), "Downloading: %d KB / %d KB", &kb, &total) != 2) continue;
        EXPECT_EQ(1953, total) << *text;
        EXPECT_GE(kb, lastKb) << *text;
        lastKb = kb;
        if (text > lost && firstAfter < 0) firstAfter = kb;
    }
    EXPECT_GE(firstAfter, 580);  // 600,000 bytes, less a read cut short
    EXPECT_GE(lastKb, 1952);
    std::vector<int> bar = window.BarPositions();
    EXPECT_TRUE(std::is_sorted(bar.begin() + 1, bar.end()));
    EXPECT_EQ(110, bar.back());
    EXPECT_TRUE(boxes.Texts().empty());
}

// During the wait before a new try, Stop ends the job as "Aborted!" within
// a second, and closing the window closes it within a second, though the
// wait had two seconds to go; what came is kept.
TEST_F(MainWindowTest, StopAndCloseAreAnsweredDuringTheWaitBeforeATry) {
    App().settings.AlwaysOverwrite = 1;
    const std::string lost = "http://www.youtube.com/watch?v=lost";
    const std::string secondWait = "Downloading: Connection lost. Trying again in 2 s (2 of 5)...";
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::string result;
    DWORD stopTook = 0, closeTook = 0;
    size_t kept = 0;
    bool closed = false;
    RunWindow(window, [&](HWND w) {
        StartJob(w, lost, folder);
        ASSERT_TRUE(WaitFor([&] { return Text(w, IDC_STATUS) == secondWait; }, 20000));
        DWORD start = GetTickCount();
        Click(w, IDC_STOP);
        result = WaitForResult(w, 5000);
        stopTook = GetTickCount() - start;
        kept = StreamBytesIn(folder + "\\Lost clip.flv");
        SetText(w, IDC_STATUS, "");
        StartJob(w, lost, folder);
        ASSERT_TRUE(WaitFor([&] { return Text(w, IDC_STATUS) == secondWait; }, 20000));
        start = GetTickCount();
        PostMessageA(w, WM_CLOSE, 0, 0);
        closed = WaitFor([&] { return !IsWindow(w); }, 5000);
        closeTook = GetTickCount() - start;
    });
    EXPECT_EQ("Aborted!", result);
    EXPECT_LT(stopTook, 1000u);
    EXPECT_TRUE(closed);
    EXPECT_LT(closeTook, 1000u);
    EXPECT_EQ(600000u, kept);  // two answers of 300,000 bytes each
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace

namespace {
// The "live" events a job raised, and its taskbar calls, from the record
// of a window since the given counts.
std::vector<std::string> Since(const std::vector<std::string>& all, size_t from) {
    return std::vector<std::string>(all.begin() + std::min(from, all.size()), all.end());
}
int CountPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}
}  // namespace

// A screen reader hears each job's milestones from the status line, not its
// every progress text; the taskbar button shows the job's progress, paused
// while a lost connection waits for its new try, and an error that stays
// until the window is next activated. A new taskbar button gets it again.
TEST_F(MainWindowTest, EachJobTellsItsMilestonesAndItsTaskbarButton) {
    App().settings.AlwaysOverwrite = 1;
    BoxWatcher boxes;
    RecordingMainDialog window;
    struct Job {
        std::string page, result;
        std::vector<std::string> live, taskbar;
        int focused;  // the control with the keyboard focus afterwards
    };
    Job jobs[] = {{"sample", "", {}, {}, 0}, {"gone", "", {}, {}, 0}, {"cut", "", {}, {}, 0}};
    std::vector<std::string> afterActivation;
    RunWindow(window, [&](HWND w) {
        for (Job& job : jobs) {
            size_t events = window.StatusEvents().size(), calls = window.TaskbarCalls().size();
            // Another window in front while this job ends.
            HWND other = nullptr;
            if (job.page == "gone") {
                other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                        nullptr, nullptr);
                SetForegroundWindow(other);
            }
            job.result = JobResult(w, "http://www.youtube.com/watch?v=" + job.page, folder);
            if (other) DestroyWindow(other);
            PumpUntil([] { return false; }, 300);  // events are delivered through the window's queue
            for (const std::string& e : Since(window.StatusEvents(), events))
                if (e.rfind("live ", 0) == 0) job.live.push_back(e);
            job.taskbar = Since(window.TaskbarCalls(), calls);
            GUITHREADINFO gui = {sizeof(gui)};
            GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gui);
            HWND focus = gui.hwndFocus;
            if (focus && IsWindowVisible(focus) && IsWindowEnabled(focus))
                job.focused = GetDlgCtrlID(GetParent(focus) == w ? focus : GetAncestor(GetParent(focus), GA_PARENT));
            if (job.page != "gone") continue;
            SendMessageA(w, WM_ACTIVATE, WA_ACTIVE, 0);
            afterActivation = Since(window.TaskbarCalls(), calls + job.taskbar.size());
        }
        size_t calls = window.TaskbarCalls().size();
        SendMessageA(w, RegisterWindowMessageA("TaskbarButtonCreated"), 0, 0);
        afterActivation.push_back(Since(window.TaskbarCalls(), calls).at(0));
    });
    const int milestones[] = {3, 3, 5};  // preparing, downloading, (lost, trying again,) the result
    // The saved name where it shows; after an error (the name box hidden) Download.
    const int focused[] = {IDC_FILE_NAME, IDC_DOWNLOAD, IDC_FILE_NAME};
    const char* results[] = {"Downloaded successfully!", "Error!", "Downloaded successfully!"};
    for (int i = 0; i < 3; ++i) {
        const Job& job = jobs[i];
        SCOPED_TRACE(job.page);
        EXPECT_EQ(results[i], job.result);
        EXPECT_EQ(focused[i], job.focused) << "a hidden or disabled control, or another";
        EXPECT_EQ(milestones[i], static_cast<int>(job.live.size())) << ::testing::PrintToString(job.live);
        ASSERT_FALSE(job.taskbar.empty());
        EXPECT_EQ("normal 0", job.taskbar.front());
        EXPECT_EQ(i == 1 ? 1 : 0, CountPrefix(job.taskbar, "error"));
        if (i != 2) {
            EXPECT_EQ(0, CountPrefix(job.taskbar, "paused"));
        }
    }
    // The bar's positions as the window's timer finds them, rising, then
    // nothing once the job is done.
    std::vector<std::string> success = jobs[0].taskbar;
    success.erase(std::remove(success.begin(), success.end(), "flash"), success.end());
    ASSERT_GE(success.size(), 2u);
    EXPECT_EQ("none", success.back());
    for (size_t i = 1; i + 1 < success.size(); ++i)
        EXPECT_LE(std::stoi(success[i - 1].substr(7)), std::stoi(success[i].substr(7))) << success[i];
    std::vector<std::string> failure = jobs[1].taskbar;
    failure.erase(std::remove(failure.begin(), failure.end(), "flash"), failure.end());
    EXPECT_EQ(0u, failure.back().rfind("error ", 0)) << ::testing::PrintToString(jobs[1].taskbar);
    EXPECT_GE(CountPrefix(jobs[2].taskbar, "paused "), 1) << ::testing::PrintToString(jobs[2].taskbar);
    // A job that ends behind another window asks for attention; one that
    // ends in front of the user does not.
    EXPECT_EQ(0, CountPrefix(jobs[0].taskbar, "flash"));
    EXPECT_EQ(1, CountPrefix(jobs[1].taskbar, "flash")) << ::testing::PrintToString(jobs[1].taskbar);
    EXPECT_EQ((std::vector<std::string>{"none", "recreate"}), afterActivation);
    EXPECT_TRUE(boxes.Texts().empty());
}
