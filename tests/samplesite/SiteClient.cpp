#include "tests/samplesite/SiteClient.h"

#include <cctype>
#include <chrono>

using samplesite::Socket;

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void SplitHead(const std::string& data, Reply& reply) {
    std::size_t end = data.find("\r\n\r\n");
    if (end == std::string::npos) {
        reply.head = data;
        return;
    }
    reply.head = data.substr(0, end);
    reply.body = data.substr(end + 4);
    if (reply.head.compare(0, 5, "HTTP/") == 0) reply.status = std::atoi(reply.head.c_str() + 9);
}

}  // namespace

bool Reply::HasHeader(const std::string& name) const {
    return Lower(head).find("\r\n" + Lower(name) + ":") != std::string::npos;
}

std::string Reply::Header(const std::string& name) const {
    std::size_t at = Lower(head).find("\r\n" + Lower(name) + ":");
    if (at == std::string::npos) return std::string();
    std::size_t start = at + 3 + name.size();
    std::size_t end = head.find("\r\n", start);
    std::string value = head.substr(start, end == std::string::npos ? end : end - start);
    std::size_t first = value.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : value.substr(first);
}

Reply Exchange(std::uint16_t port, const std::string& request, int silenceMs, std::size_t maxBody) {
    Reply reply;
    Socket socket;
    if (!socket.ConnectLoopback(port) || !socket.SendAll(request.data(), request.size())) {
        reply.ending = Ending::Reset;
        return reply;
    }
    std::string data;
    char buffer[65536];
    for (;;) {
        if (socket.WaitReadable(silenceMs) != 1) break;  // ending stays TimedOut
        long got = socket.Receive(buffer, sizeof buffer);
        if (got <= 0) {
            reply.ending = got == 0 ? Ending::Closed : Ending::Reset;
            break;
        }
        data.append(buffer, static_cast<std::size_t>(got));
        std::size_t headEnd = data.find("\r\n\r\n");
        if (headEnd != std::string::npos && data.size() - headEnd - 4 >= maxBody) {
            reply.ending = Ending::Truncated;
            break;
        }
    }
    SplitHead(data, reply);
    return reply;
}

Reply Get(std::uint16_t port, const std::string& target, int silenceMs, std::size_t maxBody) {
    return Exchange(port, "GET " + target + " HTTP/1.1\r\nHost: www.youtube.com\r\n\r\n", silenceMs, maxBody);
}

RunningSite::RunningSite(samplesite::SiteOptions options) : site(std::move(options)) {
    started = site.Start();
    if (started)
        runner = std::thread([this] {
            end = site.Run();
            ended = true;
        });
}

RunningSite::~RunningSite() {
    site.Stop();
    if (runner.joinable()) runner.join();
}

samplesite::SiteEnd RunningSite::WaitForEnd(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!ended && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!ended) site.Stop();
    if (runner.joinable()) runner.join();
    return end;
}
