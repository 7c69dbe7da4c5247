#pragma once
// Body bytes the site has sent so far, over every connection: what a test reads (through
// /stats) to see whether a client still receives a stream it has stopped.
#include <atomic>
#include <cstdint>

namespace samplesite {

inline std::atomic<std::uint64_t>& SentBodyBytes() {
    static std::atomic<std::uint64_t> count{0};
    return count;
}

}  // namespace samplesite
