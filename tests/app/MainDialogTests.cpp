// The main window with its download job, driven as a user would, against
// the stand-in site reached through the proxy setting.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include "app/FramehaulApp.h"
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

bool FileExists(const std::string& path) {
    return PathFileExistsA(path.c_str()) != FALSE;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(0, SitePort()) << "the stand-in site is not running (FH_SITE_PORT)";
        ClearAppKey();
        App().settings.Load(App().GetProfile());
        folder = MakeTempFolder("fh_main");
    }
    void TearDown() override {
        RemoveTree(folder);
        ClearAppKey();
    }
    const RecentList& Urls() { return *App().settings.RecentUrls; }
    const RecentList& Folders() { return *App().settings.RecentFolders; }

    SiteProxy proxy;
    std::string folder;
};

TEST_F(MainWindowTest, EmptyBoxesAreRefusedWithoutAJob) {
    BoxWatcher boxes;
    RecordingMainDialog window;
    RunWindow(window, [&](HWND w) {
        SetText(w, IDC_FILE_NAME, "old.flv");
        SetText(w, IDC_FOLDER, folder);
        Click(w, IDC_DOWNLOAD);
        ASSERT_TRUE(boxes.WaitForCount(1, 10000));
        EXPECT_EQ("", Text(w, IDC_FILE_NAME));
        StartJob(w, kSample, "");
        ASSERT_TRUE(boxes.WaitForCount(2, 10000));
        EXPECT_FALSE(WaitFor([&] { return window.JobsStarted() > 0; }, 300)) << "a job without a folder";
        EXPECT_FALSE(Visible(w, IDC_STOP));
    });
    ASSERT_EQ(2u, boxes.Texts().size());
    EXPECT_EQ("You must enter URL of the video you want to download!", boxes.Texts()[0]);
    EXPECT_EQ("You must select a folder to save download!", boxes.Texts()[1]);
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

TEST_F(MainWindowTest, AnExistingFileIsReplacedSilentlyWhenAlwaysOverwriting) {
    App().settings.AlwaysOverwrite = 1;
    std::ofstream(folder + "\\Sample clip.flv") << "old";
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::string result;
    RunWindow(window, [&](HWND w) {
        StartJob(w, kSample, folder);
        result = WaitForResult(w);
    });
    EXPECT_EQ("Downloaded successfully!", result);
    EXPECT_EQ(2000000u, ReadFileBytes(folder + "\\Sample clip.flv").size());
}

struct ExistsAnswer {
    int button;
    std::string typedName;  // empty: leave the proposed name
    bool tickAlways;
};

class FileExistsTest : public MainWindowTest {
protected:
    // Runs a job onto an existing file and answers the question; returns the result text.
    std::string RunWith(const ExistsAnswer& answer, std::string* question = nullptr) {
        std::ofstream(folder + "\\Sample clip.flv") << "old";
        BoxWatcher boxes;
        RecordingMainDialog window;
        std::string result;
        RunWindow(window, [&](HWND w) {
            StartJob(w, kSample, folder);
            HWND dialog = WaitForFileExistsDialog();
            ASSERT_NE(nullptr, dialog);
            char text[256] = "";
            SendDlgItemMessageA(dialog, IDC_EXISTS_TEXT, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
            if (question) *question = text;
            char proposed[256] = "";
            SendDlgItemMessageA(dialog, IDC_FILE_NAME, WM_GETTEXT, sizeof(proposed),
                                reinterpret_cast<LPARAM>(proposed));
            EXPECT_STREQ("Sample clip.flv", proposed);
            if (!answer.typedName.empty())
                SendDlgItemMessageA(dialog, IDC_FILE_NAME, WM_SETTEXT, 0,
                                    reinterpret_cast<LPARAM>(answer.typedName.c_str()));
            if (answer.tickAlways) SendDlgItemMessageA(dialog, IDC_ALWAYS_OVERWRITE, BM_SETCHECK, BST_CHECKED, 0);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer.button)));
            result = WaitForResult(w);
        });
        return result;
    }
};

TEST_F(FileExistsTest, OverwriteItReplacesTheFileAndStoresTheTick) {
    std::string question;
    EXPECT_EQ("Downloaded successfully!", RunWith({IDC_OVERWRITE_IT, "", true}, &question));
    EXPECT_EQ("The file 'Sample clip.flv' already exists.", question);
    EXPECT_EQ(2000000u, ReadFileBytes(folder + "\\Sample clip.flv").size());
    EXPECT_EQ(1, App().settings.AlwaysOverwrite);
}

