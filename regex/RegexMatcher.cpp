// A Pike VM whose steps are memoised.
//
// The VM keeps, for the current position, the list of threads (instruction,
// start group) in priority order; an instruction appears at most once, so the
// list is bounded by the program. Threads that started at the same position
// form a group; groups are numbered in list order and their start positions
// live in `starts_`, outside the list. The list of (instruction, group) is
// then a pure function of the previous list and the input symbol, so each
// distinct list becomes a cached state with a transition table, as in a lazy
// DFA: the common step costs a table lookup. The cache is flushed when full,
// which keeps memory bounded and time linear in the text.

#include "regex/RegexMatcher.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace fhregex {
namespace {

constexpr unsigned kAtBegin = 1;
constexpr unsigned kAtEnd = 2;
constexpr int kEmptyState = 0;
// The cache's limits: transition tables, and thread lists with group maps.
constexpr size_t kTransitionBudgetBytes = 2u << 20;
constexpr size_t kMaxCachedEntries = 256u << 10;

struct Thread {
    int32_t pc;
    int32_t group;
};

struct Pending {
    int32_t pc;
    int32_t empty;
};

struct State {
    size_t first;  // into threads_
    size_t count;
    int32_t numGroups;
    int32_t matchGroup;  // the group of a Match thread (always last), or -1
    int32_t inject;      // cached state after adding a start thread, or -1
    bool injectAddsGroup;
};

// How often a byte turns up in HTML-ish text, roughly; the prefix search
// looks for the least common byte of the prefix.
int Commonness(unsigned char b) {
    if (std::strchr(" <>\"=/\n", b) != nullptr && b != 0) return 4;
    if (std::strchr("etaoinsrhl", b) != nullptr && b != 0) return 3;
    if (b >= 'a' && b <= 'z') return 2;
    return 1;
}

class Matcher {
public:
    Matcher(const Program& prog, const mbtext::LeadTable& lead, size_t maxStates, const char* text, size_t length)
        : prog_(prog),
          lead_(lead),
          text_(text),
          n_(length),
          numSymbols_(prog.numSymbols),
          mark_(prog.insts.size() * (prog.loopDepth + 1), 0) {
        const size_t perState = static_cast<size_t>(numSymbols_) * 3 * sizeof(int32_t);
        maxStates_ = maxStates != 0 ? maxStates
                                    : std::min<size_t>(100000, std::max<size_t>(16, kTransitionBudgetBytes / perState));
        maxStates_ = std::max<size_t>(maxStates_, 2);
        for (size_t i = 1; i < prog.prefix.size(); ++i) {
            if (Commonness(prog.prefix[i]) < Commonness(prog.prefix[rare_])) rare_ = i;
        }
        for (int b = 0; b < 256; ++b) {
            const bool wide = prog.firstWide && lead.IsLead(static_cast<unsigned char>(b));
            startBytes_[b] =
                prog.prefix.empty() ? prog.firstBytes[b] || wide : b == static_cast<unsigned char>(prog.prefix[0]);
        }
        work_.clear();
        AddState();
    }

    bool Run(size_t* matchBegin, size_t* matchEnd);

private:
    void RunQuietly(int* state, size_t* pos, bool matched) const;
    unsigned Flags(size_t p) const {
        if (!prog_.hasAssertions) return 0;
        return (p == 0 ? kAtBegin : 0) | ((p == n_ || (p + 1 == n_ && text_[p] == '\n')) ? kAtEnd : 0);
    }
    size_t CharLength(size_t p) const { return lead_.CharLength(text_, n_, p); }
    bool IsCandidate(size_t p) const;
    bool NextCandidate(size_t* p) const;
    size_t FindPrefix(size_t from) const;

    int Step(int state, int symbol, unsigned flags);
    int Inject(int state, size_t pos, unsigned flags);
    void AddClosure(int32_t pc, int32_t group, unsigned flags);
    void NewGeneration();
    void Regroup();
    void ApplyRemap(const int32_t* oldGroups, size_t count);
    int Intern();
    int AddState();
    void Flush();

    const Program& prog_;
    const mbtext::LeadTable& lead_;
    const char* text_;
    size_t n_;
    int numSymbols_;
    size_t maxStates_ = 0;
    size_t rare_ = 0;            // index of the prefix byte to look for first
    bool startBytes_[256] = {};  // bytes at which a match may start (position > 0)

