#include "regex/MbText.h"

#include <cstring>

namespace mbtext {

LeadTable::LeadTable(LeadByteFn isLeadByte) : empty_(true), utf8_(isLeadByte == IsUtf8LeadByte) {
    for (int b = 0; b < 256; ++b) {
        lead_[b] = isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(b));
        if (lead_[b]) empty_ = false;
    }
}

// The well-formed sequences of Unicode's table 3-7: the second byte's range
// depends on the lead byte, which rules out overlong forms, surrogates and
// values past U+10FFFF.
size_t LeadTable::Utf8Length(const char* text, size_t length, size_t pos) {
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    const size_t need = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (length - pos < need) return 1;
    unsigned char low = 0x80, high = 0xBF;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    for (size_t i = 1; i < need; ++i) {
        const unsigned char b = static_cast<unsigned char>(text[pos + i]);
        if (b < low || b > high) return 1;
        low = 0x80;
        high = 0xBF;
    }
    return need;
}

bool LeadTable::StartsChar(const char* text, size_t length, size_t boundary, size_t pos) const {
    if (utf8_) {
        // A lead byte never lies inside a well-formed sequence, so every lead
        // byte starts a character, and only the three bytes before pos can
        // start one that covers it.
        for (size_t back = 1; back <= 3 && back <= pos; ++back) {
            if (lead_[static_cast<unsigned char>(text[pos - back])] && CharLength(text, length, pos - back) > back)
                return false;
        }
        return true;
    }
    // Bytes that are not lead bytes always end a character, so what decides
    // is the parity of the lead bytes just before pos.
    size_t leads = 0;
    for (size_t j = pos; j > boundary && lead_[static_cast<unsigned char>(text[j - 1])]; --j) ++leads;
    return leads % 2 == 0;
}

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsUtf8LeadByte(unsigned char byte) {
    return byte >= 0xC2 && byte <= 0xF4;
}

namespace {

// Walks a text character by character.
class CharWalker {
public:
    CharWalker(const std::string& text, LeadByteFn isLeadByte) : text_(text), table_(isLeadByte) {}

    size_t Length(size_t pos) const { return table_.CharLength(text_.data(), text_.size(), pos); }

    // The first boundary at or after `pos`, possibly text.size().
    size_t BoundaryAtOrAfter(size_t pos) const {
        size_t i = 0;
        while (i < pos && i < text_.size()) i += Length(i);
        return i;
    }

private:
    const std::string& text_;
    LeadTable table_;
};

// Copies `text`, handing every single-byte character to `map`, which
// appends what stands for it.
template <typename Map>
std::string MapSingleByteChars(const std::string& text, LeadByteFn isLeadByte, Map map) {
    CharWalker walker(text, isLeadByte);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t len = walker.Length(i);
        if (len == 1) {
            map(text[i], &out);
        } else {
            out.append(text, i, len);
        }
        i += len;
    }
    return out;
}

}  // namespace

size_t FindChar(const std::string& text, char c, size_t from, LeadByteFn isLeadByte) {
    if (isLeadByte == nullptr) return text.find(c, from);
    CharWalker walker(text, isLeadByte);
    for (size_t i = walker.BoundaryAtOrAfter(from); i < text.size(); i += walker.Length(i)) {
        if (text[i] == c && walker.Length(i) == 1) return i;
    }
    return std::string::npos;
}

namespace {

// The first occurrence of `needle` at a character boundary at or after
// `start`, which must itself be a boundary. The occurrence must end on a
// boundary too: a needle that ends in a lead byte may end inside the text's
// character.
size_t FindFromBoundary(const std::string& text, const std::string& needle, size_t start, const CharWalker& walker) {
    for (size_t i = start; i + needle.size() <= text.size(); i += walker.Length(i)) {
        if (text.compare(i, needle.size(), needle) != 0) continue;
        size_t end = i;
        while (end < i + needle.size()) end += walker.Length(end);
        if (end == i + needle.size()) return i;
    }
    return std::string::npos;
}

}  // namespace

size_t Find(const std::string& text, const std::string& needle, size_t from, LeadByteFn isLeadByte) {
    if (isLeadByte == nullptr) return text.find(needle, from);
    if (from > text.size()) return std::string::npos;
    CharWalker walker(text, isLeadByte);
    return FindFromBoundary(text, needle, walker.BoundaryAtOrAfter(from), walker);
}

std::string ReplaceChars(const std::string& text, const char* set, char with, LeadByteFn isLeadByte) {
    return MapSingleByteChars(text, isLeadByte, [&](char c, std::string* out) {
        out->push_back(c != '\0' && std::strchr(set, c) != nullptr ? with : c);
    });
}

std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with,
                       LeadByteFn isLeadByte) {
    if (what.empty()) return text;
    CharWalker walker(text, isLeadByte);
    std::string out;
    size_t done = 0;
    // A match ends on a character boundary, so the search goes on from
    // there: one pass over the text, however many matches it holds.
    auto next = [&](size_t from) {
        return isLeadByte == nullptr ? text.find(what, from) : FindFromBoundary(text, what, from, walker);
    };
    for (size_t hit = next(0); hit != std::string::npos; hit = next(done)) {
        out.append(text, done, hit - done);
        out += with;
        done = hit + what.size();
    }
    out.append(text, done, std::string::npos);
    return out;
}

std::string RemoveChar(const std::string& text, char c, LeadByteFn isLeadByte) {
    return MapSingleByteChars(text, isLeadByte, [&](char ch, std::string* out) {
        if (ch != c) out->push_back(ch);
    });
}

size_t CharBoundaryAtOrBefore(const std::string& text, size_t pos, LeadByteFn isLeadByte) {
    if (pos > text.size()) pos = text.size();
    if (isLeadByte == nullptr) return pos;
    CharWalker walker(text, isLeadByte);
    size_t i = 0;
    while (i < pos && i + walker.Length(i) <= pos) i += walker.Length(i);
    return i;
}

std::string ReplaceControlChars(const std::string& text, char with, LeadByteFn isLeadByte) {
    return MapSingleByteChars(text, isLeadByte, [&](char c, std::string* out) {
        const unsigned char b = static_cast<unsigned char>(c);
        out->push_back(b >= 1 && b <= 31 ? with : c);
    });
}

}  // namespace mbtext
