// Helpers of the engine tests: an observer that records every call, the
// stand-in site's addresses, and the per-user proxy that sends the video
// site's addresses to it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "engine/TransferObserver.h"

namespace engine_testing {

// Calls as lines: "begin", "end", "status <text>", "text <text>",
// "total <KB>", "position <KB>".
class Recorder : public TransferObserver {
public:
    struct Call { std::string line; DWORD tick; DWORD thread; };

    Recorder() { abortFlag = &stop; }
    int OnBegin() override { return Add("begin"); }
    int OnEnd() override { return Add("end"); }
    int OnText(int kind, const char* text) override {
        return Add((kind == TextStatus ? "status " : "text ") + std::string(text));
    }
    int OnProgress(int kind, unsigned value) override {
        return Add((kind == ProgressTotal ? "total " : "position ") + std::to_string(value));
    }

    // Every line but the status texts.
    std::vector<std::string> Outline() const;
    std::string LastStatus() const;
    int Count(const std::string& line) const;
    std::string Dump() const;

    std::vector<Call> calls;
    std::atomic<int> stop{0};

private:
    int Add(const std::string& line) {
        calls.push_back(Call{line, GetTickCount(), GetCurrentThreadId()});
        return 0;
    }
};

// The stand-in site's port from FH_SITE_PORT ("" when not set), and
// "http://127.0.0.1:<port>" + pathAndQuery.
std::string SitePort();
std::string SiteUrl(const std::string& pathAndQuery);

// While it lives, the per-user proxy points at the stand-in site; the
// previous values come back afterwards.
class SiteProxy {
public:
    SiteProxy();
    ~SiteProxy();

private:
    DWORD enable = 0;
    std::string server;
    bool hadEnable = false, hadServer = false;
};

// The proxy of a WinINet session opened now ("" when it goes direct).
std::string ProxyOfNewSession();
// Checked before a test names any host but 127.0.0.1, so that nothing
// leaves the machine if the proxy setting were not taken.
bool SiteProxyInEffect();

std::string ReadFileBytes(const std::string& path);
// Index of the first byte that differs from the site's stream (FLV header,
// then the formula) or, without header, from its /bytes formula.
size_t Mismatch(const std::string& bytes, bool flvHeader);

}  // namespace engine_testing
