// The program's download engine without its window: the same HttpDownloader
// and file output the download job uses, with an observer that only counts
// what it is told. Shows how fast the engine is on its own and how many
// texts and positions reach an observer, which is what the window pays for.
//
// Usage: engine_profile URL FILE
// Prints bytes, seconds, the process's user and kernel CPU seconds, the
// number of status texts, progress texts and positions, and the most
// frequent status texts.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>
#include "engine/HttpDownloader.h"
#include "engine/TransferOutput.h"
#include "framework/Handles.h"
#include "BenchClock.h"

namespace {

class CountingObserver : public TransferObserver {
public:
    int OnBegin() override { return 0; }
    int OnEnd() override { return 0; }
    int OnText(int kind, const char* text) override {
        if (kind == TextProgress)
            ++progressTexts;
        else
            ++statusTexts[text ? text : ""];
        return 0;
    }
    int OnProgress(int kind, unsigned value) override {
        if (kind == ProgressPosition) {
            ++positions;
            if (value != lastPosition) ++changedPositions;
            lastPosition = value;
        }
        return 0;
    }
    std::map<std::string, long> statusTexts;
    long progressTexts = 0;
    long positions = 0;
    long changedPositions = 0;
    unsigned lastPosition = ~0u;
};

void PrintStatusTexts(const CountingObserver& observer) {
    std::vector<std::pair<long, std::string>> byCount;
    long total = 0;
    for (const auto& entry : observer.statusTexts) {
        byCount.emplace_back(entry.second, entry.first);
        total += entry.second;
    }
    std::sort(byCount.rbegin(), byCount.rend());
    std::printf("status_texts=%ld progress_texts=%ld positions=%ld changed_kb_positions=%ld\n", total,
                observer.progressTexts, observer.positions, observer.changedPositions);
    for (size_t i = 0; i < byCount.size() && i < 5; ++i)
        std::printf("  %8ld x \"%s\"\n", byCount[i].first, byCount[i].second.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: engine_profile URL FILE\n");
        return 2;
    }
    FileHandle file(CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot create %s: %lu\n", argv[2], GetLastError());
        return 1;
    }
    CountingObserver observer;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    bool done = false;
    {
        HttpDownloader downloader;
        downloader.CreateSession(&observer, "engine_profile");
        downloader.SetChunkSize(4096);
        FileOutput output(file.Get(), argv[2]);
        done = downloader.Download(argv[1], output, HttpDownloader::HttpErrors::Fail);
    }
    file.Reset();
    QueryPerformanceCounter(&end);
    LARGE_INTEGER size = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(argv[2], GetFileExInfoStandard, &data)) {
        size.LowPart = data.nFileSizeLow;
        size.HighPart = static_cast<LONG>(data.nFileSizeHigh);
    }
    double user = 0, kernel = 0;
    ProcessCpuSeconds(&user, &kernel);
    std::printf("bytes=%lld seconds=%.3f user=%.3f kernel=%.3f\n", static_cast<long long>(size.QuadPart),
                Seconds(start, end), user, kernel);
    PrintStatusTexts(observer);
    return done ? 0 : 1;
}
