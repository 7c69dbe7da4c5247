#pragma once

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

inline bool Compiles(const std::string& pattern, std::string* error = nullptr) {
    Regex re;
    return re.Compile(pattern, error);
}

// The two patterns the page resolver searches with.
constexpr const char* kSwfArgsPattern = "var swfArgs = {(.|\\n)*?[}]";
constexpr const char* kTitlePattern = "<title>(.|\\n)*?</title>";
