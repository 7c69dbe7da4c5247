// While it lives, answers every message box that this process shows (from
// any thread) with OK, and records the boxes' texts in order. Code under
// test that reports through message boxes then runs without a person.
#pragma once
#include <windows.h>
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class BoxWatcher {
public:
    // caption: the boxes' caption; by default the application name.
    explicit BoxWatcher(const std::string& caption = std::string());
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<std::string> Texts() const;
    // Waits (pumping this thread's messages) until at least count boxes were seen.
    bool WaitForCount(size_t count, DWORD timeoutMs) const;
    // From now on each box is painted and saved as <prefix>-<its number>
    // (screen::SaveWindowShot) before it is answered.
    void SaveShots(const std::string& prefix);

private:
    void Run();
    bool IsNewBox(HWND window) const;
    void Answer(HWND box);

    std::string caption;
    std::string shotPrefix;  // under lock
    std::atomic<bool> stop{false};
    mutable std::mutex lock;
    std::vector<std::string> texts;
    std::set<HWND> answered;
    std::thread worker;
};
