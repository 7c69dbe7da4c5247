#pragma once

#include <cstddef>
#include <string>

// Searching, splitting and replacing of ANSI text that never mistakes a
// byte inside a multibyte character for an ASCII character. Every function
// takes the code page's lead-byte test; nullptr means a single-byte code
// page. In a double-byte code page a lead byte and the byte after it are one
// character; a lead byte that is the last byte of a text counts as a
// character of its own. IsUtf8LeadByte reads the text as UTF-8.
namespace mbtext {

using LeadByteFn = bool (*)(unsigned char);

// The lead-byte test asked once for every byte value, so that hot loops
// need no call through a function pointer.
class LeadTable {
public:
    explicit LeadTable(LeadByteFn isLeadByte = nullptr);

    // The byte may start a character of more than one byte.
    bool IsLead(unsigned char byte) const { return lead_[byte]; }
    bool Empty() const { return empty_; }
    // 1 to 4: the length of the character that starts at `pos` (< length).
    size_t CharLength(const char* text, size_t length, size_t pos) const {
        if (!lead_[static_cast<unsigned char>(text[pos])]) return 1;
        if (!utf8_) return pos + 1 < length ? 2 : 1;
        return Utf8Length(text, length, pos);
    }
    // Whether `pos` starts a character, given that `boundary` (<= pos) does;
    // looks back no further than that in a double-byte code page.
    bool StartsChar(const char* text, size_t length, size_t boundary, size_t pos) const;

private:
    static size_t Utf8Length(const char* text, size_t length, size_t pos);

    bool lead_[256];
    bool empty_;
    bool utf8_;
};

// Lead bytes of code page 932 (Shift-JIS): 0x81-0x9F and 0xE0-0xFC.
bool IsCp932LeadByte(unsigned char byte);

// Lead bytes of UTF-8, 0xC2-0xF4. Passed as the lead-byte test it makes the
// helpers read UTF-8: a lead byte and the continuation bytes of a
// well-formed sequence are one character of 2 to 4 bytes; any other byte,
// a lead byte of a broken sequence included, is a character of its own.
bool IsUtf8LeadByte(unsigned char byte);

// Position of the first single-byte character `c` at or after `from`, or
// std::string::npos.
size_t FindChar(const std::string& text, char c, size_t from, LeadByteFn isLeadByte);

// Position of the first occurrence of `needle` at or after `from` that
// starts and ends at character boundaries, or std::string::npos.
size_t Find(const std::string& text, const std::string& needle, size_t from, LeadByteFn isLeadByte);

// Every single-byte character that occurs in the C string `set` becomes `with`.
std::string ReplaceChars(const std::string& text, const char* set, char with, LeadByteFn isLeadByte);

// Every occurrence of `what` (as found by Find, left to right, not
// overlapping) becomes `with`. An empty `what` changes nothing.
std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with,
                       LeadByteFn isLeadByte);

std::string RemoveChar(const std::string& text, char c, LeadByteFn isLeadByte);

// The largest character boundary <= pos (pos is clamped to the length):
// text.substr(0, CharBoundaryAtOrBefore(text, n, f)) never cuts a character.
size_t CharBoundaryAtOrBefore(const std::string& text, size_t pos, LeadByteFn isLeadByte);

// Every single-byte character 1..31 becomes `with`.
std::string ReplaceControlChars(const std::string& text, char with, LeadByteFn isLeadByte);

}  // namespace mbtext
