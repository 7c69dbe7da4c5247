#pragma once
// A response body described rather than stored: literal text pieces and long runs of
// generated filler. Bodies of several gigabytes (streams) or 40 MiB (oversized pages) are
// sent from a few small blocks and never held in memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace samplesite {

struct RepeatingBlock;

enum class Filler {
    Pattern,   // the byte formula of StreamBytes.h, by offset in the body
    PageText,  // HTML-ish words with no braces, quotes or tags the program looks for
};

class Body {
public:
    // Largest piece View hands out; also the size of the server's writes.
    static constexpr std::size_t kBlockSize = 64 * 1024;

    void AddText(const std::string& text);
    void AddFiller(Filler kind, std::uint64_t count);
    std::uint64_t Size() const { return size; }

    // Points `data` at up to `maxCount` bytes of the body starting at `offset`; returns how many
    // (0 at the end). The bytes stay valid as long as the Body does.
    std::size_t View(std::uint64_t offset, std::size_t maxCount, const char*& data) const;

private:
    struct Segment {
        std::uint64_t start;
        std::uint64_t length;
        std::string text;  // when filler is null
        const RepeatingBlock* filler;
    };
    std::vector<Segment> segments;
    std::uint64_t size = 0;
};

}  // namespace samplesite
