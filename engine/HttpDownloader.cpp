#include "engine/HttpDownloader.h"
#include <cstdarg>
#include <vector>
#include "engine/InternetErrorText.h"
#include "engine/ObserverText.h"
#include "framework/Strings.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

namespace {

// The Content-Length header as a number; 0 when it is missing or not a
// number.
unsigned long long ContentLength(HINTERNET response) {
    char text[32] = "";
    DWORD size = sizeof(text);
    if (!HttpQueryInfoA(response, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return 0;
    unsigned long long length = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
        if (length > (~0ull - 9) / 10) return 0;
        length = length * 10 + static_cast<unsigned>(*p - '0');
    }
    return length;
}

// "404 Not Found" when the server answered with an error status, else empty.
std::string HttpErrorAnswer(HINTERNET response) {
    DWORD status = 0, size = sizeof(status);
    if (!HttpQueryInfoA(response, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)
        || status < 400)
        return std::string();
    std::string answer = std::to_string(status);
    char reason[256] = "";
    size = sizeof(reason);
    if (HttpQueryInfoA(response, HTTP_QUERY_STATUS_TEXT, reason, &size, nullptr) && reason[0])
        answer += std::string(" ") + reason;
    return answer;
}

// Whole seconds of the wall clock. Cheaper than time(), which is called
// for every chunk.
long long WallClockSeconds() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<long long>((static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime) /
                                  10000000ull);
}

struct StoppedTransfer {
    HINTERNET request;
    DownloadSession* session;
};

DWORD WINAPI CloseInBackground(void* param) {
    StoppedTransfer* stopped = static_cast<StoppedTransfer*>(param);
    InternetCloseHandle(stopped->request);
    delete stopped->session;
    delete stopped;
    return 0;
}

// Closes a stopped transfer's request and then its session. Wine's WinINet
// reads the rest of a response before it closes the request, which on a fast
// stream takes as long as the download would; a stop must not wait for that.
// The session goes with the request, so that no other request runs in it
// while the closing goes on; the closing thread reports nothing, as status
// texts reach the observer only on the thread that runs the transfer.
void CloseStoppedTransfer(HINTERNET request, std::unique_ptr<DownloadSession> session) {
    StoppedTransfer* stopped = new StoppedTransfer{request, session.get()};
    HANDLE closer = CreateThread(nullptr, 0, CloseInBackground, stopped, 0, nullptr);
    if (closer) {
        session.release();
        CloseHandle(closer);
    } else {
        delete stopped;
        InternetCloseHandle(request);
    }
}

// Closes a WinINet handle when it goes out of scope.
struct InternetHandle {
    HINTERNET handle;
    explicit InternetHandle(HINTERNET h) : handle(h) {}
    ~InternetHandle() { Close(); }
    void Close() { if (handle) InternetCloseHandle(handle); handle = nullptr; }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
};

}  // namespace

HttpDownloader::~HttpDownloader() = default;

bool HttpDownloader::CreateSession(TransferObserver* transferObserver, const char* agent) {
    observer = transferObserver;
    std::string name = agent ? agent : WinApp::Get() ? WinApp::Get()->AppName() : "Framehaul";
    session.reset(new DownloadSession(observer));
    bool opened = session->Open(name);
    // Process-wide: more parallel connections per server than WinINet's
    // defaults allow.
    DWORD connections = 5;
    InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &connections, sizeof(connections));
    InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &connections, sizeof(connections));
    return opened;
}

void HttpDownloader::ReportText(int kind, const char* format, ...) {
    va_list args;
    va_start(args, format);
    ReportTextToV(observer, kind, format, args);
    va_end(args);
}

bool HttpDownloader::StopRequested() const {
    return observer && observer->abortFlag && observer->abortFlag->load(std::memory_order_relaxed) != 0;
}

