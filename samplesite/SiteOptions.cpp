#include "samplesite/SiteOptions.h"

#include <cstdlib>

#include "samplesite/TlsSession.h"

namespace samplesite {

const char* const kSiteUsage =
    "Usage: fh_samplesite [--port N] [--port-file FILE] [--lifetime SECONDS]\n"
    "                     [--pages DIR] [--log FILE] [--tls DIR]\n";

namespace {

// A day at most: a forgotten server must still go away by itself.
constexpr double kMaxLifetimeSeconds = 86400;

bool ParseNumber(const std::string& text, double low, double high, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && value >= low && value <= high;
}

}  // namespace

bool ParseSiteOptions(int argc, const char* const* argv, SiteOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (i + 1 >= argc) {
            error = "missing value after " + name;
            return false;
        }
        std::string value = argv[++i];
        double number = 0;
        if (name == "--port") {
            if (!ParseNumber(value, 0, 65535, number) || number != static_cast<int>(number)) {
                error = "bad port: " + value;
                return false;
            }
            options.port = static_cast<std::uint16_t>(number);
        } else if (name == "--lifetime") {
            if (!ParseNumber(value, 0.001, kMaxLifetimeSeconds, number)) {
                error = "lifetime must be between 0.001 and 86400 seconds: " + value;
                return false;
            }
            options.lifetimeMs = static_cast<std::int64_t>(number * 1000 + 0.5);
        } else if (name == "--port-file") {
            options.portFile = value;
        } else if (name == "--pages") {
            options.pagesDir = value;
        } else if (name == "--log") {
            options.logFile = value;
        } else if (name == "--tls") {
            if (!TlsSession::Available()) {
                error = "--tls: this build has no TLS (OpenSSL was not found when it was built)";
                return false;
            }
            options.tlsDir = value;
        } else {
            error = "unknown option: " + name;
            return false;
        }
    }
    return true;
}

}  // namespace samplesite
