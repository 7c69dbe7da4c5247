#pragma once
// The bytes of one connection: straight over its socket, or, once a CONNECT tunnel is open,
// through the TLS session on it. Resets, send buffers and the end of the connection stay
// the socket's own.
#include <cstddef>
#include <memory>
#include <string>

#include "samplesite/Socket.h"
#include "samplesite/TlsSession.h"

namespace samplesite {

class Channel {
public:
    explicit Channel(Socket& socket) : socket(socket) {}

    // The TLS handshake with the certificate of the PEM file; false when it failed.
    bool StartTls(const std::string& pemFile);

    // As Socket's, through TLS once it is started.
    int WaitReadable(int timeoutMs) const;
    long Receive(char* buffer, std::size_t size);
    bool SendAll(const char* data, std::size_t size);
    // Ends our side in order: TLS's close_notify first, when there is TLS.
    void ShutdownSend();

private:
    Socket& socket;
    std::unique_ptr<TlsSession> tls;
};

}  // namespace samplesite
