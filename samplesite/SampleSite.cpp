#include "samplesite/SampleSite.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <system_error>

#include "samplesite/Connection.h"

namespace samplesite {

namespace {

constexpr int kPollMs = 50;
// Enough for any client that opens several connections; a runaway client is refused
// rather than given a thread per connection without end.
constexpr std::size_t kMaxConnections = 256;

}  // namespace

SampleSite::SampleSite(SiteOptions options) : options(std::move(options)), router(this->options.pagesDir) {}

SampleSite::~SampleSite() {
    stopping = true;
    EndConnections();
    JoinWorkers(false);
}

bool SampleSite::Start() {
    if (!InitSocketLibrary() || !log.Open(options.logFile)) return false;
    if (!listener.ListenLoopback(options.port)) return false;
    port = listener.LocalPort();
    deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.lifetimeMs);
    return port != 0 && WritePortFile();
}

// Written under another name and renamed, so that a script polling for the file never
// reads half a number.
bool SampleSite::WritePortFile() const {
    if (options.portFile.empty()) return true;
    std::string temporary = options.portFile + ".tmp";
    {
        std::ofstream file(temporary, std::ios::out | std::ios::trunc);
        if (!(file << port << '\n')) return false;
    }
    std::remove(options.portFile.c_str());  // rename does not replace a file on Windows
    return std::rename(temporary.c_str(), options.portFile.c_str()) == 0;
}

SiteEnd SampleSite::Run() {
    if (!listener.IsValid()) return SiteEnd::NotStarted;
    SiteEnd end = SiteEnd::Lifetime;
    for (;;) {
        if (stopRequested) {
            end = SiteEnd::Stopped;
            break;
        }
        if (quitRequested) {
            end = SiteEnd::Quit;
            break;
        }
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) break;
        int ready = listener.WaitReadable(static_cast<int>(left < kPollMs ? left : kPollMs));
        if (ready > 0) AcceptOne();
        JoinWorkers(true);
    }
    stopping = true;
    listener.Close();
    EndConnections();
    JoinWorkers(false);
    return end;
}

void SampleSite::AcceptOne() {
    Socket client = listener.Accept();
    if (!client.IsValid() || workers.size() >= kMaxConnections) return;
    auto finished = std::make_shared<std::atomic<bool>>(false);
    try {
        std::thread thread(&SampleSite::ServeConnection, this, std::move(client), finished);
        workers.push_back(Worker{std::move(thread), finished});
    } catch (const std::system_error&) {
        // No thread: the socket went with the failed call and is closed, the client sees a reset.
    }
}

void SampleSite::ServeConnection(Socket socket, std::shared_ptr<std::atomic<bool>> finished) {
    {
        // Checked under the lock: a connection that registers after EndConnections() ran must
        // not start a send that nothing would ever wake.
        std::lock_guard<std::mutex> hold(activeLock);
        if (stopping) {
            *finished = true;
            return;
        }
        active.insert(&socket);
    }
    Connection connection(socket, router, log, options.tlsDir, stopping);
    if (connection.Serve()) quitRequested = true;
    {
        std::lock_guard<std::mutex> hold(activeLock);
        active.erase(&socket);
    }
    socket.Close();
    *finished = true;
}

void SampleSite::JoinWorkers(bool onlyFinished) {
    for (auto it = workers.begin(); it != workers.end();) {
        if (onlyFinished && !*it->finished) {
            ++it;
            continue;
        }
        if (it->thread.joinable()) it->thread.join();
        it = workers.erase(it);
    }
}

// Wakes every connection blocked in a send or a receive, so that none outlives the site.
void SampleSite::EndConnections() {
    std::lock_guard<std::mutex> hold(activeLock);
    for (Socket* socket : active) socket->ShutdownBoth();
}

}  // namespace samplesite