TEST_F(FileExistsTest, OkWithATypedNameUsesItAsItStands) {
    EXPECT_EQ("Downloaded successfully!", RunWith({IDOK, "renamed", false}));
    EXPECT_EQ(2000000u, ReadFileBytes(folder + "\\renamed").size());
    EXPECT_EQ("old", ReadFileBytes(folder + "\\Sample clip.flv"));
    EXPECT_EQ(0, App().settings.AlwaysOverwrite);
}

TEST_F(FileExistsTest, CancelAbortsButStillRemembersTheJob) {
    EXPECT_EQ("Aborted!", RunWith({IDCANCEL, "", true}));
    EXPECT_EQ("old", ReadFileBytes(folder + "\\Sample clip.flv"));
    EXPECT_EQ(0, App().settings.AlwaysOverwrite);  // the tick is not stored on Cancel
    EXPECT_EQ(kSample, Urls()[0]);
    EXPECT_FALSE(Folders()[0].empty());
}

TEST_F(MainWindowTest, StopMidStreamAbortsAndKeepsThePartialFile) {
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::string result;
    RunWindow(window, [&](HWND w) {
        StartJob(w, kSlow, folder);
        WaitFor([&] { return Text(w, IDC_STATUS).rfind("Downloading: ", 0) == 0 && window.BarPositions().size() > 3; },
                20000);
        Click(w, IDC_STOP);
        result = WaitForResult(w, 20000);
    });
    EXPECT_EQ("Aborted!", result);
    std::string data = ReadFileBytes(folder + "\\Slow clip.flv");
    EXPECT_GT(data.size(), 0u);
    EXPECT_LT(data.size(), 4000000u);
    EXPECT_EQ("", Urls()[0]);  // a stopped transfer is an error: nothing remembered
    EXPECT_EQ("", Folders()[0]);
}

TEST_F(MainWindowTest, StopOnAFullSpeedStreamEndsTheJobPromptly) {
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::string result;
    DWORD stoppedAfter = 0;
    RunWindow(window, [&](HWND w) {
        StartJob(w, "http://www.youtube.com/watch?v=fast", folder);
        WaitFor([&] { return window.BarPositions().size() > 5; }, 20000);
        DWORD start = GetTickCount();
        Click(w, IDC_STOP);
        result = WaitForResult(w, 60000);
        stoppedAfter = GetTickCount() - start;
    });
    EXPECT_EQ("Aborted!", result);
    // Bounded by the stop, not by the rest of a 1 GB stream.
    EXPECT_LT(stoppedAfter, 5000u);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA((folder + "\\Fast clip.flv").c_str(), GetFileExInfoStandard, &data);
    EXPECT_GT(data.nFileSizeLow, 0u);
    EXPECT_EQ(0u, data.nFileSizeHigh);
}

