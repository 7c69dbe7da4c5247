#pragma once

// A slow model of Regex to check it against: random patterns are drawn as
// syntax trees, written out as pattern text for Regex to parse, and matched
// by plain backtracking over the tree. Shared by the fuzz target and the
// tests; only for small patterns and texts.

#include <bitset>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "regex/MbText.h"
#include "regex/Regex.h"

namespace regexref {

// The source of random choices: a fuzzer's bytes or a seeded generator.
class Chooser {
public:
    virtual ~Chooser() = default;
    virtual unsigned Next(unsigned bound) = 0;  // in [0, bound); bound >= 1
    bool Chance(unsigned percent) { return Next(100) < percent; }
};

class BytesChooser : public Chooser {
public:
    BytesChooser(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    unsigned Next(unsigned bound) override {
        unsigned v = pos_ < size_ ? data_[pos_++] : 0;
        if (bound > 256 && pos_ < size_) v = v * 256 + data_[pos_++];
        return v % bound;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class PrngChooser : public Chooser {
public:
    explicit PrngChooser(uint64_t seed) : s_(seed * 2654435761u + 0x9E3779B97F4A7C15ull) {}
    unsigned Next(unsigned bound) override {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return static_cast<unsigned>((s_ >> 11) % bound);
    }

private:
    uint64_t s_;
};

struct Node {
    enum Kind { Empty, Lit, Set, Concat, Alt, Repeat, Bol, Eol } kind = Empty;
    unsigned char byte = 0;  // Lit
    std::bitset<256> set;    // Set: single bytes it matches
    bool wide = false;       // Set: whether it matches a double-byte character
    std::string setText;     // Set: how it is written
    int min = 0, max = 0;    // Repeat; max < 0: unbounded
    bool greedy = true;
    std::string quantText;  // Repeat: "*", "{2,}", ...
    bool capture = true;    // "(" or "(?:" when the node needs a group
    std::vector<Node> kids;
};

// Bytes that make trouble: braces, a CP932 lead (0x95, 0x81, 0xE0), 0x5C and
// 0x7D which are also trail bytes, line feeds, metacharacters; UTF-8 leads
// (0xC3, 0xE0, 0xED, 0xF0) and continuation bytes (0x81, 0x95, 0xA0).
inline unsigned char PickByte(Chooser& c, bool forText) {
    static const char kPattern[] = "ab}{\n v0\x95\x81\\.*";
    static const char kText[] = "ab}{\n v0\x95\x81\x5C\x40\xE0.*\xC3\xA0\xED\xF0";
    const char* from = forText ? kText : kPattern;
    const size_t n = (forText ? sizeof kText : sizeof kPattern) - 1;
    return static_cast<unsigned char>(from[c.Next(static_cast<unsigned>(n))]);
}

inline std::string Hex(unsigned char b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02X", b);
    return buf;
}

inline bool IsAlnum(unsigned char b) {
    return (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

// Shorthand classes, as single-byte sets plus the double-byte flag.
inline void Shorthand(char letter, std::bitset<256>* set, bool* wide) {
    set->reset();
    const char lower = static_cast<char>(letter | 0x20);
    for (int b = 0; b < 256; ++b) {
        const bool digit = b >= '0' && b <= '9';
        if (lower == 'd') set->set(b, digit);
        if (lower == 'w') set->set(b, digit || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b == '_');
        if (lower == 's') set->set(b, b == ' ' || (b >= '\t' && b <= '\r'));
    }
    *wide = false;
    if (letter != lower) {
        set->flip();
        *wide = true;
    }
}

inline Node GenerateSet(Chooser& c) {
    Node n;
    n.kind = Node::Set;
    const unsigned form = c.Next(4);
    if (form == 0) {
        n.set.set();
        n.set.reset('\n');
        n.wide = true;
        n.setText = ".";
        return n;
    }
    if (form == 1) {
        const char letter = "dwsDWS"[c.Next(6)];
        Shorthand(letter, &n.set, &n.wide);
        n.setText = std::string("\\") + letter;
        return n;
    }
    const bool negated = c.Chance(40);
    std::string body;
    const unsigned items = 1 + c.Next(3);
    for (unsigned i = 0; i < items; ++i) {
        const unsigned kind = c.Next(4);
        if (kind == 0) {
            std::bitset<256> s;
            bool w;
            const char letter = "dwsDWS"[c.Next(6)];
            Shorthand(letter, &s, &w);
            n.set |= s;
            n.wide = n.wide || w;
            body += std::string("\\") + letter;
        } else if (kind == 1) {
            static const unsigned char kRanges[][2] = {{'a', 'c'}, {'0', '9'}, {'{', '}'}, {0x80, 0xFF}, {0x40, 0x7E}};
            const auto* r = kRanges[c.Next(5)];
            for (int b = r[0]; b <= r[1]; ++b) n.set.set(b);
            body += (IsAlnum(r[0]) ? std::string(1, static_cast<char>(r[0])) : Hex(r[0])) + "-" +
                    (IsAlnum(r[1]) ? std::string(1, static_cast<char>(r[1])) : Hex(r[1]));
        } else {
            const unsigned char b = PickByte(c, false);
            n.set.set(b);
            if (b == '}' && i == 0 && c.Chance(50)) {
                body += "}";
            } else if (IsAlnum(b) || b == ' ' || (b >= 0x80 && c.Chance(50))) {
                body += static_cast<char>(b);
            } else if (b == '\n') {
                body += "\\n";
            } else {
                body += Hex(b);
            }
        }
    }
    if (negated) {
        n.set.flip();
        n.wide = !n.wide;
    }
    n.setText = std::string(negated ? "[^" : "[") + body + "]";
    return n;
}

inline Node GenerateTree(Chooser& c, int depth) {
    Node n;
    const unsigned roll = c.Next(100);
    const bool leaf = depth >= 4 || roll < static_cast<unsigned>(15 + depth * 20);
    if (leaf) {
        const unsigned what = c.Next(100);
        if (what < 65) {
            n.kind = Node::Lit;
            n.byte = PickByte(c, false);
        } else if (what < 90) {
            n = GenerateSet(c);
        } else if (what < 94) {
            n.kind = Node::Bol;
        } else if (what < 98) {
            n.kind = Node::Eol;
        }  // else Empty
        return n;
    }
    n.capture = c.Chance(50);
    const unsigned what = c.Next(3);
    if (what == 0) {
        n.kind = Node::Concat;
        const unsigned count = 2 + c.Next(3);
        for (unsigned i = 0; i < count; ++i) n.kids.push_back(GenerateTree(c, depth + 1));
    } else if (what == 1) {
        n.kind = Node::Alt;
        const unsigned count = 2 + c.Next(2);
        for (unsigned i = 0; i < count; ++i) n.kids.push_back(GenerateTree(c, depth + 1));
    } else {
        n.kind = Node::Repeat;
        n.kids.push_back(GenerateTree(c, depth + 1));
        const unsigned form = c.Next(6);
        n.min = form == 1 ? 1 : 0;
        n.max = form == 2 ? 1 : -1;
        n.quantText = form == 0 ? "*" : form == 1 ? "+" : "?";
        if (form >= 3) {
            n.min = static_cast<int>(c.Next(3));
            n.max = form == 3 ? n.min : form == 4 ? -1 : n.min + static_cast<int>(c.Next(3));
            n.quantText =
                "{" + std::to_string(n.min) + (form == 3 ? "" : ",") + (form == 5 ? std::to_string(n.max) : "") + "}";
        }
        n.greedy = c.Chance(50);
        if (!n.greedy) n.quantText += "?";
    }
    return n;
}

// `next`: the pattern character that will follow, '\0' at the end.
inline std::string Render(const Node& n, char next);

inline std::string Grouped(const Node& n) {
    return (n.capture ? "(" : "(?:") + Render(n, ')') + ")";
}

inline std::string RenderLiteral(unsigned char b, char next) {
    if (IsAlnum(b) || b == ' ' || b == ']' || b == '}') return std::string(1, static_cast<char>(b));
    // A bare "{" is a literal unless a count follows it.
    if (b == '{') return (next >= '0' && next <= '9') ? "\\{" : "{";
    if (b == '\n') return next == '\0' ? "\n" : "\\n";
    if (b >= 0x80) return std::string(1, static_cast<char>(b));
    if (b < 0x20) return Hex(b);
    return std::string("\\") + static_cast<char>(b);
}

inline std::string Render(const Node& n, char next) {
    switch (n.kind) {
    case Node::Empty: return "";
    case Node::Lit: return RenderLiteral(n.byte, next);
    case Node::Set: return n.setText;
    case Node::Bol: return "^";
    case Node::Eol: return "$";
    case Node::Concat: {
        std::string out;
        for (size_t i = n.kids.size(); i-- > 0;) {
            const Node& kid = n.kids[i];
            const char after = out.empty() ? next : out[0];
            out = (kid.kind == Node::Alt ? Grouped(kid) : Render(kid, after)) + out;
        }
        return out;
    }
    case Node::Alt: {
        std::string out;
        for (size_t i = 0; i < n.kids.size(); ++i) {
            if (i > 0) out += "|";
            out += Render(n.kids[i], i + 1 < n.kids.size() ? '|' : next);
        }
        return out;
    }
    case Node::Repeat: {
        const Node& kid = n.kids[0];
        const bool atom = kid.kind == Node::Lit || kid.kind == Node::Set;
        return (atom ? Render(kid, n.quantText[0]) : Grouped(kid)) + n.quantText;
    }
    }
    return "";
}

inline std::string GenerateText(Chooser& c, size_t maxLength) {
    std::string text;
    const size_t length = c.Next(static_cast<unsigned>(maxLength + 1));
    for (size_t i = 0; i < length; ++i) text += static_cast<char>(PickByte(c, true));
    return text;
}

struct Result {
    bool complete = true;  // false: the backtracker ran out of steps
    bool found = false;
    size_t begin = 0;
    size_t end = 0;
};

// The well-formed UTF-8 sequences, decoded and checked by value, a model
// independent of the table the helpers use.
inline size_t Utf8Len(const std::string& t, size_t p) {
    const unsigned char lead = static_cast<unsigned char>(t[p]);
    size_t need = 0;
    unsigned long value = 0;
    if (lead >= 0xC0 && lead < 0xE0) need = 2, value = lead & 0x1F;
    if (lead >= 0xE0 && lead < 0xF0) need = 3, value = lead & 0x0F;
    if (lead >= 0xF0 && lead < 0xF8) need = 4, value = lead & 0x07;
    if (need == 0 || p + need > t.size()) return 1;
    for (size_t i = 1; i < need; ++i) {
        const unsigned char b = static_cast<unsigned char>(t[p + i]);
        if ((b & 0xC0) != 0x80) return 1;
        value = value << 6 | (b & 0x3F);
    }
    static const unsigned long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kLeast[need] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 1;
    return need;
}

// The length of the character at p (< text size) as the model reads it.
inline size_t CharLen(const std::string& t, size_t p, mbtext::LeadByteFn isLead) {
    if (isLead == &mbtext::IsUtf8LeadByte) return Utf8Len(t, p);
    return isLead != nullptr && isLead(static_cast<unsigned char>(t[p])) && p + 1 < t.size() ? 2 : 1;
}

// None, code page 932 or UTF-8, with the given chances in percent.
inline mbtext::LeadByteFn PickLeadTest(Chooser& c, unsigned cp932, unsigned utf8) {
    const unsigned roll = c.Next(100);
    if (roll < cp932) return &mbtext::IsCp932LeadByte;
    if (roll < cp932 + utf8) return &mbtext::IsUtf8LeadByte;
    return nullptr;
}

inline const char* LeadName(mbtext::LeadByteFn lead) {
    return lead == &mbtext::IsCp932LeadByte ? " cp932" : lead == &mbtext::IsUtf8LeadByte ? " utf-8" : "";
}

class Backtracker {
public:
    using Cont = std::function<bool(size_t)>;

    Backtracker(const std::string& text, mbtext::LeadByteFn isLead, long budget)
        : t_(text), isLead_(isLead), budget_(budget) {}

    Result Search(const Node& root) {
        Result r;
        for (size_t start = 0; start <= t_.size(); start += Len(start)) {
            if (Match(root, start, [&](size_t q) {
                    r.end = q;
                    return true;
                })) {
                r.found = true;
                r.begin = start;
                break;
            }
            if (start == t_.size()) break;
        }
        r.complete = budget_ >= 0;
        if (!r.complete) r.found = false;
        return r;
    }

private:
    size_t Len(size_t p) const { return p >= t_.size() ? 1 : CharLen(t_, p, isLead_); }

    bool Match(const Node& n, size_t p, const Cont& k) {
        if (--budget_ < 0) return false;
        const size_t size = t_.size();
        switch (n.kind) {
        case Node::Empty: return k(p);
        case Node::Lit: return p < size && Len(p) == 1 && static_cast<unsigned char>(t_[p]) == n.byte && k(p + 1);
        case Node::Set:
            if (p >= size) return false;
            if (Len(p) > 1) return n.wide && k(p + Len(p));
            return n.set[static_cast<unsigned char>(t_[p])] && k(p + 1);
        case Node::Bol: return p == 0 && k(p);
        case Node::Eol: return (p == size || (p + 1 == size && t_[p] == '\n')) && k(p);
        case Node::Concat: return Sequence(n, 0, p, k);
        case Node::Alt:
            for (const Node& kid : n.kids) {
                if (Match(kid, p, k)) return true;
            }
            return false;
        case Node::Repeat: return Repeat(n, 0, p, k);
        }
        return false;
    }

    bool Sequence(const Node& n, size_t i, size_t p, const Cont& k) {
        if (i == n.kids.size()) return k(p);
        return Match(n.kids[i], p, [&](size_t q) { return Sequence(n, i + 1, q, k); });
    }

    // Mandatory copies first; past them an unbounded repetition may not take
    // an iteration that consumes nothing, a bounded one may.
    bool Repeat(const Node& n, int count, size_t p, const Cont& k) {
        const Node& x = n.kids[0];
        if (count < n.min) return Match(x, p, [&](size_t q) { return Repeat(n, count + 1, q, k); });
        if (n.max >= 0 && count >= n.max) return k(p);
        const Cont more = [&](size_t q) { return (n.max >= 0 || q != p) && Repeat(n, count + 1, q, k); };
        if (n.greedy) return Match(x, p, more) || k(p);
        return k(p) || Match(x, p, more);
    }

    const std::string& t_;
    mbtext::LeadByteFn isLead_;
    long budget_;
};

inline bool IsBoundary(const std::string& text, size_t pos, mbtext::LeadByteFn isLead) {
    size_t i = 0;
    while (i < pos) i += CharLen(text, i, isLead);
    return i == pos;
}

inline std::string Printable(const std::string& s) {
    std::string out;
    for (unsigned char b : s) {
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += static_cast<char>(b);
        } else {
            out += Hex(b);
        }
    }
    return out;
}

// One random case; an empty string when Regex agrees with the model,
// otherwise what went wrong.
inline std::string CheckRandomCase(Chooser& c, size_t maxTextLength) {
    const Node root = GenerateTree(c, 0);
    const std::string pattern = Render(root, '\0');
    const std::string text = GenerateText(c, maxTextLength);
    const mbtext::LeadByteFn lead = PickLeadTest(c, 35, 35);
    const std::string where =
        "pattern \"" + Printable(pattern) + "\" text \"" + Printable(text) + "\"" + LeadName(lead);

    Regex re;
    std::string error;
    if (!re.Compile(pattern, &error)) return "does not compile (" + error + "): " + where;
    re.SetLeadByteTest(lead);
    size_t b = 0, e = 0;
    const bool found = re.Search(text, &b, &e);
    if (found && (b > e || e > text.size() || !IsBoundary(text, b, lead) || !IsBoundary(text, e, lead))) {
        return "match off the character boundaries: " + where;
    }

    Regex thrashing = re;
    thrashing.SetStateCacheLimit(2);
    size_t b2 = 0, e2 = 0;
    const bool found2 = thrashing.Search(text, &b2, &e2);
    if (found2 != found || (found && (b2 != b || e2 != e))) return "cache size changes the result: " + where;

    const Result ref = Backtracker(text, lead, 200000).Search(root);
    if (!ref.complete) return "";
    if (ref.found != found || (found && (ref.begin != b || ref.end != e))) {
        char got[96];
        std::snprintf(got, sizeof got, " -> regex %d [%u,%u) model %d [%u,%u)", found ? 1 : 0, static_cast<unsigned>(b),
                      static_cast<unsigned>(e), ref.found ? 1 : 0, static_cast<unsigned>(ref.begin),
                      static_cast<unsigned>(ref.end));
        return "differs from the model: " + where + got;
    }
    return "";
}

}  // namespace regexref
