// Throughput of the page resolver's two searches over generated pages, with
// std::regex (ECMAScript) beside them. std::regex recurses once per
// character of a lazy repetition and overflows its stack on long matches,
// so it runs in a child process and a crash is reported, not suffered.
//
//   regex_bench [--std-timeout SECONDS] [--no-std] [SIZE_MIB...]   (default 1 16 64)

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "regex/MbText.h"
#include "regex/Regex.h"
#include "regex/bench/SamplePages.h"

namespace {

constexpr const char* kSwfArgs = "var swfArgs = {(.|\\n)*?[}]";
constexpr const char* kTitle = "<title>(.|\\n)*?</title>";
// ECMAScript wants the literal brace escaped; the meaning is the same.
constexpr const char* kSwfArgsEcma = "var swfArgs = \\{(.|\\n)*?[}]";

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string Rate(double bytes, double seconds) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", bytes / (1 << 20) / (seconds > 1e-9 ? seconds : 1e-9));
    return buf;
}

// Best of three runs, in MiB/s; "found"/"none" goes to *found.
std::string TimeRegex(const char* pattern, const std::string& text, mbtext::LeadByteFn lead, bool* found) {
    Regex re;
    if (!re.Compile(pattern)) return "error";
    re.SetLeadByteTest(lead);
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        size_t b, e;
        *found = re.Search(text, &b, &e);
        best = std::min(best, Seconds(start));
    }
    return Rate(static_cast<double>(text.size()), best);
}

std::string TimeStdRegex(const char* pattern, const std::string& text, int timeoutSeconds) {
    int fds[2];
    if (pipe(fds) != 0) return "n/a";
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) return "n/a";
    if (child == 0) {
        close(fds[0]);
        alarm(static_cast<unsigned>(timeoutSeconds));
        double seconds = -1;  // -1: the pattern was rejected
        try {
            const std::regex re(pattern, std::regex::ECMAScript);
            const auto start = std::chrono::steady_clock::now();
            std::smatch m;
            std::regex_search(text, m, re);
            seconds = Seconds(start);
        } catch (const std::regex_error&) {
        }
        if (write(fds[1], &seconds, sizeof seconds) != sizeof seconds) _exit(2);
        _exit(0);
    }
    close(fds[1]);
    double seconds = -1;
    const bool got = read(fds[0], &seconds, sizeof seconds) == sizeof seconds;
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) {
        return WTERMSIG(status) == SIGALRM ? "timeout" : "crashed";
    }
    if (!got) return "n/a";
    if (seconds < 0) return "rejected";
    return Rate(static_cast<double>(text.size()), seconds);
}

}  // namespace

int main(int argc, char** argv) {
    int stdTimeout = 30;
    bool withStd = true;
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--std-timeout") == 0 && i + 1 < argc) {
            stdTimeout = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--no-std") == 0) {
            withStd = false;
        } else {
            sizes.push_back(static_cast<size_t>(std::atoi(argv[i])));
        }
    }
    if (sizes.empty()) sizes = {1, 16, 64};

    std::printf("MiB/s, best of 3 (std::regex: one run in a child, %d s limit)\n\n", stdTimeout);
    std::printf("%-8s %-12s %6s  %-6s %10s %10s %12s\n", "pattern", "page", "MiB", "result", "Regex", "Regex+932",
                "std::regex");
    for (size_t mib : sizes) {
        const size_t bytes = mib << 20;
        struct Case {
            const char* name;
            const char* pattern;
            const char* stdPattern;
            const char* page;
            std::string text;
        };
        const Case cases[] = {
            {"swfArgs", kSwfArgs, kSwfArgsEcma, "realistic", samplepages::Page(bytes)},
            {"swfArgs", kSwfArgs, kSwfArgsEcma, "unclosed", samplepages::UnterminatedPage(bytes, "var swfArgs = {")},
            {"title", kTitle, kTitle, "realistic", samplepages::Page(bytes)},
            {"title", kTitle, kTitle, "unclosed", samplepages::UnterminatedPage(bytes, "<title>")},
        };
        for (const Case& c : cases) {
            bool found = false;
            const std::string plain = TimeRegex(c.pattern, c.text, nullptr, &found);
            bool found932 = false;
            const std::string cp932 = TimeRegex(c.pattern, c.text, &mbtext::IsCp932LeadByte, &found932);
            const std::string std = withStd ? TimeStdRegex(c.stdPattern, c.text, stdTimeout) : "-";
            std::printf("%-8s %-12s %6zu  %-6s %10s %10s %12s\n", c.name, c.page, mib, found ? "found" : "none",
                        plain.c_str(), cp932.c_str(), std.c_str());
            std::fflush(stdout);
        }
    }
    return 0;
}
