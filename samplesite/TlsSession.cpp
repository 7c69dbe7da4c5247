#include "samplesite/TlsSession.h"

#include <fstream>

#ifdef FH_SITE_TLS
#include <openssl/err.h>
#include <openssl/ssl.h>
#endif

namespace samplesite {

std::string CertificateFileFor(const std::string& dir, const std::string& connectTarget) {
    std::size_t colon = connectTarget.rfind(':');
    if (dir.empty() || colon == std::string::npos || connectTarget.substr(colon + 1) != "443") return std::string();
    std::string host = connectTarget.substr(0, colon);
    if (host.empty() || host[0] == '.' || host.find("..") != std::string::npos) return std::string();
    for (char c : host) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
        if (!ok) return std::string();
    }
    std::string file = dir + "/" + host + ".pem";
    return std::ifstream(file) ? file : std::string();
}

#ifdef FH_SITE_TLS

struct TlsSession::State {
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    ~State() {
        if (ssl) SSL_free(ssl);
        if (context) SSL_CTX_free(context);
    }
};

bool TlsSession::Available() {
    return true;
}

std::unique_ptr<TlsSession> TlsSession::Accept(Socket& socket, const std::string& pemFile) {
    std::unique_ptr<State> state(new State);
    state->context = SSL_CTX_new(TLS_server_method());
    bool ready = state->context && SSL_CTX_use_certificate_chain_file(state->context, pemFile.c_str()) == 1 &&
                 SSL_CTX_use_PrivateKey_file(state->context, pemFile.c_str(), SSL_FILETYPE_PEM) == 1 &&
                 (state->ssl = SSL_new(state->context)) != nullptr &&
                 SSL_set_fd(state->ssl, static_cast<int>(socket.Handle())) == 1 && SSL_accept(state->ssl) == 1;
    // OpenSSL keeps its errors per thread; a connection's thread must not leave them behind.
    ERR_clear_error();
    if (!ready) return nullptr;
    return std::unique_ptr<TlsSession>(new TlsSession(std::move(state)));
}

bool TlsSession::HasPending() const {
    return SSL_pending(state->ssl) > 0;
}

long TlsSession::Receive(char* buffer, std::size_t size) {
    int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
    int got = SSL_read(state->ssl, buffer, chunk);
    if (got > 0) return got;
    int error = SSL_get_error(state->ssl, got);
    ERR_clear_error();
    return error == SSL_ERROR_ZERO_RETURN ? 0 : -1;
}

bool TlsSession::SendAll(const char* data, std::size_t size) {
    while (size > 0) {
        int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
        int sent = SSL_write(state->ssl, data, chunk);
        if (sent <= 0) {
            ERR_clear_error();
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

void TlsSession::EndSending() {
    SSL_shutdown(state->ssl);
    ERR_clear_error();
}

#else  // built without OpenSSL

struct TlsSession::State {};

bool TlsSession::Available() {
    return false;
}

std::unique_ptr<TlsSession> TlsSession::Accept(Socket&, const std::string&) {
    return nullptr;
}

bool TlsSession::HasPending() const {
    return false;
}

long TlsSession::Receive(char*, std::size_t) {
    return -1;
}

bool TlsSession::SendAll(const char*, std::size_t) {
    return false;
}

void TlsSession::EndSending() {}

#endif

TlsSession::TlsSession(std::unique_ptr<State> state) : state(std::move(state)) {}

TlsSession::~TlsSession() = default;

}  // namespace samplesite
