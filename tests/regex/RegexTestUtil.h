#pragma once

#include <gtest/gtest.h>

#include <string>

#include "regex/Regex.h"

// The matched text of `pattern` in `text`, or "<none>"; "<error>" when the
// pattern does not compile.
inline std::string FindIn(const std::string& pattern, const std::string& text, Regex::LeadByteFn lead = nullptr) {
    Regex re;
    if (!re.Compile(pattern)) return "<error>";
    re.SetLeadByteTest(lead);
    size_t b = 0, e = 0;
    if (!re.Search(text, &b, &e)) return "<none>";
    return text.substr(b, e - b);
}

// Where the match starts, or -1.
inline long StartOf(const std::string& pattern, const std::string& text, Regex::LeadByteFn lead = nullptr) {
    Regex re;
    if (!re.Compile(pattern)) return -2;
    re.SetLeadByteTest(lead);
    size_t b = 0, e = 0;
    return re.Search(text, &b, &e) ? static_cast<long>(b) : -1;
}

// Rows of what a pattern finds in a text, and where it starts (-1: nowhere).
struct Finds {
    const char* pattern;
    std::string text, want;
};
struct Starts {
    const char* pattern;
    std::string text;
    long start;
};
template <size_t N>
void ExpectAll(const Finds (&rows)[N], Regex::LeadByteFn lead = nullptr) {
    for (const Finds& r : rows) EXPECT_EQ(FindIn(r.pattern, r.text, lead), r.want) << r.pattern << " in " << r.text;
}
template <size_t N>
void ExpectAll(const Starts (&rows)[N], Regex::LeadByteFn lead = nullptr) {
    for (const Starts& r : rows) EXPECT_EQ(StartOf(r.pattern, r.text, lead), r.start) << r.pattern << " in " << r.text;
}

inline bool Compiles(const std::string& pattern, std::string* error = nullptr) {
    Regex re;
    return re.Compile(pattern, error);
}

// The two patterns the page resolver searches with.
constexpr const char* kSwfArgsPattern = "var swfArgs = {(.|\\n)*?[}]";
constexpr const char* kTitlePattern = "<title>(.|\\n)*?</title>";
