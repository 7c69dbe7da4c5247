#pragma once
// One client connection: one request, one response, then the connection ends (every
// response says "Connection: close", which WinINet handles and which keeps this simple). A
// CONNECT to port 443, as a proxy gets it for an https address, opens a TLS tunnel first
// when the site has a certificate for the host; the request then comes inside it.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "samplesite/Channel.h"
#include "samplesite/HttpRequest.h"
#include "samplesite/RequestLog.h"
#include "samplesite/Response.h"
#include "samplesite/Router.h"
#include "samplesite/Socket.h"

namespace samplesite {

class Connection {
public:
    // tlsDir: the certificates for tunnels (CertificateFileFor); empty: none are opened.
    Connection(Socket& socket, const Router& router, RequestLog& log, const std::string& tlsDir,
               const std::atomic<bool>& stopping)
        : socket(socket), channel(socket), router(router), log(log), tlsDir(tlsDir), stopping(stopping) {}

    // Serves the connection's request. True when that request asked the site to quit.
    bool Serve();

private:
    bool ReadRequest(HttpRequest& request, bool& parsed, std::string& head);
    bool OpenTunnel(const HttpRequest& connect);
    bool ReadHead(std::string& head);
    std::string ResponseHead(const Response& response) const;
    bool SendBody(const Response& response, std::uint64_t count);
    bool WaitForTurn(std::uint64_t sent, std::uint64_t bytesPerSecond, std::chrono::steady_clock::time_point start);
    void HoldOpen();
    void PrepareReset();
    void EndInOrder();
    bool Pause(int milliseconds);

    Socket& socket;
    Channel channel;
    const Router& router;
    RequestLog& log;
    const std::string& tlsDir;
    const std::atomic<bool>& stopping;
};

}  // namespace samplesite
