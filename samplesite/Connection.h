#pragma once
// One client connection: one request, one response, then the connection ends (every
// response says "Connection: close", which WinINet handles and which keeps this simple).
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "samplesite/RequestLog.h"
#include "samplesite/Response.h"
#include "samplesite/Router.h"
#include "samplesite/Socket.h"

namespace samplesite {

class Connection {
public:
    Connection(Socket& socket, const Router& router, RequestLog& log, const std::atomic<bool>& stopping)
        : socket(socket), router(router), log(log), stopping(stopping) {}

    // Serves the connection's request. True when that request asked the site to quit.
    bool Serve();

private:
    bool ReadHead(std::string& head);
    std::string ResponseHead(const Response& response) const;
    bool SendBody(const Response& response, std::uint64_t count);
    bool WaitForTurn(std::uint64_t sent, std::uint64_t bytesPerSecond, std::chrono::steady_clock::time_point start);
    void HoldOpen();
    void PrepareReset();
    void EndInOrder();
    bool Pause(int milliseconds);

    Socket& socket;
    const Router& router;
    RequestLog& log;
    const std::atomic<bool>& stopping;
};

}  // namespace samplesite
