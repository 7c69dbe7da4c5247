#pragma once
// How many answers of one download the site has cut so far, so that a test can ask for the
// first K answers to be cut and the rest to go through. A download is the requests for one
// address: a request without a Range header starts it anew, range requests continue it.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace samplesite {

class CutCounter {
public:
    // Whether this answer of the download is to be cut, when at most `cuts` of them are.
    bool IsCut(const std::string& address, bool continuation, std::uint64_t cuts);

private:
    std::mutex lock;
    std::map<std::string, std::uint64_t> made;
};

}  // namespace samplesite
