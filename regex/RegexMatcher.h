#pragma once

#include <cstddef>

#include "regex/MbText.h"
#include "regex/RegexProgram.h"

namespace fhregex {

// Leftmost match of `program` in text[0, length), with the priorities of a
// backtracking engine. `maxStates` bounds the per-search cache of thread
// lists (0: a default that keeps the cache to a few megabytes).
bool SearchProgram(const Program& program, const mbtext::LeadTable& lead, size_t maxStates, const char* text,
                   size_t length, size_t* matchBegin, size_t* matchEnd);

}  // namespace fhregex
