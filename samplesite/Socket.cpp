#include "samplesite/Socket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mutex>
using NativeSocket = SOCKET;
using SockLen = int;
#define FH_CLOSESOCKET closesocket
#define FH_SHUT_WR     SD_SEND
#define FH_SHUT_RDWR   SD_BOTH
#define FH_NOSIGNAL    0
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#include <linux/sockios.h>
using NativeSocket = int;
using SockLen = socklen_t;
#define FH_CLOSESOCKET ::close
#define FH_SHUT_WR     SHUT_WR
#define FH_SHUT_RDWR   SHUT_RDWR
#define FH_NOSIGNAL    MSG_NOSIGNAL
#endif

#include <cstring>

namespace samplesite {

namespace {

NativeSocket Native(std::intptr_t h) {
    return static_cast<NativeSocket>(h);
}

sockaddr_in LoopbackAddress(std::uint16_t port) {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

bool InitSocketLibrary() {
#ifdef _WIN32
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    return started;
#else
    signal(SIGPIPE, SIG_IGN);
    return true;
#endif
}

Socket::~Socket() {
    Close();
}

Socket::Socket(Socket&& other) noexcept : handle(other.handle) {
    other.handle = kInvalid;
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        handle = other.handle;
        other.handle = kInvalid;
    }
    return *this;
}

bool Socket::ListenLoopback(std::uint16_t port) {
    Close();
    NativeSocket s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == static_cast<NativeSocket>(kInvalid)) return false;
    handle = static_cast<std::intptr_t>(s);
#ifndef _WIN32
    // A port freed by an earlier run stays in TIME_WAIT; tests that restart on a fixed port
    // would otherwise fail for a minute. (On Windows this option would allow port theft.)
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
#endif
    sockaddr_in address = LoopbackAddress(port);
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(s, 64) != 0) {
        Close();
        return false;
    }
    return true;
}

std::uint16_t Socket::LocalPort() const {
    sockaddr_in address;
    SockLen length = sizeof address;
    if (!IsValid() || getsockname(Native(handle), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

Socket Socket::Accept() {
    NativeSocket s = ::accept(Native(handle), nullptr, nullptr);
    if (s == static_cast<NativeSocket>(kInvalid)) return Socket();
    int on = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return Socket(static_cast<std::intptr_t>(s));
}

bool Socket::ConnectLoopback(std::uint16_t port) {
    Close();
    NativeSocket s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == static_cast<NativeSocket>(kInvalid)) return false;
    handle = static_cast<std::intptr_t>(s);
    sockaddr_in address = LoopbackAddress(port);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        Close();
        return false;
    }
    return true;
}

int Socket::WaitReadable(int timeoutMs) const {
    if (!IsValid()) return -1;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Native(handle), &readable);
    timeval timeout;
    timeout.tv_sec = timeoutMs / 1000;
    timeout.tv_usec = (timeoutMs % 1000) * 1000;
    int ready = ::select(static_cast<int>(Native(handle)) + 1, &readable, nullptr, nullptr, &timeout);
    return ready < 0 ? -1 : (ready > 0 ? 1 : 0);
}

long Socket::Receive(char* buffer, std::size_t size) {
    int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
    long got = ::recv(Native(handle), buffer, chunk, 0);
    return got < 0 ? -1 : got;
}

bool Socket::SendAll(const char* data, std::size_t size) {
    while (size > 0) {
        int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
        long sent = ::send(Native(handle), data, chunk, FH_NOSIGNAL);
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool Socket::SetReceiveTimeout(int timeoutMs) {
#ifdef _WIN32
    DWORD value = static_cast<DWORD>(timeoutMs);
#else
    timeval value;
    value.tv_sec = timeoutMs / 1000;
    value.tv_usec = (timeoutMs % 1000) * 1000;
#endif
    return setsockopt(Native(handle), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value), sizeof value) ==
           0;
}

bool Socket::SetSendBufferSize(int bytes) {
    return setsockopt(Native(handle), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes) == 0;
}

void Socket::ShutdownSend() {
    if (IsValid()) ::shutdown(Native(handle), FH_SHUT_WR);
}

void Socket::ShutdownBoth() {
    if (IsValid()) ::shutdown(Native(handle), FH_SHUT_RDWR);
}

void Socket::SetAbortiveClose() {
    linger value;
    value.l_onoff = 1;
    value.l_linger = 0;
    setsockopt(Native(handle), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&value), sizeof value);
}

std::size_t Socket::UnacknowledgedBytes() const {
#ifdef _WIN32
    return 0;
#else
    int pending = 0;
    if (!IsValid() || ioctl(Native(handle), SIOCOUTQ, &pending) != 0 || pending < 0) return 0;
    return static_cast<std::size_t>(pending);
#endif
}

void Socket::Close() {
    if (IsValid()) FH_CLOSESOCKET(Native(handle));
    handle = kInvalid;
}

}  // namespace samplesite
