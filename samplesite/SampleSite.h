#pragma once
// The local stand-in of the video site: listens on 127.0.0.1, serves each connection on a
// thread of its own (WinINet opens several at once), and ends by itself when its lifetime
// is over or a client asks for /quit.
#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "samplesite/RequestLog.h"
#include "samplesite/Router.h"
#include "samplesite/SiteOptions.h"
#include "samplesite/Socket.h"

namespace samplesite {

enum class SiteEnd { Lifetime, Quit, Stopped, NotStarted };

class SampleSite {
public:
    explicit SampleSite(SiteOptions options);
    ~SampleSite();
    SampleSite(const SampleSite&) = delete;
    SampleSite& operator=(const SampleSite&) = delete;

    // Listens, opens the log and writes the port file. The lifetime counts from here.
    bool Start();
    std::uint16_t Port() const { return port; }

    // Serves until the lifetime ends, a /quit request or Stop(); every connection has ended
    // when it returns.
    SiteEnd Run();
    // From any thread; Run() returns soon after.
    void Stop() { stopRequested = true; }

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    bool WritePortFile() const;
    void AcceptOne();
    void ServeConnection(Socket socket, std::shared_ptr<std::atomic<bool>> finished);
    void JoinWorkers(bool onlyFinished);
    void EndConnections();

    SiteOptions options;
    Router router;
    RequestLog log;
    Socket listener;
    std::uint16_t port = 0;
    std::chrono::steady_clock::time_point deadline;

    std::atomic<bool> stopRequested{false};
    std::atomic<bool> quitRequested{false};
    std::atomic<bool> stopping{false};  // tells connections to give up at once
    std::list<Worker> workers;          // touched by the thread in Run() only
    std::mutex activeLock;
    std::set<Socket*> active;
};

}  // namespace samplesite
