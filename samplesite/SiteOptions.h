#pragma once
#include <cstdint>
#include <string>

namespace samplesite {

struct SiteOptions {
    std::uint16_t port = 0;            // 0: any free port
    std::string portFile;              // written once listening
    std::string pagesDir;              // extra watch pages: <dir>/<v>.html
    std::string logFile;               // one line per request
    std::string tlsDir;                // certificates for CONNECT tunnels: <dir>/<host>.pem
    std::int64_t lifetimeMs = 600000;  // the site always ends by itself
};

// Reads the command line as main() receives it (argv[0] is skipped). False, with `error` set, on
// an unknown switch, a missing value or a value out of range.
bool ParseSiteOptions(int argc, const char* const* argv, SiteOptions& options, std::string& error);

extern const char* const kSiteUsage;

}  // namespace samplesite
