#include "tests/engine/EngineTestSupport.h"
#include "tests/common/TestSupport.h"
#include "samplesite/StreamBytes.h"

namespace engine_testing {

std::vector<std::string> Recorder::Outline() const {
    std::vector<std::string> lines;
    for (const Call& call : calls)
        if (call.line.rfind("status ", 0) != 0) lines.push_back(call.line);
    return lines;
}

std::string Recorder::LastStatus() const {
    for (auto call = calls.rbegin(); call != calls.rend(); ++call)
        if (call->line.rfind("status ", 0) == 0) return call->line.substr(7);
    return "<none>";
}

int Recorder::Count(const std::string& line) const {
    int count = 0;
    for (const Call& call : calls) count += call.line == line;
    return count;
}

std::string Recorder::Dump() const {
    std::string text;
    for (const Call& call : calls) text += "[" + call.line + "]\n";
    return text;
}

std::string SiteUrl(const std::string& pathAndQuery) {
    return "http://127.0.0.1:" + std::to_string(testing_support::SitePort()) + pathAndQuery;
}

size_t Mismatch(const std::string& bytes, bool flvHeader) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char expected = flvHeader ? samplesite::StreamByteAt(i) : samplesite::PatternByteAt(i);
        if (static_cast<unsigned char>(bytes[i]) != expected) return i;
    }
    return bytes.size();
}

}  // namespace engine_testing
