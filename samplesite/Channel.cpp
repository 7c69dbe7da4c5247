#include "samplesite/Channel.h"

namespace samplesite {

bool Channel::StartTls(const std::string& pemFile) {
    tls = TlsSession::Accept(socket, pemFile);
    return tls != nullptr;
}

int Channel::WaitReadable(int timeoutMs) const {
    if (tls && tls->HasPending()) return 1;
    return socket.WaitReadable(timeoutMs);
}

long Channel::Receive(char* buffer, std::size_t size) {
    return tls ? tls->Receive(buffer, size) : socket.Receive(buffer, size);
}

bool Channel::SendAll(const char* data, std::size_t size) {
    return tls ? tls->SendAll(data, size) : socket.SendAll(data, size);
}

void Channel::ShutdownSend() {
    if (tls) tls->EndSending();
    socket.ShutdownSend();
}

}  // namespace samplesite