// Opens the address; on failure reports why (after any handle is closed, so
// that the reason is the last status text) and returns null.
HINTERNET HttpDownloader::OpenAddress(const std::string& address, HttpErrors httpErrors) {
    HINTERNET response = InternetOpenUrlA(session->Handle(), address.c_str(), nullptr, 0,
                                          INTERNET_FLAG_TRANSFER_BINARY, kInternetContext);
    if (!response) {
        ReportText(TransferObserver::TextStatus, "%s", InternetErrorText(GetLastError()).c_str());
        return nullptr;
    }
    std::string answer = httpErrors == HttpErrors::Fail ? HttpErrorAnswer(response) : std::string();
    if (answer.empty()) return response;
    InternetCloseHandle(response);
    ReportText(TransferObserver::TextStatus, "%s", FormatResString(IDS_SERVER_ANSWERED, answer).c_str());
    return nullptr;
}

bool HttpDownloader::Download(const std::string& address, TransferOutput& output, HttpErrors httpErrors) {
    if (!session || !session->Handle()) {
        DWORD error = session ? session->OpenError() : ERROR_INTERNET_INCORRECT_HANDLE_TYPE;
        ReportText(TransferObserver::TextStatus, "%s", InternetErrorText(error).c_str());
        return false;
    }
    DownloadSession::Reporting reporting(*session);
    InternetHandle response(OpenAddress(address, httpErrors));
    if (!response.handle) return false;

    Transfer transfer;
    transfer.start = WallClockSeconds();
    transfer.chunk.resize(chunkSize + 1);
    transfer.length = ContentLength(response.handle);
    transfer.totalKb = static_cast<unsigned>((transfer.length + 512) / 1024);
    if (observer) {
        observer->OnBegin();
        observer->OnProgress(TransferObserver::ProgressTotal, transfer.totalKb);
    }
    LoopEnd end = ReadLoop(response.handle, output, transfer);
    bool loopEnded = end == LoopEnd::DataEnded || end == LoopEnd::Stopped;
    if (loopEnded && observer) observer->OnEnd();
    if (end == LoopEnd::Stopped) {
        // After a stop the downloader has no session any more.
        CloseStoppedTransfer(response.handle, std::move(session));
        response.handle = nullptr;
    }
    response.Close();
    std::vector<char>().swap(transfer.chunk);
    // A failure's reason comes after the closing's own status texts, so it
    // is the text left standing.
    if (loopEnded) ReportText(TransferObserver::TextStatus, "%s", "");
    else ReportText(TransferObserver::TextStatus, "%s", transfer.failure.c_str());
    return end == LoopEnd::DataEnded;
}

HttpDownloader::LoopEnd HttpDownloader::ReadLoop(HINTERNET response, TransferOutput& output,
                                                 Transfer& transfer) {
    char* chunk = transfer.chunk.data();
    for (;;) {
        if (StopRequested()) return LoopEnd::Stopped;
        DWORD read = 0;
        if (!InternetReadFile(response, chunk, chunkSize, &read)) {
            transfer.failure = InternetErrorText(GetLastError());
            return LoopEnd::Failed;
        }
        if (read == 0) {
            if (transfer.received >= transfer.length) return LoopEnd::DataEnded;
            // The connection ended before the announced length: a cut-off
            // body is not a complete one.
            transfer.failure = InternetErrorText(ERROR_INTERNET_CONNECTION_ABORTED);
            return LoopEnd::Failed;
        }
        if (!output.Write(chunk, read)) {
            transfer.failure = output.ErrorText();
            return LoopEnd::Failed;
        }
        transfer.received += read;
        if (observer) ReportProgress(transfer);
    }
}

void HttpDownloader::ReportProgress(const Transfer& transfer) {
    double elapsed = static_cast<double>(WallClockSeconds() - transfer.start);
    double receivedKb = transfer.received / 1024.0;
    int shownKb = static_cast<int>(receivedKb);
    int totalKb = static_cast<int>(transfer.totalKb);
    if (elapsed > 0)
        ReportText(TransferObserver::TextProgress, "%d KB / %d KB, %0.1f KB/s", shownKb, totalKb,
                   receivedKb / elapsed);
    else
        ReportText(TransferObserver::TextProgress, "%d KB / %d KB", shownKb, totalKb);
    observer->OnProgress(TransferObserver::ProgressPosition, static_cast<unsigned>(transfer.received / 1024));
}
