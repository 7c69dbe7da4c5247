// Helpers of the engine tests: an observer that records every call and
// the stand-in site's addresses and bytes.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "engine/TransferObserver.h"

namespace engine_testing {

// Calls as lines: "begin", "end", "status <text>", "text <text>",
// "total <KB>", "position <KB>".
class Recorder : public TransferObserver {
public:
    struct Call {
        std::string line;
        DWORD tick;
        DWORD thread;
    };

    Recorder() { abortFlag = &stop; }
    int OnBegin() override { return Add("begin"); }
    int OnEnd() override { return Add("end"); }
    int OnText(int kind, const char* text) override {
        return Add((kind == TextProgress ? "text " : "status ") + std::string(text));
    }
    int OnProgress(int kind, unsigned value) override {
        return Add((kind == ProgressTotal ? "total " : "position ") + std::to_string(value));
    }

    // Every line but the status texts.
    std::vector<std::string> Outline() const;
    std::string LastStatus() const;
    int Count(const std::string& line) const;
    std::string Dump() const;

    std::vector<Call> calls;
    std::atomic<int> stop{0};

private:
    int Add(const std::string& line) {
        calls.push_back(Call{line, GetTickCount(), GetCurrentThreadId()});
        return 0;
    }
};

// "http://127.0.0.1:<site port>" + pathAndQuery.
std::string SiteUrl(const std::string& pathAndQuery);

// Index of the first byte that differs from the site's stream (FLV header,
// then the formula) or, without header, from its /bytes formula.
size_t Mismatch(const std::string& bytes, bool flvHeader);

}  // namespace engine_testing
