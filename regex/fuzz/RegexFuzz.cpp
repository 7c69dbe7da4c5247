// libFuzzer target. The first input byte picks what is tried:
//   0..191   a random pattern tree from the supported grammar and a random
//            text, checked against the backtracking model (RegexReference.h);
//   192..223 the rest of the input split at the first NUL into pattern and
//            text: Compile must not crash, a match must lie on character
//            boundaries, and the cache size must not change the answer;
//   224..255 the multibyte helpers against character-walking models.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "regex/MbText.h"
#include "regex/Regex.h"
#include "regex/fuzz/RegexReference.h"

namespace {

void Fail(const std::string& what) {
    std::fprintf(stderr, "FUZZ FAILURE: %s\n", what.c_str());
    std::abort();
}

void CheckRawPattern(const uint8_t* data, size_t size, mbtext::LeadByteFn lead) {
    const char* chars = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(data, 0, size);
    const size_t split = nul != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
    const std::string pattern(chars, split);
    const std::string text = split < size ? std::string(chars + split + 1, size - split - 1) : std::string();
    Regex re;
    if (!re.Compile(pattern)) return;
    re.SetLeadByteTest(lead);
    size_t b = 0, e = 0;
    const bool found = re.Search(text, &b, &e);
    if (found &&
        (b > e || e > text.size() || !regexref::IsBoundary(text, b, lead) || !regexref::IsBoundary(text, e, lead))) {
        Fail("match off the character boundaries: " + regexref::Printable(pattern));
    }
    Regex small = re;
    small.SetStateCacheLimit(2);
    size_t b2 = 0, e2 = 0;
    if (small.Search(text, &b2, &e2) != found || (found && (b != b2 || e != e2))) {
        Fail("cache size changes the result: " + regexref::Printable(pattern));
    }
}

void CheckMbText(regexref::Chooser& c) {
    const std::string text = regexref::GenerateText(c, 24);
    const std::string needle = regexref::GenerateText(c, 3);
    const mbtext::LeadByteFn lead = regexref::PickLeadTest(c, 45, 45);
    const size_t from = c.Next(static_cast<unsigned>(text.size() + 2));
    const char ch = static_cast<char>(regexref::PickByte(c, true));
    const size_t npos = std::string::npos;

    size_t expectFind = npos, expectChar = npos;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < from || !regexref::IsBoundary(text, i, lead)) continue;
        if (expectFind == npos && text.compare(i, needle.size(), needle) == 0 && i + needle.size() <= text.size() &&
            regexref::IsBoundary(text, i + needle.size(), lead)) {
            expectFind = i;
        }
        if (expectChar == npos && i < text.size() && text[i] == ch && regexref::IsBoundary(text, i + 1, lead)) {
            expectChar = i;
        }
    }
    const std::string where = " in \"" + regexref::Printable(text) + "\" from " + std::to_string(from);
    if (mbtext::Find(text, needle, from, lead) != expectFind) {
        Fail("Find \"" + regexref::Printable(needle) + "\"" + where);
    }
    if (mbtext::FindChar(text, ch, from, lead) != expectChar) Fail("FindChar" + where);

    size_t expectCut = 0;
    for (size_t i = 0; i <= from && i <= text.size(); ++i) {
        if (regexref::IsBoundary(text, i, lead)) expectCut = i;
    }
    if (mbtext::CharBoundaryAtOrBefore(text, from, lead) != expectCut) Fail("CharBoundaryAtOrBefore" + where);

    // Trail bytes stay what they were.
    const std::string replaced = mbtext::ReplaceChars(text, "}\\{", '_', lead);
    if (replaced.size() != text.size()) Fail("ReplaceChars length" + where);
    for (size_t i = 0; i < text.size(); ++i) {
        const bool single = regexref::IsBoundary(text, i, lead) && regexref::IsBoundary(text, i + 1, lead);
        const bool hit = single && std::strchr("}\\{", text[i]) != nullptr && text[i] != 0;
        if (replaced[i] != (hit ? '_' : text[i])) Fail("ReplaceChars" + where);
    }
    if (!needle.empty()) {
        const std::string all = mbtext::ReplaceAll(text, needle, "", lead);
        if (mbtext::Find(all, needle, 0, lead) != npos && mbtext::Find(text, needle, 0, lead) == npos) {
            Fail("ReplaceAll made a match" + where);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    if (mode < 192) {
        regexref::BytesChooser c(data + 1, size - 1);
        const std::string problem = regexref::CheckRandomCase(c, 40);
        if (!problem.empty()) Fail(problem);
    } else if (mode < 224) {
        const mbtext::LeadByteFn leads[] = {nullptr, &mbtext::IsCp932LeadByte, &mbtext::IsUtf8LeadByte, nullptr};
        CheckRawPattern(data + 1, size - 1, leads[mode & 3]);
    } else {
        regexref::BytesChooser c(data + 1, size - 1);
        CheckMbText(c);
    }
    return 0;
}
