// Runs a real main window on the test's thread while a driver thread plays
// the user: types, clicks, answers dialogs, and reads what the window shows.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>
#include "app/FramehaulApp.h"
#include "app/MainDialog.h"
#include "settings/RecentList.h"
#include "tests/common/TestSupport.h"

class RecordingMainDialog : public MainDialog {
public:
    using MainDialog::MainDialog;
    ~RecordingMainDialog() override;

    std::vector<std::string> StatusTexts();
    std::vector<int> BarPositions();
    // What the window asked of its taskbar button, a line each: "normal 35",
    // "paused 40", "error 60", "none", "flash", "recreate".
    std::vector<std::string> TaskbarCalls();
    // The accessible events the window raised on its status line, in order:
    // "name" (EVENT_OBJECT_NAMECHANGE) and "live" (a live region changed),
    // each with the status text at that moment.
    std::vector<std::string> StatusEvents();
    // How many jobs the window tried to start a worker for.
    int JobsStarted() const { return jobsStarted; }
    // Makes the next job's worker fail to start.
    std::atomic<bool> failThreadCreation{false};
    // What the window's drop target hands the window for dragged data: the
    // drag-over answer, then the drop with that answer as the proposed effect.
    DWORD DragOver(IDataObject* data, DWORD keyState);
    DWORD Drop(IDataObject* data, DWORD keyState);

protected:
    BOOL OnInitDialog() override;
    HANDLE CreateWorker() override;

private:
    class RecordingTaskbar;
    static LRESULT CALLBACK Record(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD);
    void AddTaskbarCall(const std::string& call);
    std::mutex lock;
    std::vector<std::string> statusTexts;
    std::vector<int> barPositions;
    std::vector<std::string> taskbarCalls;
    std::vector<std::string> statusEvents;
    HWINEVENTHOOK eventHook = nullptr;
    std::atomic<int> jobsStarted{0};
};

// The main window's tests: the program's registry key and settings fresh,
// an empty folder, and the stand-in site as the proxy.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    const RecentList& Urls() { return *testing_support::App().settings.RecentUrls; }
    const RecentList& Folders() { return *testing_support::App().settings.RecentFolders; }

    testing_support::SiteProxy proxy;
    std::string folder;
};

namespace harness {

// Runs window.DoModal() here and driver(window handle) on another thread;
// the driver must make the window close. Returns DoModal's result.
INT_PTR RunWindow(Dialog& window, const std::function<void(HWND)>& driver);

void SetText(HWND window, int id, const std::string& text);
std::string Text(HWND window, int id);
void Click(HWND window, int id);  // posted: returns at once
// Fills the address and folder boxes and clicks Download.
void StartJob(HWND window, const std::string& url, const std::string& folder);
bool Visible(HWND window, int id);
bool Enabled(HWND window, int id);
// Waits until the status line shows one of the three results.
std::string WaitForResult(HWND window, DWORD timeoutMs = 60000);
// Clears the status line, starts a job and waits for its result.
std::string JobResult(HWND window, const std::string& url, const std::string& folder, DWORD timeoutMs = 60000);
// The file-exists dialog of this process, once it is shown (null on time-out).
HWND WaitForFileExistsDialog(DWORD timeoutMs = 20000);

}  // namespace harness
