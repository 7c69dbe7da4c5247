// Pattern text -> syntax tree -> Program.

#include <cstdio>
#include <cstring>
#include <utility>

#include "regex/RegexProgram.h"

namespace fhregex {
namespace {

constexpr int kInfinite = -1;

enum class Kind { Empty, Byte, Set, Concat, Alt, Repeat, Bol, Eol };

struct Node {
    Kind kind = Kind::Empty;
    uint8_t byte = 0;
    int set = -1;
    int min = 0;
    int max = 0;
    bool greedy = true;
    std::vector<int> kids;
};

CharSet RangeSet(int lo, int hi) {
    CharSet s;
    for (int b = lo; b <= hi; ++b) s.bytes.set(b);
    return s;
}

CharSet Negate(CharSet s) {
    s.bytes.flip();
    s.wide = !s.wide;
    return s;
}

// \d \w \s and their capitals; false for any other letter.
bool ShorthandSet(char c, CharSet* out) {
    CharSet s;
    switch (c | 0x20) {
    case 'd': s = RangeSet('0', '9'); break;
    case 'w':
        s = RangeSet('0', '9');
        s.bytes |= RangeSet('A', 'Z').bytes | RangeSet('a', 'z').bytes;
        s.bytes.set('_');
        break;
    case 's':
        for (char b : {' ', '\t', '\n', '\r', '\f', '\v'}) s.bytes.set(static_cast<uint8_t>(b));
        break;
    default: return false;
    }
    *out = (c >= 'A' && c <= 'Z') ? Negate(s) : s;
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
    return -1;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAlnum(char c) {
    return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
}

class Parser {
public:
    Parser(const std::string& pattern, std::vector<Node>* nodes, std::vector<CharSet>* sets)
        : p_(pattern), nodes_(*nodes), sets_(*sets) {}

    // Index of the root node, or -1 with the reason in *error.
    int Parse(std::string* error) {
        int root = ParseAlt(0);
        if (root >= 0 && pos_ < p_.size()) root = Fail("unmatched ')'");
        if (root < 0 && error != nullptr) *error = error_;
        return root;
    }

private:
    int Fail(const char* what) {
        if (error_.empty()) {
            char where[32];
            std::snprintf(where, sizeof where, " at offset %u", static_cast<unsigned>(pos_));
            error_ = std::string(what) + where;
        }
        return -1;
    }

    int Add(Node n) {
        nodes_.push_back(std::move(n));
        return static_cast<int>(nodes_.size()) - 1;
    }

    int AddSet(const CharSet& s) {
        for (size_t i = 0; i < sets_.size(); ++i) {
            if (sets_[i] == s) return static_cast<int>(i);
        }
        sets_.push_back(s);
        return static_cast<int>(sets_.size()) - 1;
    }

    int Leaf(Kind kind, uint8_t byte = 0, int set = -1) {
        Node n;
        n.kind = kind;
        n.byte = byte;
        n.set = set;
        return Add(std::move(n));
    }

    bool AtEnd() const { return pos_ >= p_.size(); }
    char Peek() const { return p_[pos_]; }

    int ParseAlt(int depth) {
        if (depth > kMaxNesting) return Fail("groups nested too deeply");
        Node alt;
        alt.kind = Kind::Alt;
        for (;;) {
            int branch = ParseConcat(depth);
            if (branch < 0) return -1;
            alt.kids.push_back(branch);
            if (AtEnd() || Peek() != '|') break;
            ++pos_;
        }
        return alt.kids.size() == 1 ? alt.kids[0] : Add(std::move(alt));
    }

    int ParseConcat(int depth) {
        Node cat;
        cat.kind = Kind::Concat;
        while (!AtEnd() && Peek() != '|' && Peek() != ')') {
            int item = ParseRepeat(depth);
            if (item < 0) return -1;
            cat.kids.push_back(item);
        }
        if (cat.kids.empty()) return Leaf(Kind::Empty);
        return cat.kids.size() == 1 ? cat.kids[0] : Add(std::move(cat));
    }

    // A "{n}", "{n,}" or "{n,m}" at pos_: its bounds and length, else false.
    bool ReadCount(int* min, int* max, size_t* length, bool* tooLarge) const {
        size_t i = pos_ + 1;
        auto number = [&](int* value) {
            size_t start = i;
            long v = 0;
            while (i < p_.size() && IsDigit(p_[i])) {
                if (v <= kMaxRepeatCount) v = v * 10 + (p_[i] - '0');
                ++i;
            }
            if (v > kMaxRepeatCount) *tooLarge = true;
            *value = static_cast<int>(v > kMaxRepeatCount ? kMaxRepeatCount : v);
            return i > start;
        };
        *tooLarge = false;
        if (!number(min)) return false;
        *max = *min;
        if (i < p_.size() && p_[i] == ',') {
            ++i;
            if (!number(max)) *max = kInfinite;
        }
        if (i >= p_.size() || p_[i] != '}') return false;
        *length = i + 1 - pos_;
        return true;
    }

    bool AtQuantifier() const {
        if (AtEnd()) return false;
        char c = Peek();
        if (c == '*' || c == '+' || c == '?') return true;
        int min, max;
        size_t len;
        bool tooLarge;
        return c == '{' && ReadCount(&min, &max, &len, &tooLarge);
    }

    int ParseRepeat(int depth) {
        int atom = ParseAtom(depth);
        if (atom < 0 || !AtQuantifier()) return atom;
        Node rep;
        rep.kind = Kind::Repeat;
        rep.kids.push_back(atom);
        switch (Peek()) {
        case '*':
            rep.min = 0;
            rep.max = kInfinite;
            ++pos_;
            break;
        case '+':
            rep.min = 1;
            rep.max = kInfinite;
            ++pos_;
            break;
        case '?':
            rep.min = 0;
            rep.max = 1;
            ++pos_;
            break;
        default: {
            size_t len;
            bool tooLarge;
            ReadCount(&rep.min, &rep.max, &len, &tooLarge);
            if (tooLarge) return Fail("repetition count too large");
            if (rep.max != kInfinite && rep.max < rep.min) return Fail("repetition count out of order");
            pos_ += len;
        }
        }
        if (!AtEnd() && Peek() == '?') {
            rep.greedy = false;
            ++pos_;
        }
        if (AtQuantifier()) return Fail("nested quantifier");
        return Add(std::move(rep));
    }

    int ParseAtom(int depth) {
        if (AtQuantifier()) return Fail("quantifier follows nothing");
        const char c = p_[pos_++];
        switch (c) {
        case '(': {
            if (p_.compare(pos_, 2, "?:") == 0) {
                pos_ += 2;
            } else if (!AtEnd() && Peek() == '?') {
                return Fail("unsupported group kind");
            }
            int inner = ParseAlt(depth + 1);
            if (inner < 0) return -1;
            if (AtEnd()) return Fail("missing ')'");
            ++pos_;
            return inner;
        }
        case '[': return ParseClass();
        case '.': {
            CharSet any = Negate(CharSet());
            any.bytes.reset('\n');
            return Leaf(Kind::Set, 0, AddSet(any));
        }
        case '^': return Leaf(Kind::Bol);
        case '$': return Leaf(Kind::Eol);
        case '\\': {
            CharSet set;
            int byte = ParseEscape(&set);
            if (byte == -1) return -1;
            return byte == -2 ? Leaf(Kind::Set, 0, AddSet(set)) : Leaf(Kind::Byte, static_cast<uint8_t>(byte));
        }
        default: return Leaf(Kind::Byte, static_cast<uint8_t>(c));
        }
    }

    // After a backslash: the byte it stands for, or -2 with a shorthand class
    // in *set, or -1 on error.
    int ParseEscape(CharSet* set) {
        if (AtEnd()) return Fail("pattern ends with '\\'");
        const char c = p_[pos_++];
        switch (c) {
        case 'n': return '\n';
        case 't': return '\t';
        case 'r': return '\r';
        case 'f': return '\f';
        case 'v': return '\v';
        case 'e': return 0x1B;
        case '0': return 0;
        case 'x': {
            int hi = pos_ < p_.size() ? HexValue(p_[pos_]) : -1;
            int lo = pos_ + 1 < p_.size() ? HexValue(p_[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0) return Fail("\\x needs two hex digits");
            pos_ += 2;
            return hi * 16 + lo;
        }
        default:
            if (ShorthandSet(c, set)) return -2;
            if (IsAlnum(c)) return Fail("unsupported escape");
            return static_cast<uint8_t>(c);
        }
    }

    int ParseClass() {
        CharSet set;
        bool negated = false;
        if (!AtEnd() && Peek() == '^') {
            negated = true;
            ++pos_;
        }
        bool first = true;
        for (;;) {
            if (AtEnd()) return Fail("missing ']'");
            if (Peek() == ']' && !first) break;
            first = false;
            CharSet item;
            int lo = ClassItem(&item);
            if (lo == -1) return -1;
            if (lo == -2) {
                set.bytes |= item.bytes;
                set.wide = set.wide || item.wide;
                continue;
            }
            int hi = lo;
            if (pos_ + 1 < p_.size() && Peek() == '-' && p_[pos_ + 1] != ']') {
                ++pos_;
                hi = ClassItem(&item);
                if (hi == -1) return -1;
                if (hi == -2) return Fail("class range ends in a class");
                if (hi < lo) return Fail("class range out of order");
            }
            set.bytes |= RangeSet(lo, hi).bytes;
        }
        ++pos_;
        return Leaf(Kind::Set, 0, AddSet(negated ? Negate(set) : set));
    }

    int ClassItem(CharSet* set) {
        const char c = p_[pos_++];
        if (c != '\\') return static_cast<uint8_t>(c);
        if (!AtEnd() && Peek() == 'b') {
            ++pos_;
            return '\b';
        }
        return ParseEscape(set);
    }

    const std::string& p_;
    size_t pos_ = 0;
    std::vector<Node>& nodes_;
    std::vector<CharSet>& sets_;
    std::string error_;
};

class Emitter {
public:
    Emitter(const std::vector<Node>& nodes, Program* program)
        : nodes_(nodes), insts_(program->insts), loopDepth_(program->loopDepth), nullable_(nodes.size(), false) {
        // Children precede their parents in `nodes`.
        for (size_t i = 0; i < nodes.size(); ++i) nullable_[i] = Nullable(nodes[i]);
    }

    // False when the program would grow past the limits.
    bool EmitAll(int root) {
        Emit(root);
        Add(Op::Match);
        return !tooLarge_ && insts_.size() * (loopDepth_ + 1) <= kMaxLoopStates;
    }

private:
    bool Nullable(const Node& n) const {
        switch (n.kind) {
        case Kind::Byte:
        case Kind::Set: return false;
        case Kind::Concat:
            for (int kid : n.kids) {
                if (!nullable_[kid]) return false;
            }
            return true;
        case Kind::Alt:
            for (int kid : n.kids) {
                if (nullable_[kid]) return true;
            }
            return false;
        case Kind::Repeat: return n.min == 0 || nullable_[n.kids[0]];
        default: return true;
        }
    }

    int Add(Op op, uint8_t byte = 0, int32_t x = 0, int32_t y = 0) {
        if (insts_.size() >= kMaxInstructions) tooLarge_ = true;
        insts_.push_back(Inst{op, byte, 0, x, y});
        return static_cast<int>(insts_.size()) - 1;
    }
    int Here() const { return static_cast<int>(insts_.size()); }

    void Emit(int index) {
        const Node& n = nodes_[index];
        if (tooLarge_) return;
        switch (n.kind) {
        case Kind::Empty: break;
        case Kind::Byte: Add(Op::Byte, n.byte); break;
        case Kind::Set: Add(Op::Class, 0, n.set); break;
        case Kind::Bol: Add(Op::Bol); break;
        case Kind::Eol: Add(Op::Eol); break;
        case Kind::Concat:
            for (int kid : n.kids) Emit(kid);
            break;
        case Kind::Alt: EmitAlt(n); break;
        case Kind::Repeat: EmitRepeat(n); break;
        }
    }

    void EmitAlt(const Node& n) {
        std::vector<int> jumps;
        for (size_t i = 0; i + 1 < n.kids.size() && !tooLarge_; ++i) {
            int split = Add(Op::Split);
            insts_[split].x = Here();
            Emit(n.kids[i]);
            jumps.push_back(Add(Op::Jmp));
            insts_[split].y = Here();
        }
        Emit(n.kids.back());
        for (int j : jumps) insts_[j].x = Here();
    }

    // Points a split at `take` and `skip`, in the order its greediness asks.
    void Aim(int split, int take, int skip, bool greedy) {
        insts_[split].x = greedy ? take : skip;
        insts_[split].y = greedy ? skip : take;
    }

    // x{n,m} becomes n copies of x, then m-n nested optional copies
    // (x(x(x)?)?)?; x{n,} becomes n copies and a loop. Copies, rather than a
    // loop back over a mandatory copy, keep the rule simple: an iteration of
    // a loop that consumed nothing ends that path.
    void EmitRepeat(const Node& n) {
        const int kid = n.kids[0];
        for (int i = 0; i < n.min && !tooLarge_; ++i) Emit(kid);
        if (n.max == kInfinite) {
            const uint16_t depth = nullable_[kid] ? static_cast<uint16_t>(++depth_) : 0;
            if (depth_ > loopDepth_) loopDepth_ = depth_;
            const int loop = Add(Op::Split);
            insts_[loop].loop = depth;
            Emit(kid);
            insts_[Add(Op::Jmp, 0, loop)].loop = depth;
            Aim(loop, loop + 1, Here(), n.greedy);
            if (depth != 0) --depth_;
            return;
        }
        std::vector<int> splits;
        for (int i = n.min; i < n.max && !tooLarge_; ++i) {
            splits.push_back(Add(Op::Split));
            Emit(kid);
        }
        for (int s : splits) Aim(s, s + 1, Here(), n.greedy);
    }

    const std::vector<Node>& nodes_;
    std::vector<Inst>& insts_;
    int& loopDepth_;
    std::vector<bool> nullable_;
    int depth_ = 0;
    bool tooLarge_ = false;
};

// Splits the 256 byte values into symbols that every instruction treats alike.
void AssignSymbols(Program* prog) {
    std::vector<CharSet> distinct = prog->sets;
    std::bitset<256> literal;
    for (const Inst& in : prog->insts) {
        if (in.op == Op::Byte) literal.set(in.byte);
    }
    for (int b = 0; b < 256; ++b) {
        if (literal[b]) distinct.push_back(RangeSet(b, b));
    }
    int cls[256] = {};
    int count = 1;
    for (const CharSet& s : distinct) {
        std::vector<int> renamed(count * 2, -1);
        int next = 0;
        for (int b = 0; b < 256; ++b) {
            int& slot = renamed[cls[b] * 2 + (s.bytes[b] ? 1 : 0)];
            if (slot < 0) slot = next++;
            cls[b] = slot;
        }
        count = next;
    }
    for (int b = 0; b < 256; ++b) {
        prog->byteSymbol[b] = static_cast<uint8_t>(cls[b]);
        prog->symbolByte[cls[b]] = static_cast<uint8_t>(b);
    }
    prog->numSymbols = count + 1;
}

// What the first character of a match can be, seen from a position > 0.
void AnalyseStart(Program* prog) {
    const std::vector<Inst>& insts = prog->insts;
    for (size_t pc = 0; pc < insts.size() && insts[pc].op == Op::Byte; ++pc) {
        prog->prefix.push_back(static_cast<char>(insts[pc].byte));
    }
    std::vector<bool> seen(insts.size(), false);
    std::vector<int> stack{0};
    bool any = false;
    while (!stack.empty()) {
        int pc = stack.back();
        stack.pop_back();
        if (seen[pc]) continue;
        seen[pc] = true;
        const Inst& in = insts[pc];
        switch (in.op) {
        case Op::Split:
            stack.push_back(in.y);
            stack.push_back(in.x);
            break;
        case Op::Jmp: stack.push_back(in.x); break;
        case Op::Bol: break;  // cannot hold past position 0
        case Op::Eol: stack.push_back(pc + 1); break;
        case Op::Match:
            prog->nullable = true;
            any = true;
            break;
        case Op::Byte:
            prog->firstBytes.set(in.byte);
            any = true;
            break;
        case Op::Class:
            prog->firstBytes |= prog->sets[in.x].bytes;
            prog->firstWide = prog->firstWide || prog->sets[in.x].wide;
            any = true;
            break;
        }
    }
    prog->anchored = !any;
}

}  // namespace

bool CompileProgram(const std::string& pattern, Program* program, std::string* error) {
    *program = Program();
    if (pattern.size() > kMaxPatternLength) {
        if (error != nullptr) *error = "pattern too long";
        return false;
    }
    std::vector<Node> nodes;
    int root = Parser(pattern, &nodes, &program->sets).Parse(error);
    if (root < 0) return false;
    if (!Emitter(nodes, program).EmitAll(root)) {
        if (error != nullptr) *error = "pattern too large once repetitions are expanded";
        return false;
    }
    for (const Inst& in : program->insts) {
        if (in.op == Op::Bol || in.op == Op::Eol) program->hasAssertions = true;
    }
    AssignSymbols(program);
    AnalyseStart(program);
    return true;
}

}  // namespace fhregex
