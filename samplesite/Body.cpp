#include "samplesite/Body.h"

#include "samplesite/StreamBytes.h"

namespace samplesite {

// A period of filler written out once, followed by a full block more, so that any block-sized
// slice starting at any phase is one contiguous piece of memory.
struct RepeatingBlock {
    explicit RepeatingBlock(const std::string& period) : periodLength(period.size()) {
        while (bytes.size() < periodLength + Body::kBlockSize) bytes += period;
    }
    std::size_t periodLength;
    std::string bytes;
};

namespace {

const RepeatingBlock& PatternBlock() {
    static const RepeatingBlock block([] {
        std::string period(256, '\0');
        for (std::size_t i = 0; i < period.size(); ++i) period[i] = static_cast<char>(PatternByteAt(i));
        return period;
    }());
    return block;
}

const RepeatingBlock& PageTextBlock() {
    static const RepeatingBlock block(
        "<p>Related videos, comments and channel news would be listed here; "
        "this line only makes the page long.</p>\n");
    return block;
}

}  // namespace

void Body::AddText(const std::string& text) {
    if (text.empty()) return;
    segments.push_back(Segment{size, text.size(), text, nullptr});
    size += text.size();
}

void Body::AddFiller(Filler kind, std::uint64_t count) {
    if (count == 0) return;
    const RepeatingBlock* block = kind == Filler::Pattern ? &PatternBlock() : &PageTextBlock();
    segments.push_back(Segment{size, count, std::string(), block});
    size += count;
}

std::size_t Body::View(std::uint64_t offset, std::size_t maxCount, const char*& data) const {
    for (const Segment& segment : segments) {
        if (offset < segment.start || offset >= segment.start + segment.length) continue;
        std::uint64_t inSegment = offset - segment.start;
        std::uint64_t left = segment.length - inSegment;
        std::size_t count = maxCount < kBlockSize ? maxCount : kBlockSize;
        if (left < count) count = static_cast<std::size_t>(left);
        if (segment.filler == nullptr) {
            data = segment.text.data() + inSegment;
        } else {
            // The phase follows the offset in the whole body, which is what makes the pattern
            // filler equal to the byte formula at every offset.
            data = segment.filler->bytes.data() + offset % segment.filler->periodLength;
        }
        return count;
    }
    return 0;
}

}  // namespace samplesite
