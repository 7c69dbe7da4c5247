// Drives the main window of a running Framehaul from another process, for
// the benchmark script: waits for the window, closes it, or clicks Stop
// during a download and times how long the window takes to say so.
//
// Usage:
//   window_driver wait  EXE TIMEOUT_MS            the window is up and visible
//   window_driver close EXE TIMEOUT_MS            asks the window to close
//   window_driver downloading EXE TIMEOUT_MS      the status line reads
//                                                 "Downloading: "
//   window_driver result EXE TIMEOUT_MS           the status line shows a
//                                                 job's result; prints it
//   window_driver cycles EXE TIMEOUT_MS SETTLE_MS COUNT
//                                                 COUNT times: Download
//                                                 (unless a job runs),
//                                                 Stop SETTLE_MS after
//                                                 "Downloading: ", wait
//                                                 for "Aborted!"; prints
//                                                 each Stop's time
//   window_driver stop  EXE TIMEOUT_MS SETTLE_MS  Stop, SETTLE_MS after the
//                                                 status line first reads
//                                                 "Downloading: ";
//                                                 prints the time and the
//                                                 texts the status line
//                                                 showed until "Aborted!"
// EXE is the program's file name (Framehaul.exe); the window is the visible
// dialog captioned "Framehaul" of a process of that name. Exit code 0 when
// the step was done, 1 when it timed out, 2 on a bad command line.
#include <windows.h>
#include <tlhelp32.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include "resources/resource.h"

namespace {

const char* const kAborted = "Aborted!";
const char* const kDownloading = "Downloading: ";
// Closing a request whose server still sends at full speed can take
// seconds (WinINet reads the rest of the body first); wait that out.
const DWORD kAbortWait = 60000;

struct Snapshot {
    HANDLE handle = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    Snapshot() = default;
    ~Snapshot() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
};

std::set<DWORD> ProcessesNamed(const char* exe) {
    std::set<DWORD> ids;
    Snapshot snapshot;
    if (snapshot.handle == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot.handle, &entry); more; more = Process32Next(snapshot.handle, &entry))
        if (lstrcmpiA(entry.szExeFile, exe) == 0) ids.insert(entry.th32ProcessID);
    return ids;
}

struct Search {
    std::set<DWORD> processes;
    HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!search->processes.count(process) || !IsWindowVisible(window)) return TRUE;
    char name[64] = "", caption[64] = "";
    GetClassNameA(window, name, sizeof(name));
    GetWindowTextA(window, caption, sizeof(caption));
    if (std::strcmp(name, "#32770") != 0 || std::strcmp(caption, "Framehaul") != 0) return TRUE;
    search->found = window;
    return FALSE;
}

// A dialog can be visible before its controls exist, so the status line is
// part of being found.
HWND FindMainWindow(const char* exe, DWORD deadline) {
    do {
        Search search;
        search.processes = ProcessesNamed(exe);
        if (!search.processes.empty()) EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found && GetDlgItem(search.found, IDC_STATUS)) return search.found;
        Sleep(20);
    } while (static_cast<LONG>(deadline - GetTickCount()) > 0);
    return nullptr;
}

// The status line's text; the window belongs to another process, so
// WM_GETTEXT, bounded in case that process hangs.
std::string StatusText(HWND window) {
    char text[512] = "";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(GetDlgItem(window, IDC_STATUS), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 1000, &copied))
        return std::string();
    return text;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The texts the status line went through while waiting, and when: where a
// slow Stop spends its time.
struct StatusTrace {
    LARGE_INTEGER since = {};
    std::string lines;
    void Add(const std::string& text) {
        LARGE_INTEGER at;
        QueryPerformanceCounter(&at);
        char prefix[32];
        std::snprintf(prefix, sizeof(prefix), "  +%.1f ms ", Milliseconds(since, at));
        lines += prefix + ("\"" + text + "\"\n");
    }
};

bool WaitForStatus(HWND window, bool (*accept)(const std::string&), DWORD deadline, std::string* last,
                   StatusTrace* trace = nullptr) {
    std::string previous = *last;
    do {
        *last = StatusText(window);
        if (trace && *last != previous) trace->Add(*last);
        previous = *last;
        if (accept(*last)) return true;
        Sleep(1);
    } while (static_cast<LONG>(deadline - GetTickCount()) > 0 && IsWindow(window));
    return false;
}

