#pragma once
// The bytes the sample site sends, as pure functions of the offset, so that a test can check
// a saved file (or any slice of it) byte by byte without a reference copy. No platform API
// here: tests of every part of the program may include this header.
//
//   /get_video  byte[i] = FLV header byte i for i < 13, else (i * 31 + 7) & 0xFF
//   /bytes      byte[i] = (i * 31 + 7) & 0xFF
//
// The FLV header is "FLV", version 1, flags 0x05 (audio and video), header size 9 (big
// endian), then PreviousTagSize0 = 0. The filler after it is not a valid tag stream; players
// may refuse it, which does not matter to a downloader.
#include <cstddef>
#include <cstdint>

namespace samplesite {

constexpr std::uint64_t kFlvHeaderSize = 13;
constexpr unsigned char kFlvHeader[kFlvHeaderSize] = {'F', 'L', 'V', 1, 5, 0, 0, 0, 9, 0, 0, 0, 0};

// Repeats every 256 bytes (31 is odd), which is what lets the server send it from one
// precomputed block at full speed.
inline unsigned char PatternByteAt(std::uint64_t offset) {
    return static_cast<unsigned char>((offset * 31 + 7) & 0xFF);
}

inline unsigned char StreamByteAt(std::uint64_t offset) {
    return offset < kFlvHeaderSize ? kFlvHeader[offset] : PatternByteAt(offset);
}

// Index of the first byte of data[0..count) that differs from the stream at that offset
// (data[0] being stream byte `offset`), or count when all match.
inline std::size_t FirstStreamMismatch(const unsigned char* data, std::size_t count, std::uint64_t offset) {
    for (std::size_t i = 0; i < count; ++i) {
        if (data[i] != StreamByteAt(offset + i)) return i;
    }
    return count;
}

}  // namespace samplesite
