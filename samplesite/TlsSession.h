#pragma once
// The server side of TLS on one accepted connection, for CONNECT tunnels to port 443. Built
// with OpenSSL where the build found it; without it, Available() is false and no session
// can be made.
#include <cstddef>
#include <memory>
#include <string>

#include "samplesite/Socket.h"

namespace samplesite {

class TlsSession {
public:
    static bool Available();
    // The handshake on the connected socket, as the server with the certificate chain and key
    // of the PEM file; null when the file cannot be used or the handshake fails.
    static std::unique_ptr<TlsSession> Accept(Socket& socket, const std::string& pemFile);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Decrypted bytes wait inside the session, which the socket cannot tell.
    bool HasPending() const;
    // Bytes received, 0 at the end of the stream, -1 on error.
    long Receive(char* buffer, std::size_t size);
    bool SendAll(const char* data, std::size_t size);
    // Says that nothing more comes (close_notify); the connection itself stays.
    void EndSending();

private:
    struct State;
    explicit TlsSession(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};

// The PEM file for a CONNECT target ("host:443") in the folder: <dir>/<host>.pem. Empty when
// there is no folder, the port is not 443, the host has characters a host name has not, or
// there is no such file.
std::string CertificateFileFor(const std::string& dir, const std::string& connectTarget);

}  // namespace samplesite