bool IsDownloading(const std::string& text) {
    return text.compare(0, std::strlen(kDownloading), kDownloading) == 0;
}

bool IsAborted(const std::string& text) {
    return text == kAborted;
}

bool IsResult(const std::string& text) {
    return text == kAborted || text == "Error!" || text == "Downloaded successfully!";
}

int TimeStop(HWND window, DWORD timeout, DWORD settle) {
    std::string text;
    if (!WaitForStatus(window, IsDownloading, GetTickCount() + timeout, &text)) {
        std::fprintf(stderr, "no download started; status \"%s\"\n", text.c_str());
        return 1;
    }
    Sleep(settle);
    text = StatusText(window);
    if (!IsDownloading(text)) {
        std::fprintf(stderr, "the download was over before Stop; status \"%s\"\n", text.c_str());
        return 1;
    }
    LARGE_INTEGER clicked, shown;
    QueryPerformanceCounter(&clicked);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_STOP, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_STOP)));
    StatusTrace trace;
    trace.since = clicked;
    std::string last = text;
    bool aborted = WaitForStatus(window, IsAborted, GetTickCount() + kAbortWait, &last, &trace);
    QueryPerformanceCounter(&shown);
    if (!aborted) {
        std::fprintf(stderr, "no \"%s\" within %lu ms; status \"%s\"\n%s", kAborted, kAbortWait, last.c_str(),
                     trace.lines.c_str());
        return 1;
    }
    std::printf("stop_to_aborted_ms=%.1f status_before_stop=\"%s\"\n%s", Milliseconds(clicked, shown), text.c_str(),
                trace.lines.c_str());
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

// Repeated Download/Stop on one window: what a stopped transfer leaves
// behind adds up here.
int Cycles(HWND window, DWORD timeout, DWORD settle, int count) {
    for (int i = 0; i < count; ++i) {
        if (!IsWindowVisible(GetDlgItem(window, IDC_STOP)))
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_DOWNLOAD)));
        std::string text;
        if (!WaitForStatus(window, IsDownloading, GetTickCount() + timeout, &text)) {
            std::fprintf(stderr, "cycle %d: no download started; status \"%s\"\n", i + 1, text.c_str());
            return 1;
        }
        Sleep(settle);
        LARGE_INTEGER clicked, shown;
        QueryPerformanceCounter(&clicked);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_STOP, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_STOP)));
        if (!WaitForStatus(window, IsAborted, GetTickCount() + kAbortWait, &text)) {
            std::fprintf(stderr, "cycle %d: no \"%s\"; status \"%s\"\n", i + 1, kAborted, text.c_str());
            return 1;
        }
        QueryPerformanceCounter(&shown);
        std::printf("cycle %d stop_to_aborted_ms=%.1f\n", i + 1, Milliseconds(clicked, shown));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(
            stderr,
            "usage: window_driver wait|close|downloading|result|stop|cycles EXE TIMEOUT_MS [SETTLE_MS [COUNT]]\n");
        return 2;
    }
    std::string mode = argv[1];
    DWORD timeout = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
    HWND window = FindMainWindow(argv[2], GetTickCount() + timeout);
    if (!window) {
        std::fprintf(stderr, "no visible Framehaul window of %s within %lu ms\n", argv[2], timeout);
        return 1;
    }
    if (mode == "wait") return 0;
    if (mode == "close") return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (mode == "downloading") {
        std::string text;
        return WaitForStatus(window, IsDownloading, GetTickCount() + timeout, &text) ? 0 : 1;
    }
    if (mode == "result") {
        std::string text;
        bool shown = WaitForStatus(window, IsResult, GetTickCount() + timeout, &text);
        std::printf("%s\n", text.c_str());
        return shown ? 0 : 1;
    }
    if (mode == "cycles" && argc == 6)
        return Cycles(window, timeout, static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10)), std::atoi(argv[5]));
    if (mode == "stop" && argc == 5)
        return TimeStop(window, timeout, static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10)));
    std::fprintf(stderr, "unknown mode %s\n", argv[1]);
    return 2;
}
