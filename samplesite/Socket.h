#pragma once
// A thin TCP socket over Winsock (Windows, Wine) or BSD sockets (the Linux host build).
// Everything binds or connects to 127.0.0.1 only: the sample site must never be reachable
// from, or reach, anything off this machine.
#include <cstddef>
#include <cstdint>

namespace samplesite {

// Starts Winsock once per process; on Linux, turns SIGPIPE off so that a client that goes
// away in the middle of a body cannot end the server. Safe to call more than once.
bool InitSocketLibrary();

class Socket {
public:
    Socket() = default;
    ~Socket();
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool IsValid() const { return handle != kInvalid; }
    // The system's socket (a file descriptor, or a SOCKET on Windows).
    std::intptr_t Handle() const { return handle; }

    bool ListenLoopback(std::uint16_t port);  // 0 = any free port
    std::uint16_t LocalPort() const;          // 0 when unknown
    Socket Accept();                          // invalid Socket on failure
    bool ConnectLoopback(std::uint16_t port);

    // 1 when data (or end of stream) can be read, 0 after timeoutMs, -1 on error.
    int WaitReadable(int timeoutMs) const;
    // Bytes received, 0 at end of stream, -1 on error.
    long Receive(char* buffer, std::size_t size);
    bool SendAll(const char* data, std::size_t size);
    bool SetReceiveTimeout(int timeoutMs);
    bool SetSendBufferSize(int bytes);

    void ShutdownSend();
    // Safe from another thread while this one is blocked in a call: that call then returns.
    void ShutdownBoth();
    // The next Close() resets the connection instead of ending it in order.
    void SetAbortiveClose();
    // Bytes sent but not yet acknowledged by the peer; 0 where the system cannot tell.
    std::size_t UnacknowledgedBytes() const;
    void Close();

private:
    static constexpr std::intptr_t kInvalid = -1;
    explicit Socket(std::intptr_t h) : handle(h) {}
    std::intptr_t handle = kInvalid;
};

}  // namespace samplesite