    std::vector<size_t> starts_;  // start position of each group of the current state
    std::vector<size_t> startsScratch_;

    // The cache.
    std::vector<State> states_;
    std::vector<Thread> threads_;
    std::vector<int32_t> next_;   // states x symbols; -1 = not built yet
    std::vector<int32_t> remap_;  // same shape; -1 = surviving groups keep their numbers
    // Same shape: the target where a step changes nothing but the state (no
    // group ends or starts, no match, not empty), else -1.
    std::vector<int32_t> quiet_;
    std::vector<int32_t> remapPool_;
    std::unordered_map<std::string, int> index_;
    unsigned flushes_ = 0;

    // Building a step.
    std::vector<Thread> work_;
    std::vector<int32_t> workGroups_;  // old group of each new group
    std::vector<uint32_t> mark_;
    uint32_t generation_ = 0;
    std::vector<Pending> stack_;
    bool cut_ = false;
    std::string key_;
};

bool Matcher::IsCandidate(size_t p) const {
    if (p == 0) return true;
    if (prog_.anchored) return false;
    if (prog_.nullable) return true;
    if (p >= n_) return false;
    const std::string& prefix = prog_.prefix;
    if (!prefix.empty()) {
        return n_ - p >= prefix.size() && text_[p] == prefix[0] &&
               std::memcmp(text_ + p, prefix.data(), prefix.size()) == 0;
    }
    const unsigned char b = static_cast<unsigned char>(text_[p]);
    return CharLength(p) > 1 ? prog_.firstWide : prog_.firstBytes[b];
}

size_t Matcher::FindPrefix(size_t from) const {
    const std::string& prefix = prog_.prefix;
    if (n_ < prefix.size()) return std::string::npos;
    const size_t last = n_ - prefix.size();
    while (from <= last) {
        const void* hit = std::memchr(text_ + from + rare_, prefix[rare_], last - from + 1);
        if (hit == nullptr) return std::string::npos;
        const size_t c = static_cast<size_t>(static_cast<const char*>(hit) - text_) - rare_;
        if (std::memcmp(text_ + c, prefix.data(), prefix.size()) == 0) return c;
        from = c + 1;
    }
    return std::string::npos;
}

// Moves *p (a character boundary > 0) to the next position where a match
// can start, if any.
bool Matcher::NextCandidate(size_t* p) const {
    if (prog_.anchored) return false;
    if (prog_.nullable) return true;
    if (prog_.prefix.empty()) {
        for (size_t i = *p; i < n_; i += CharLength(i)) {
            if (IsCandidate(i)) {
                *p = i;
                return true;
            }
        }
        return false;
    }
    size_t boundary = *p;
    for (size_t from = *p;;) {
        const size_t c = FindPrefix(from);
        if (c == std::string::npos) return false;
        if (lead_.StartsChar(text_, n_, boundary, c)) {
            *p = c;
            return true;
        }
        // Inside a character; in a double-byte code page it ends right after c.
        boundary = from = c + 1;
    }
}

bool Matcher::Run(size_t* matchBegin, size_t* matchEnd) {
    const bool multibyte = !lead_.Empty();
    const int wide = prog_.WideSymbol();
    size_t p = 0;
    int st = kEmptyState;
    bool matched = false;
    for (;;) {
        if (!matched && states_[st].matchGroup < 0 && IsCandidate(p)) st = Inject(st, p, Flags(p));
        const State& s = states_[st];
        if (s.matchGroup >= 0) {
            // Threads still alive rank above this one, so a later match of theirs wins.
            matched = true;
            *matchBegin = starts_[s.matchGroup];
            *matchEnd = p;
        }
        if (st == kEmptyState) {
            if (matched || p >= n_) break;
            p += CharLength(p);
            if (!NextCandidate(&p)) break;
            continue;
        }
        if (matched || !prog_.nullable) {
            const size_t before = p;
            RunQuietly(&st, &p, matched);
            if (p != before) continue;
        }
        if (p >= n_) break;
        const unsigned char b = static_cast<unsigned char>(text_[p]);
        const size_t len = multibyte && lead_.IsLead(b) ? CharLength(p) : 1;
        p += len;
        st = Step(st, len > 1 ? wide : prog_.byteSymbol[b], Flags(p));
    }
    return matched;
}

// The hot loop: from a state whose match and start checks are done, follows
// cached steps that change nothing but the state, until one that needs
// more, or a byte where a match may start.
void Matcher::RunQuietly(int* state, size_t* pos, bool matched) const {
    // Keep clear of the positions where "$" may hold.
    const size_t end = !prog_.hasAssertions ? n_ : n_ > 3 ? n_ - 3 : 0;
    const bool multibyte = !lead_.Empty();
    const int wide = prog_.WideSymbol();
    const int32_t* quiet = quiet_.data();
    size_t p = *pos;
    int st = *state;
    while (p < end) {
        const unsigned char b = static_cast<unsigned char>(text_[p]);
        if (!matched && startBytes_[b]) break;
        size_t len = 1;
        int symbol = prog_.byteSymbol[b];
        if (multibyte && lead_.IsLead(b) && (len = CharLength(p)) > 1) symbol = wide;
        const int32_t next = quiet[static_cast<size_t>(st) * numSymbols_ + symbol];
        if (next < 0) break;
        st = next;
        p += len;
    }
    *state = st;
    *pos = p;
}

int Matcher::Step(int state, int symbol, unsigned flags) {
    const size_t slot = static_cast<size_t>(state) * numSymbols_ + symbol;
    if (flags == 0 && next_[slot] >= 0) {
        const int target = next_[slot];
        const int32_t r = remap_[slot];
        if (r < 0) {
            starts_.resize(states_[target].numGroups);
        } else {
            ApplyRemap(&remapPool_[r + 1], remapPool_[r]);
        }
        return target;
    }
    NewGeneration();
    work_.clear();
    const State& s = states_[state];
    for (size_t i = s.first; i < s.first + s.count && !cut_; ++i) {
        const Thread t = threads_[i];
        if (prog_.Accepts(prog_.insts[t.pc], symbol)) AddClosure(t.pc + 1, t.group, flags);
    }
    Regroup();
    bool identity = true;
    for (size_t g = 0; g < workGroups_.size(); ++g) identity = identity && workGroups_[g] == static_cast<int32_t>(g);
    ApplyRemap(workGroups_.data(), workGroups_.size());

    const unsigned flushesBefore = flushes_;
    const int target = Intern();
    if (flags == 0 && flushes_ == flushesBefore) {
        next_[slot] = target;
        const State& from = states_[state];
        const State& to = states_[target];
        if (identity && from.numGroups == to.numGroups && to.matchGroup < 0 && target != kEmptyState) {
            quiet_[slot] = target;
        }
        if (!identity) {
            remap_[slot] = static_cast<int32_t>(remapPool_.size());
            remapPool_.push_back(static_cast<int32_t>(workGroups_.size()));
            remapPool_.insert(remapPool_.end(), workGroups_.begin(), workGroups_.end());
        }
    }
    return target;
}

// Adds a thread that starts at `pos`, with the lowest priority.
int Matcher::Inject(int state, size_t pos, unsigned flags) {
    if (flags == 0 && states_[state].inject >= 0) {
        if (states_[state].injectAddsGroup) starts_.push_back(pos);
        return states_[state].inject;
    }
    NewGeneration();
    const State& s = states_[state];
    work_.assign(threads_.begin() + s.first, threads_.begin() + s.first + s.count);
    const size_t stride = static_cast<size_t>(prog_.loopDepth) + 1;
    for (const Thread& t : work_) mark_[t.pc * stride] = generation_;
    const size_t before = work_.size();
    AddClosure(0, s.numGroups, flags);
    const bool adds = work_.size() > before;
    if (adds) starts_.push_back(pos);

    const unsigned flushesBefore = flushes_;
    const int target = Intern();
    if (flags == 0 && flushes_ == flushesBefore) {
        states_[state].inject = target;
        states_[state].injectAddsGroup = adds;
    }
    return target;
}

void Matcher::NewGeneration() {
    if (++generation_ == 0) {
        std::fill(mark_.begin(), mark_.end(), 0);
        generation_ = 1;
    }
    cut_ = false;
}

// Follows the empty transitions from `pc` in priority order and appends the
// threads reached. A Match cuts every thread of lower priority.
//
// Besides its instruction, a path carries `empty`: the depth of the
// outermost nullable loop whose current iteration has consumed nothing yet
// (0: none). An iteration that comes back to its loop head empty ends the
// path, as in a backtracking engine, and marks are kept per (instruction,
// empty) so that paths differing only there are both followed; consuming
// instructions forget `empty`, so they are marked by instruction alone.
void Matcher::AddClosure(int32_t pc, int32_t group, unsigned flags) {
    const size_t stride = static_cast<size_t>(prog_.loopDepth) + 1;
    stack_.clear();
    stack_.push_back(Pending{pc, 0});
    while (!stack_.empty() && !cut_) {
        pc = stack_.back().pc;
        int32_t empty = stack_.back().empty;
        stack_.pop_back();
        for (;;) {
            const Inst& in = prog_.insts[pc];
            const bool consumes = in.op == Op::Byte || in.op == Op::Class || in.op == Op::Match;
            uint32_t& mark = mark_[pc * stride + (consumes ? 0 : empty)];
            if (mark == generation_) break;
            mark = generation_;
            if (consumes) {
                work_.push_back(Thread{pc, group});
                cut_ = in.op == Op::Match;
                break;
            }
            if (in.op == Op::Split) {
                int32_t body = empty;
                if (in.loop != 0) {
                    if (empty >= in.loop) empty = 0;  // left over from a loop inside, now closed
                    body = empty != 0 ? empty : in.loop;
                }
                stack_.push_back(Pending{in.y, in.y == pc + 1 ? body : empty});
                if (in.x == pc + 1) empty = body;
                pc = in.x;
            } else if (in.op == Op::Jmp) {
                if (in.loop != 0 && empty != 0 && empty <= in.loop) break;
                pc = in.x;
            } else {
                if (!(flags & (in.op == Op::Bol ? kAtBegin : kAtEnd))) break;
                ++pc;
            }
        }
    }
}

// Renumbers the groups of work_ 0, 1, ... in list order, remembering in
// workGroups_ which old group each new one was.
void Matcher::Regroup() {
    workGroups_.clear();
    for (Thread& t : work_) {
        if (workGroups_.empty() || workGroups_.back() != t.group) workGroups_.push_back(t.group);
        t.group = static_cast<int32_t>(workGroups_.size()) - 1;
    }
}

void Matcher::ApplyRemap(const int32_t* oldGroups, size_t count) {
    startsScratch_.resize(count);
    for (size_t g = 0; g < count; ++g) startsScratch_[g] = starts_[oldGroups[g]];
    starts_.swap(startsScratch_);
}

int Matcher::Intern() {
    key_.assign(reinterpret_cast<const char*>(work_.data()), work_.size() * sizeof(Thread));
    auto it = index_.find(key_);
    if (it != index_.end()) return it->second;
    if (states_.size() >= maxStates_ || threads_.size() + work_.size() + remapPool_.size() > kMaxCachedEntries) {
        Flush();
        if (work_.empty()) return kEmptyState;
    }
    return AddState();
}

int Matcher::AddState() {
    State s;
    s.first = threads_.size();
    s.count = work_.size();
    s.numGroups = work_.empty() ? 0 : work_.back().group + 1;
    s.matchGroup = !work_.empty() && prog_.insts[work_.back().pc].op == Op::Match ? work_.back().group : -1;
    s.inject = -1;
    s.injectAddsGroup = false;
    threads_.insert(threads_.end(), work_.begin(), work_.end());
    next_.resize(next_.size() + numSymbols_, -1);
    remap_.resize(remap_.size() + numSymbols_, -1);
    quiet_.resize(quiet_.size() + numSymbols_, -1);
    states_.push_back(s);
    const int id = static_cast<int>(states_.size()) - 1;
    index_.emplace(std::string(reinterpret_cast<const char*>(work_.data()), work_.size() * sizeof(Thread)), id);
    return id;
}

void Matcher::Flush() {
    ++flushes_;
    states_.clear();
    threads_.clear();
    next_.clear();
    remap_.clear();
    quiet_.clear();
    remapPool_.clear();
    index_.clear();
    std::vector<Thread> keep;
    keep.swap(work_);
    AddState();  // the empty list, state 0
    work_.swap(keep);
}

}  // namespace

bool SearchProgram(const Program& program, const mbtext::LeadTable& lead, size_t maxStates, const char* text,
                   size_t length, size_t* matchBegin, size_t* matchEnd) {
    Matcher matcher(program, lead, maxStates, text, length);
    return matcher.Run(matchBegin, matchEnd);
}

}  // namespace fhregex
