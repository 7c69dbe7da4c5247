// Random patterns from the whole grammar against the backtracking model
// that the fuzz target also uses; fixed seeds, so a failure repeats.
#include <gtest/gtest.h>

#include "regex/fuzz/RegexReference.h"

TEST(RegexModel, AgreesWithBacktrackingOnRandomCases) {
    int failures = 0;
    for (uint64_t seed = 1; seed <= 50000 && failures < 10; ++seed) {
        regexref::PrngChooser chooser(seed);
        const std::string problem = regexref::CheckRandomCase(chooser, 24);
        if (!problem.empty()) {
            ++failures;
            ADD_FAILURE() << "seed " << seed << ": " << problem;
        }
    }
}
