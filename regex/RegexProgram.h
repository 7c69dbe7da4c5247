#pragma once

// The compiled form of a pattern: a Thompson NFA as a list of instructions,
// shared by the compiler (RegexCompiler.cpp) and the matcher (RegexMatcher.cpp).

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace fhregex {

enum class Op : uint8_t {
    Byte,   // one single-byte character equal to `byte`
    Class,  // one character in sets[x]
    Split,  // continue at x, and with lower priority at y
    Jmp,    // continue at x
    Bol,    // only at the start of the text
    Eol,    // only at the end of the text or before a line feed that ends it
    Match,
};

// An unbounded repetition whose body can match the empty string is a
// "nullable loop"; `loop` numbers its nesting depth among such loops (1 is
// outermost) on its head (a Split whose body starts at pc + 1) and on its
// closing Jmp, and is 0 elsewhere. The matcher uses it to end an iteration
// that consumed nothing.
struct Inst {
    Op op;
    uint8_t byte;
    uint16_t loop;
    int32_t x;
    int32_t y;
};

// The characters a class instruction accepts: single bytes, and whether it
// accepts a multibyte character (all of which look alike to a pattern).
struct CharSet {
    std::bitset<256> bytes;
    bool wide = false;
    bool operator==(const CharSet& o) const { return bytes == o.bytes && wide == o.wide; }
};

struct Program {
    std::vector<Inst> insts;  // starts at 0
    std::vector<CharSet> sets;
    bool hasAssertions = false;
    int loopDepth = 0;  // deepest nesting of nullable loops

    // Input symbols: bytes that no instruction tells apart share a symbol;
    // the last symbol stands for any multibyte character.
    int numSymbols = 0;
    uint8_t byteSymbol[256] = {};
    uint8_t symbolByte[256] = {};  // one byte of each single-byte symbol
    int WideSymbol() const { return numSymbols - 1; }

    // Where a match can start: `prefix` is a literal every match starts with;
    // otherwise `firstBytes`/`firstWide` are what its first character can be.
    // `nullable`: a match can be empty (it may start anywhere);
    // `anchored`: a match can start only at 0.
    std::string prefix;
    std::bitset<256> firstBytes;
    bool firstWide = false;
    bool nullable = false;
    bool anchored = false;

    bool Accepts(const Inst& inst, int symbol) const {
        if (symbol == WideSymbol()) return inst.op == Op::Class && sets[inst.x].wide;
        const uint8_t b = symbolByte[symbol];
        if (inst.op == Op::Byte) return inst.byte == b;
        return inst.op == Op::Class && sets[inst.x].bytes[b];
    }
};

// Limits that keep compile time, memory and recursion bounded.
constexpr size_t kMaxPatternLength = 4096;
constexpr int kMaxNesting = 256;
constexpr int kMaxRepeatCount = 1000;
constexpr size_t kMaxInstructions = 32768;
// Instructions x (loopDepth + 1): the matcher's per-search marks.
constexpr size_t kMaxLoopStates = 1u << 20;

bool CompileProgram(const std::string& pattern, Program* program, std::string* error);

}  // namespace fhregex
