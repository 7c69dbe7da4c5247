#include "samplesite/Connection.h"

#include <algorithm>
#include <thread>

#include "samplesite/HttpRequest.h"
#include "samplesite/SentBytes.h"

namespace samplesite {

namespace {

constexpr std::size_t kMaxHeadBytes = 64 * 1024;
// WinINet sends a request head in one piece; a client silent this long is not coming back.
constexpr int kHeadTimeoutMs = 5000;
constexpr int kPollMs = 50;

std::size_t HeadEnd(const std::string& data) {
    std::size_t crlf = data.find("\r\n\r\n");
    if (crlf != std::string::npos) return crlf;
    return data.find("\n\n");
}

}  // namespace

bool Connection::Serve() {
    std::string head;
    HttpRequest request;
    bool parsed = false;
    if (!ReadRequest(request, parsed, head)) return false;
    Response response;
    if (parsed) {
        router.Route(request, response);
        log.Write(request.Method(), request.LoggedTarget(), response.status);
    } else {
        SetErrorPage(response, 400);
        log.Write("-", head.substr(0, head.find('\n')), 400);
    }
    if (response.silent) {
        HoldOpen();
        return false;
    }
    // A small send buffer keeps little in flight when a reset is due, so that waiting for it
    // to be delivered is short and reliable (see PrepareReset).
    if (response.resetAfter) socket.SetSendBufferSize(64 * 1024);
    std::string responseHead = ResponseHead(response);
    if (!channel.SendAll(responseHead.data(), responseHead.size())) return response.quitAfter;

    std::uint64_t count = response.sendBody ? response.body.Size() - response.from : 0;
    for (const auto& cut : {response.stallAfter, response.resetAfter, response.closeAfter})
        if (cut) count = std::min(count, *cut);
    bool delivered = SendBody(response, count);
    if (delivered && response.sendBody && response.resetAfter) {
        PrepareReset();
        return response.quitAfter;
    }
    if (delivered && response.sendBody && response.stallAfter) HoldOpen();
    EndInOrder();
    return response.quitAfter;
}

// The request head, and whether it parsed; a CONNECT for which a tunnel opens is followed by
// the request that comes through it. False when there is nothing to answer.
bool Connection::ReadRequest(HttpRequest& request, bool& parsed, std::string& head) {
    if (!ReadHead(head)) return false;
    parsed = request.Parse(head);
    if (!parsed || request.Method() != "CONNECT") return true;
    if (!OpenTunnel(request) || !ReadHead(head)) return false;
    std::string target = request.Target();
    request = HttpRequest();
    parsed = request.Parse(head);
    request.SetTunnelHost(target.substr(0, target.rfind(':')));
    return true;
}

// A CONNECT to port 443 of a host with a certificate is answered, then TLS is spoken on the
// connection; any other is refused, as a proxy refuses what it cannot reach.
bool Connection::OpenTunnel(const HttpRequest& connect) {
    std::string certificate = CertificateFileFor(tlsDir, connect.Target());
    int status = certificate.empty() ? 502 : 200;
    log.Write(connect.Method(), connect.Target(), status);
    std::string answer = status == 200 ? "HTTP/1.1 200 Connection established\r\n\r\n"
                                       : "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    if (!channel.SendAll(answer.data(), answer.size()) || status != 200) {
        EndInOrder();
        return false;
    }
    // A client that stops in the middle of its handshake must not hold the connection.
    socket.SetReceiveTimeout(kHeadTimeoutMs);
    return channel.StartTls(certificate);
}

bool Connection::ReadHead(std::string& head) {
    std::string data;
    char buffer[4096];
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHeadTimeoutMs);
    while (!stopping && std::chrono::steady_clock::now() < deadline) {
        int ready = channel.WaitReadable(kPollMs);
        if (ready < 0) return false;
        if (ready == 0) continue;
        long got = channel.Receive(buffer, sizeof buffer);
        if (got <= 0) return false;
        data.append(buffer, static_cast<std::size_t>(got));
        std::size_t end = HeadEnd(data);
        if (end != std::string::npos) {
            head = data.substr(0, end);
            return true;
        }
        if (data.size() > kMaxHeadBytes) return false;
    }
    return false;
}

