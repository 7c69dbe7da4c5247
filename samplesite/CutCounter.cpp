#include "samplesite/CutCounter.h"

namespace samplesite {

namespace {
// Tests use a few addresses each; a long run with many must not grow without end.
constexpr std::size_t kMaxAddresses = 10000;
}  // namespace

bool CutCounter::IsCut(const std::string& address, bool continuation, std::uint64_t cuts) {
    std::lock_guard<std::mutex> hold(lock);
    if (made.size() >= kMaxAddresses && !made.count(address)) made.clear();
    std::uint64_t& count = made[address];
    if (!continuation) count = 0;
    if (count >= cuts) return false;
    ++count;
    return true;
}

}  // namespace samplesite
