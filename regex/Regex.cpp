#include "regex/Regex.h"

#include "regex/RegexMatcher.h"
#include "regex/RegexProgram.h"

Regex::Regex() = default;
Regex::~Regex() = default;
Regex::Regex(const Regex&) = default;
Regex& Regex::operator=(const Regex&) = default;

bool Regex::Compile(const std::string& pattern, std::string* error) {
    program_.reset();
    auto program = std::make_shared<fhregex::Program>();
    if (!fhregex::CompileProgram(pattern, program.get(), error)) return false;
    program_ = std::move(program);
    return true;
}

void Regex::SetLeadByteTest(LeadByteFn isLeadByte) {
    lead_ = mbtext::LeadTable(isLeadByte);
}

bool Regex::Search(const char* text, size_t length, size_t* matchBegin, size_t* matchEnd) const {
    if (program_ == nullptr) return false;
    size_t begin = 0;
    size_t end = 0;
    if (!fhregex::SearchProgram(*program_, lead_, cacheLimit_, text, length, &begin, &end)) return false;
    if (matchBegin != nullptr) *matchBegin = begin;
    if (matchEnd != nullptr) *matchEnd = end;
    return true;
}