std::string Connection::ResponseHead(const Response& response) const {
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n";
    head += "Server: fh_samplesite\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    if (response.sendLength) head += "Content-Length: " + std::to_string(response.body.Size() - response.from) + "\r\n";
    if (response.acceptRanges) head += "Accept-Ranges: bytes\r\n";
    if (!response.contentRange.empty()) head += "Content-Range: " + response.contentRange + "\r\n";
    if (!response.location.empty()) head += "Location: " + response.location + "\r\n";
    head += "Cache-Control: no-cache\r\nConnection: close\r\n\r\n";
    return head;
}

// False when the client went away or the site is stopping before `count` bytes were sent.
bool Connection::SendBody(const Response& response, std::uint64_t count) {
    auto start = std::chrono::steady_clock::now();
    std::uint64_t rate = response.bytesPerSecond;
    // Throttled bodies go out in slices of about 1/20 s, so the rate is smooth, not bursty.
    std::size_t slice = Body::kBlockSize;
    if (rate > 0) slice = static_cast<std::size_t>(std::clamp<std::uint64_t>(rate / 20, 1, slice));
    for (std::uint64_t sent = 0; sent < count;) {
        if (stopping) return false;
        if (rate > 0 && !WaitForTurn(sent, rate, start)) return false;
        std::uint64_t upTo = count;
        if (response.pauseAfter && sent < *response.pauseAfter) upTo = std::min(count, *response.pauseAfter);
        if (response.pauseAfter && sent == *response.pauseAfter && !Pause(response.pauseMs)) return false;
        const char* data = nullptr;
        std::size_t piece = response.body.View(
            response.from + sent, static_cast<std::size_t>(std::min<std::uint64_t>(slice, upTo - sent)), data);
        if (piece == 0 || !channel.SendAll(data, piece)) return false;
        sent += piece;
        if (response.counted) SentBodyBytes() += piece;
    }
    return true;
}

bool Connection::WaitForTurn(std::uint64_t sent, std::uint64_t bytesPerSecond,
                             std::chrono::steady_clock::time_point start) {
    auto due = start + std::chrono::microseconds(static_cast<std::int64_t>(sent * 1000000.0 / bytesPerSecond));
    for (auto now = std::chrono::steady_clock::now(); now < due; now = std::chrono::steady_clock::now()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count();
        if (!Pause(static_cast<int>(std::clamp<std::int64_t>(left, 1, kPollMs)))) return false;
    }
    return true;
}

// A stalled transfer stays silent until the client gives up or the site stops.
void Connection::HoldOpen() {
    char buffer[4096];
    while (!stopping) {
        int ready = channel.WaitReadable(kPollMs);
        if (ready < 0) return;
        if (ready > 0 && channel.Receive(buffer, sizeof buffer) <= 0) return;
    }
}

// Closing with unsent data would reset the connection before the promised bytes arrive; the
// client must see exactly N bytes and then the reset. Where the system cannot tell what is
// still in flight, a pause long enough for a slow reader to take one send buffer does.
void Connection::PrepareReset() {
#ifdef _WIN32
    Pause(500);
#else
    for (int waited = 0; waited < 2000 && socket.UnacknowledgedBytes() > 0; waited += 5) {
        if (!Pause(5)) break;
    }
#endif
    socket.SetAbortiveClose();
}

// Ends our side, then reads until the client closes, because closing a socket with unread
// input resets it and the client could lose the end of the body.
void Connection::EndInOrder() {
    channel.ShutdownSend();
    char buffer[4096];
    for (int waited = 0; waited < 2000 && !stopping;) {
        int ready = channel.WaitReadable(kPollMs);
        if (ready < 0) return;
        if (ready == 0) {
            waited += kPollMs;
        } else if (channel.Receive(buffer, sizeof buffer) <= 0) {
            return;
        }
    }
}

bool Connection::Pause(int milliseconds) {
    if (stopping) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return !stopping;
}

}  // namespace samplesite
