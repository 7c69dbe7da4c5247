// Helpers of the engine tests: an observer that records every call, the
// stand-in site's addresses, the per-user proxy that sends the video
// site's addresses to it, and a call run on a thread of its own.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <functional>
#include <string>
#include <vector>
#include "engine/TransferObserver.h"

namespace engine_testing {

struct ObservedCall {
    enum Kind { Begin, End, Text, Progress };
    Kind kind;
    int subKind;       // TextStatus/TextProgress or ProgressTotal/ProgressPosition
    std::string text;
    unsigned value;
    DWORD tick;        // GetTickCount at the call
    DWORD thread;      // the calling thread
};

class RecordingObserver : public TransferObserver {
public:
    int OnBegin() override;
    int OnEnd() override;
    int OnText(int kind, const char* text) override;
    int OnProgress(int kind, unsigned value) override;

    std::vector<ObservedCall> calls;
    std::atomic<int> stopRequest{0};

    std::vector<std::string> Texts(int kind) const;
    std::string LastStatusText() const;
    // Every call but the status texts, one line each: "begin", "end",
    // "total 2", "position 1", "text 1 KB / 2 KB".
    std::vector<std::string> Outline() const;
    int Count(ObservedCall::Kind kind) const;
};

// The stand-in site's port from FH_SITE_PORT; empty when it is not set.
std::string SitePort();
// "http://127.0.0.1:<port>" + pathAndQuery.
std::string SiteUrl(const std::string& pathAndQuery);

// While it lives, the per-user proxy points at the stand-in site (values
// saved and restored). Sessions opened meanwhile send every address there.
class SiteProxy {
public:
    SiteProxy();
    ~SiteProxy();
    SiteProxy(const SiteProxy&) = delete;
    SiteProxy& operator=(const SiteProxy&) = delete;

private:
    struct Saved { bool present; DWORD type; std::vector<BYTE> data; };
    void Save(const char* name, Saved& saved);
    void Restore(const char* name, const Saved& saved);
    Saved enable, server, override_;
};

// The proxy a WinINet session opened now would use ("" when direct).
std::string ProxyOfNewSession();
// A session opened now sends everything to the stand-in site. Tests check
// it before they name a host other than 127.0.0.1, so that nothing leaves
// the machine if the setting were not taken.
bool SiteProxyInEffect();

// Runs a function on a thread of its own (the engine shows its dialogs on
// the thread that calls it).
class WorkerCall {
public:
    explicit WorkerCall(std::function<void()> body);
    ~WorkerCall();
    WorkerCall(const WorkerCall&) = delete;
    WorkerCall& operator=(const WorkerCall&) = delete;

    DWORD ThreadId() const { return threadId; }
    bool Wait(DWORD timeoutMs);

private:
    static DWORD WINAPI Run(void* self);
    std::function<void()> body;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
};

// A visible dialog of the thread that has a control with the id, or null.
HWND FindThreadDialog(DWORD threadId, int controlId);
HWND WaitForThreadDialog(DWORD threadId, int controlId, DWORD timeoutMs);
std::string WindowText(HWND window);

// The whole content of a file ("" when it cannot be read) and its size.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Index of the first byte that differs from the site's /bytes formula.
size_t PatternMismatch(const std::string& bytes);
size_t StreamMismatch(const std::string& bytes);

// The selected gtest filter names this suite: then a precondition that
// fails is a failure, not a skip.
bool FilterSelects(const char* suitePrefix);

}  // namespace engine_testing
