#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "regex/MbText.h"

namespace fhregex {
struct Program;
}

// A pattern in Perl syntax, searched for its leftmost match with the
// priorities of a backtracking engine (alternatives left first, greedy
// repetitions longest, lazy ones shortest), in time linear in the text and
// memory bounded by the pattern.
//
// Syntax: literal bytes (blanks included); "."; groups "( )" and "(?: )";
// "|"; "*", "+", "?", "{n}", "{n,}", "{n,m}", each optionally lazy with a
// trailing "?"; a "{" that does not start such a count is a literal; classes
// "[...]" and "[^...]" with ranges; escapes \n \t \r \f \v \e \0 \xHH, \d \w
// \s \D \W \S, and a backslash before any other non-alphanumeric character;
// "^" (start of the text) and "$" (end of the text, or before a final line
// feed). Matching is case-sensitive; "." matches anything but a line feed.
// An iteration of an unbounded repetition that consumes nothing ends that
// way of matching.
//
// With a lead-byte test the text is read in characters of a multibyte code
// page (double-byte, or UTF-8 with mbtext::IsUtf8LeadByte, see MbText.h): a
// character of several bytes is one character, which only "." and negated
// classes match; a match starts and ends at character boundaries. Pattern
// bytes are always single-byte characters.
//
// Search is const and keeps its scratch data on the stack and the heap of
// the call, so one compiled Regex may be searched from several threads.
class Regex {
public:
    using LeadByteFn = mbtext::LeadByteFn;

    Regex();
    ~Regex();
    Regex(const Regex&);
    Regex& operator=(const Regex&);

    // False, with a reason in *error, when the pattern is malformed or larger
    // than the engine's limits (4096 bytes, 256 nested groups, counts up to
    // 1000, 32768 instructions once counts are expanded); the Regex is then
    // empty and finds nothing.
    bool Compile(const std::string& pattern, std::string* error = nullptr);

    // nullptr (the default) reads every byte as a character.
    void SetLeadByteTest(LeadByteFn isLeadByte);

    // The leftmost match in text[0, length): true with its bounds.
    bool Search(const char* text, size_t length, size_t* matchBegin, size_t* matchEnd) const;
    bool Search(const std::string& text, size_t* matchBegin, size_t* matchEnd) const {
        return Search(text.data(), text.size(), matchBegin, matchEnd);
    }

    bool IsCompiled() const { return program_ != nullptr; }

    // Bounds the number of states the search caches (at least 2; 0 restores
    // the default). Small values only slow the search down.
    void SetStateCacheLimit(size_t states) { cacheLimit_ = states; }

private:
    std::shared_ptr<const fhregex::Program> program_;
    mbtext::LeadTable lead_;
    size_t cacheLimit_ = 0;
};
