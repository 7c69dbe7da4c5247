// The yardstick for the program's own transfer: a bare WinINet download with
// the same session kind (the per-user proxy settings), the same request flags
// and the same 4096-byte reads as the program, and nothing else in the loop
// but the file write the program also does.
//
// Usage: wininet_loop [--callback] [--format] URL [FILE]
// Without FILE the bytes are read and dropped. --callback installs a status
// callback that does nothing (WinINet then calls it twice for every read);
// --format formats a progress text after every read as the program's engine
// does. Both only exist to tell the engine's costs apart. Prints one line,
//   bytes=N seconds=S user=U kernel=K
// where S runs from opening the session to closing it (and the file), so
// the process start-up is not in it, and U and K are the CPU seconds of the
// whole process. Exits 0 only when the server answered 200 and the whole
// announced length arrived.
#include <windows.h>
#include <wininet.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include "framework/Handles.h"
#include "BenchClock.h"

namespace {

const DWORD kChunkSize = 4096;

// The announced length, or -1 when there is none.
long long ContentLength(HINTERNET response) {
    char text[32] = "";
    DWORD size = sizeof(text);
    if (!HttpQueryInfoA(response, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return -1;
    return std::strtoll(text, nullptr, 10);
}

DWORD StatusCode(HINTERNET response) {
    DWORD status = 0, size = sizeof(status);
    HttpQueryInfoA(response, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    return status;
}

struct Options {
    bool callback = false;
    bool format = false;
    const char* url = nullptr;
    const char* file = nullptr;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    int at = 1;
    for (; at < argc && argv[at][0] == '-'; ++at) {
        if (std::strcmp(argv[at], "--callback") == 0)
            options->callback = true;
        else if (std::strcmp(argv[at], "--format") == 0)
            options->format = true;
        else
            return false;
    }
    if (at == argc || argc - at > 2) return false;
    options->url = argv[at];
    options->file = at + 1 < argc ? argv[at + 1] : nullptr;
    return true;
}

void CALLBACK IgnoreStatus(HINTERNET, DWORD_PTR, DWORD, void*, DWORD) {}

// Keeps the optimizer from dropping the formatting.
volatile int formattedLength = 0;

// What the engine builds after every read.
void FormatProgress(long long received, long long total, time_t start) {
    char text[1024];
    double elapsed = difftime(time(nullptr), start);
    double receivedKb = received / 1024.0;
    formattedLength = std::snprintf(text, sizeof(text), "%d KB / %d KB, %0.1f KB/s", static_cast<int>(receivedKb),
                                    static_cast<int>(total / 1024), elapsed > 0 ? receivedKb / elapsed : 0.0);
}

// Reads the whole body in 4096-byte pieces; -1 on a read or write failure.
long long ReadAll(HINTERNET response, HANDLE file, bool format, long long announced) {
    static char chunk[kChunkSize];
    long long total = 0;
    time_t start = time(nullptr);
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(response, chunk, kChunkSize, &read)) {
            std::fprintf(stderr, "InternetReadFile failed: %lu\n", GetLastError());
            return -1;
        }
        if (read == 0) return total;
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE && (!WriteFile(file, chunk, read, &written, nullptr) || written != read)) {
            std::fprintf(stderr, "WriteFile failed: %lu\n", GetLastError());
            return -1;
        }
        total += read;
        if (format) FormatProgress(total, announced, start);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: wininet_loop [--callback] [--format] URL [FILE]\n");
        return 2;
    }
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    FileHandle file(options.file ? CreateFileA(options.file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr)
                                 : INVALID_HANDLE_VALUE);
    if (options.file && file.Get() == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot create %s: %lu\n", options.file, GetLastError());
        return 1;
    }
    long long received = -1, announced = -1;
    DWORD status = 0;
    {
        InternetHandle session(InternetOpenA("wininet_loop", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (session.Get() && options.callback) InternetSetStatusCallback(session.Get(), IgnoreStatus);
        // WinINet makes no callbacks for a request whose context is 0.
        InternetHandle response(
            session.Get() ? InternetOpenUrlA(session.Get(), options.url, nullptr, 0, INTERNET_FLAG_TRANSFER_BINARY, 1)
                          : nullptr);
        if (!response.Get()) {
            std::fprintf(stderr, "cannot open %s: %lu\n", options.url, GetLastError());
            return 1;
        }
        status = StatusCode(response.Get());
        announced = ContentLength(response.Get());
        received = ReadAll(response.Get(), file.Get(), options.format, announced);
    }
    file.Reset();
    QueryPerformanceCounter(&end);
    double user = 0, kernel = 0;
    ProcessCpuSeconds(&user, &kernel);
    std::printf("bytes=%lld seconds=%.3f user=%.3f kernel=%.3f\n", received, Seconds(start, end), user, kernel);
    if (status != 200 || received < 0 || (announced >= 0 && received != announced)) {
        std::fprintf(stderr, "incomplete: status %lu, %lld of %lld bytes\n", status, received, announced);
        return 1;
    }
    return 0;
}
