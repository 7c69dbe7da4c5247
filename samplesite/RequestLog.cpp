#include "samplesite/RequestLog.h"

namespace samplesite {

bool RequestLog::Open(const std::string& path) {
    if (path.empty()) return true;
    file.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    return file.is_open();
}

void RequestLog::Write(const std::string& method, const std::string& target, int status) {
    std::lock_guard<std::mutex> hold(lock);
    if (!file.is_open()) return;
    file << method << ' ' << target << ' ' << status << '\n';
    file.flush();
}

}  // namespace samplesite
