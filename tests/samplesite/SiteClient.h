#pragma once
// A plain-socket HTTP client for the sample site's tests: it records exactly what came over
// the wire and how the connection ended, which a full HTTP library would hide.
#include <cstdint>
#include <string>

#include "samplesite/SampleSite.h"

enum class Ending { Closed, Reset, TimedOut, Truncated };

struct Reply {
    int status = 0;
    std::string head;  // status line and headers, without the blank line
    std::string body;
    Ending ending = Ending::TimedOut;
    bool HasHeader(const std::string& name) const;
    std::string Header(const std::string& name) const;
};

// Sends `request` verbatim and reads until the server closes, resets, stays silent for
// `silenceMs`, or `maxBody` body bytes have arrived (Truncated; the client then closes).
Reply Exchange(std::uint16_t port, const std::string& request, int silenceMs = 5000, std::size_t maxBody = 64u << 20);
// A GET with the given target and a Host header.
Reply Get(std::uint16_t port, const std::string& target, int silenceMs = 5000, std::size_t maxBody = 64u << 20);

// An in-process site on a free port, served on a thread of its own for one test.
class RunningSite {
public:
    explicit RunningSite(samplesite::SiteOptions options = samplesite::SiteOptions());
    ~RunningSite();
    bool Started() const { return started; }
    std::uint16_t Port() const { return site.Port(); }
    // Waits (bounded) for Run() to return by itself; Stopped when it had to be stopped.
    samplesite::SiteEnd WaitForEnd(int timeoutMs);

private:
    samplesite::SampleSite site;
    bool started = false;
    std::thread runner;
    std::atomic<bool> ended{false};
    samplesite::SiteEnd end = samplesite::SiteEnd::NotStarted;
};