// A server that goes silent, before its page, before its stream or in the
// middle of it: the progress that came in is shown, and Stop is answered
// at once with "Aborted!", no message box, and an old file left as it was.
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
        PostMessageA(w, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ((std::vector<std::string>{"Aborted!", "Aborted!", "Aborted!"}), results);
    for (DWORD took : stopTimes) EXPECT_LT(took, 3000u);  // the real figure is in the benchmark
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ("old", ReadFileBytes(folder + "\\Mute clip.flv"));
    // Whole 4096-byte reads of the 100,000 bytes sent before the silence.
    EXPECT_EQ(98304u, ReadFileBytes(folder + "\\Stall clip.flv").size());
    ASSERT_EQ(3u, statusAfterStall.size());
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

TEST_F(MainWindowTest, ClosingDuringAJobStopsItThenCloses) {
    BoxWatcher boxes;
    RecordingMainDialog window;
    bool jobWasRunning = false;
    bool closed = false;
    INT_PTR result = RunWindow(window, [&](HWND w) {
        StartJob(w, kSlow, folder);
        WaitFor([&] { return Text(w, IDC_STATUS).rfind("Downloading: ", 0) == 0; }, 20000);
        jobWasRunning = Visible(w, IDC_STOP);
        PostMessageA(w, WM_CLOSE, 0, 0);
        closed = WaitFor([&] { return !IsWindow(w); }, 5000);
    });
    EXPECT_TRUE(jobWasRunning);
    EXPECT_TRUE(closed);
    EXPECT_EQ(IDCANCEL, result);
    // The job was stopped, not finished: its end was shown before the window went.
    EXPECT_EQ("Aborted!", window.StatusTexts().back());
    std::string data = ReadFileBytes(folder + "\\Slow clip.flv");
    EXPECT_LT(data.size(), 4000000u);
}

TEST_F(MainWindowTest, AutoCloseOnlyAfterSuccess) {
    App().settings.AutoClose = 1;
    BoxWatcher boxes;
    {
        RecordingMainDialog window;
        bool closedByItself = false;
        RunWindow(window, [&](HWND w) {
            StartJob(w, "http://www.youtube.com/watch?v=tiny", folder);
            closedByItself = WaitFor([&] { return !IsWindow(w); }, 30000);
        });
        EXPECT_TRUE(closedByItself);
        EXPECT_TRUE(FileExists(folder + "\\Tiny  'clip'.flv"));
    }
    {
        RecordingMainDialog window;
        std::string result;
        bool stillOpen = false;
        RunWindow(window, [&](HWND w) {
            StartJob(w, "http://www.youtube.com/watch?v=noargs", folder);
            result = WaitForResult(w);
            Sleep(300);
            stillOpen = IsWindow(w) != FALSE;
        });
        EXPECT_EQ("Error!", result);
        EXPECT_TRUE(stillOpen);
    }
    std::vector<std::string> texts = boxes.Texts();
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ("No video found on this page!", texts[0]);
}

TEST_F(MainWindowTest, FoldersAreCreatedLevelByLevelOrReported) {
    BoxWatcher boxes;
    std::string deep = folder + "\\one\\two\\three";
    std::string first, second;
    RecordingMainDialog window;
    RunWindow(window, [&](HWND w) {
        StartJob(w, "http://www.youtube.com/watch?v=tiny", deep);
        first = WaitForResult(w);
        SetText(w, IDC_STATUS, "");
        SetText(w, IDC_FOLDER, "Q:\\nowhere\\videos");
        Click(w, IDC_DOWNLOAD);
        second = WaitForResult(w);
    });
    EXPECT_EQ("Downloaded successfully!", first);
    EXPECT_TRUE(FileExists(deep + "\\Tiny  'clip'.flv"));
    EXPECT_EQ("Error!", second);
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ("Cannot find or create the folder:\nQ:\\nowhere\\videos", boxes.Texts()[0]);
}

TEST_F(MainWindowTest, AServerErrorForTheStreamIsAnError) {
    App().settings.AlwaysOverwrite = 1;
    std::ofstream(folder + "\\Gone clip.flv") << "old";
    BoxWatcher boxes;
    RecordingMainDialog window;
    std::string result, fileName = "unread";
    RunWindow(window, [&](HWND w) {
        StartJob(w, "http://www.youtube.com/watch?v=gone", folder);
        result = WaitForResult(w);
        fileName = Text(w, IDC_FILE_NAME);
    });
    EXPECT_EQ("Error!", result);
    std::vector<std::string> texts = window.StatusTexts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
        return t.find("404") != std::string::npos;
    })) << "the server's answer is named";
    EXPECT_EQ("", fileName);
    EXPECT_EQ("", Urls()[0]);
    EXPECT_EQ("old", ReadFileBytes(folder + "\\Gone clip.flv"));  // kept: the server sent no video
}

TEST_F(MainWindowTest, AWorkerThatCannotStartLeavesTheWindowIdle) {
    BoxWatcher boxes;
    RecordingMainDialog window;
    window.failThreadCreation = true;
    bool idleLayout = false;
    std::string status;
    RunWindow(window, [&](HWND w) {
        StartJob(w, kSample, folder);
        boxes.WaitForCount(1, 10000);
        status = Text(w, IDC_STATUS);
        idleLayout = Visible(w, IDC_DOWNLOAD) && !Visible(w, IDC_STOP) && IsWindowEnabled(GetDlgItem(w, IDC_URL));
    });
    EXPECT_TRUE(idleLayout);
    EXPECT_EQ("Error!", status);
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ("Cannot start the download.", boxes.Texts()[0]);
}

}  // namespace
