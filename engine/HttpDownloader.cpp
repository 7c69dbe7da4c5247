#include "engine/HttpDownloader.h"
#include <algorithm>
#include <cstdarg>
#include <vector>
#include "engine/HttpAnswer.h"
#include "engine/InternetErrorText.h"
#include "engine/ObserverText.h"
#include "framework/CriticalSection.h"
#include "framework/Handles.h"
#include "framework/Strings.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

namespace {

// How often the waiting job looks at its stop flag, and how long a stopped
// transfer gets to end by itself (it normally does at its next chunk)
// before the job lets go of it.
const DWORD kStopPoll = 50;
const DWORD kStopGrace = 250;
const DWORD kWsaTimedOut = 10060;

// WinINet's reason for the last failure. Wine's WinINet passes a socket
// time-out on as the socket's own error; Windows reports it as
// ERROR_INTERNET_TIMEOUT, whose text is the one to show.
std::string LastInternetErrorText() {
    DWORD error = GetLastError();
    return InternetErrorText(error == kWsaTimedOut ? static_cast<DWORD>(ERROR_INTERNET_TIMEOUT) : error);
}

// Whole seconds of the wall clock. Cheaper than time(), which is called
// for every chunk.
long long WallClockSeconds() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<long long>((static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime) / 10000000ull);
}

std::string Part(const char* text, DWORD length) {
    return text ? std::string(text, length) : std::string();
}

}  // namespace

// The job's observer and output, which live on the job's stack. The
// transfer's thread reaches them only through With, and only until the job
// lets go: a thread that outlives the job's wait cannot touch them, whatever
// it calls.
class HttpDownloader::JobLink {
public:
    JobLink(TransferObserver* observer, TransferOutput& output) : observer(observer), output(&output) {}
    JobLink(const JobLink&) = delete;
    JobLink& operator=(const JobLink&) = delete;

    // use(observer or null, output), while the job holds on; false after.
    template <typename Use>
    bool With(Use use) {
        CriticalSectionLock hold(lock);
        if (attached) use(observer, *output);
        return attached;
    }
    void LetGo() {
        CriticalSectionLock hold(lock);
        attached = false;
    }

private:
    TransferObserver* const observer;
    TransferOutput* const output;
    CriticalSection lock;
    bool attached = true;
};

// Owned by the Download and by the thread running its transfer, whichever
// ends last: it holds copies of everything the transfer reads and its own
// share of the session, and reports and writes through its JobLink.
class HttpDownloader::Run final : public TransferObserver {
public:
    // What a write came to. Refused: the job let go, and nothing was written.
    enum class Written { Yes, Failed, Refused };

    Run(const HttpDownloader& downloader, const std::string& address, TransferOutput& output, HttpErrors httpErrors,
        Cuts cuts)
        : address(address),
          httpErrors(httpErrors),
          cuts(cuts),
          chunkSize(downloader.chunkSize),
          receiveTimeout(downloader.receiveTimeout),
          resumeWaits(downloader.resumeWaits),
          session(downloader.session),
          done(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          observed(downloader.observer != nullptr),
          job(downloader.observer, output) {}
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // This run as the transfer's observer, when the job has one.
    TransferObserver* Observer() { return observed ? this : nullptr; }
    int OnBegin() override {
        job.With([&](TransferObserver* to, TransferOutput&) { to->OnBegin(); });
        return 0;
    }
    int OnEnd() override {
        job.With([&](TransferObserver* to, TransferOutput&) { to->OnEnd(); });
        return 0;
    }
    int OnText(int kind, const char* text) override {
        job.With([&](TransferObserver* to, TransferOutput&) { to->OnText(kind, text); });
        return 0;
    }
    int OnProgress(int kind, unsigned value) override {
        job.With([&](TransferObserver* to, TransferOutput&) { to->OnProgress(kind, value); });
        return 0;
    }
    // A failed write's reason becomes `failure`, read while the output is
    // still there.
    Written Write(const char* data, size_t count) {
        bool written = false;
        if (!job.With([&](TransferObserver*, TransferOutput& output) {
                written = output.Write(data, count);
                if (!written) failure = output.ErrorText();
            }))
            return Written::Refused;
        return written ? Written::Yes : Written::Failed;
    }
    void SetContentType(const std::string& type) {
        job.With([&](TransferObserver*, TransferOutput& output) { output.SetContentType(type); });
    }
    // The job's stop flag is set, or the job let go.
    bool Stopped() {
        bool stopped = true;
        job.With([&](TransferObserver* to, TransferOutput&) {
            stopped = to && to->abortFlag && to->abortFlag->load(std::memory_order_relaxed);
        });
        return stopped;
    }
    // From here on nothing reaches the job.
    void LetGo() { job.LetGo(); }
    void Finish(LoopEnd how) {
        end = how;
        SetEvent(done.Get());
    }

    const std::string address;
    const HttpErrors httpErrors;
    const Cuts cuts;
    const DWORD chunkSize;
    const DWORD receiveTimeout;
    const std::vector<DWORD> resumeWaits;
    const std::shared_ptr<DownloadSession> session;
    LoopEnd end = LoopEnd::Failed;
    std::string failure;  // why it failed; read by the job once `done` is set
    const KernelHandle done;

private:
    const bool observed;
    JobLink job;
};

HttpDownloader::~HttpDownloader() = default;

bool HttpDownloader::CreateSession(TransferObserver* transferObserver, const char* agent) {
    observer = transferObserver;
    agentName = agent ? agent : WinApp::Get() ? WinApp::Get()->AppName() : "Framehaul";
    sessionCreated = true;
    session = std::make_shared<DownloadSession>();
    bool opened = session->Open(agentName);
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

bool HttpDownloader::Download(const std::string& address, TransferOutput& output, HttpErrors httpErrors, Cuts cuts) {
    failureText.clear();
    // The session of a transfer that failed or stopped went with it; the
    // next transfer gets a new one.
    if (!session && sessionCreated) {
        session = std::make_shared<DownloadSession>();
        session->Open(agentName);
    }
    if (!session || !session->Handle()) {
        DWORD error = session ? session->OpenError() : ERROR_INTERNET_INCORRECT_HANDLE_TYPE;
        failureText = InternetErrorText(error);
        ReportText(TransferObserver::TextStatus, "%s", failureText.c_str());
        return false;
    }
    auto run = std::make_shared<Run>(*this, address, output, httpErrors, cuts);
    // The thread's own share of the run, handed over with its start.
    auto* threadShare = new std::shared_ptr<Run>(run);
    KernelHandle thread(run->done ? CreateThread(nullptr, 0, RunThread, threadShare, 0, nullptr) : nullptr);
    if (!thread) {
        delete threadShare;
        RunTransfer(*run);
    }
    bool answered = WaitFor(*run);
    bool succeeded = answered && run->end == LoopEnd::DataEnded;
    if (answered && run->end == LoopEnd::Failed) failureText = run->failure;
    // A request that did not end with its data is closed by the transfer's
    // thread after the job has its answer, with the session's share that
    // thread holds; the next transfer opens a new one.
    if (!succeeded) session.reset();
    return succeeded;
}

// True when the transfer ended by itself; false when a stop had to let go
// of a call still waiting on the server.
bool HttpDownloader::WaitFor(Run& run) {
    DWORD stopSeen = 0;
    bool stopping = false;
    while (WaitForSingleObject(run.done.Get(), kStopPoll) != WAIT_OBJECT_0) {
        if (!StopRequested()) continue;
        DWORD now = GetTickCount();
        if (!stopping) {
            stopping = true;
            stopSeen = now;
        } else if (now - stopSeen >= kStopGrace) {
            run.LetGo();
            // The stop is the job's answer; the status line is left as a
            // finished transfer leaves it.
            ReportText(TransferObserver::TextStatus, "%s", "");
            return false;
        }
    }
    return true;
}

DWORD WINAPI HttpDownloader::RunThread(void* param) {
    std::unique_ptr<std::shared_ptr<Run>> share(static_cast<std::shared_ptr<Run>*>(param));
    std::shared_ptr<Run> run = std::move(*share);
    share.reset();
    RunTransfer(*run);
    return 0;
}

// Opens the address, or for a try on a cut body the rest of it, with the
// receive time-out set on the request before it is sent (Wine takes the
// request's time-out for its socket when it reads the answer; set later, or
// on the session, it is not used). On failure run.failure says why; the
// handles of a refused answer stay open for the caller.
HttpDownloader::Opened HttpDownloader::OpenAddress(Run& run, const Transfer* cut, InternetHandle& connection,
                                                   InternetHandle& response) {
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength = 1;
    parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlA(run.address.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        run.failure = InternetErrorText(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
        return Opened::NoAnswer;
    }
    std::string host = Part(parts.lpszHostName, parts.dwHostNameLength);
    std::string user = Part(parts.lpszUserName, parts.dwUserNameLength);
    std::string password = Part(parts.lpszPassword, parts.dwPasswordLength);
    std::string path =
        Part(parts.lpszUrlPath, parts.dwUrlPathLength) + Part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    connection.Reset(
        InternetConnectA(run.session->Handle(), host.c_str(), parts.nPort, user.empty() ? nullptr : user.c_str(),
                         password.empty() ? nullptr : password.c_str(), INTERNET_SERVICE_HTTP, 0, kInternetContext));
    const char* accept[] = {"*/*", nullptr};
    DWORD flags = INTERNET_FLAG_TRANSFER_BINARY | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    response.Reset(connection ? HttpOpenRequestA(connection.Get(), nullptr, path.empty() ? "/" : path.c_str(), nullptr,
                                                 nullptr, accept, flags, kInternetContext)
                              : nullptr);
    DWORD timeout = run.receiveTimeout;
    if (response) InternetSetOptionA(response.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
    std::string range = cut ? "Range: bytes=" + std::to_string(cut->received) + "-\r\n" : std::string();
    DWORD sentAt = GetTickCount();
    if (!response || !HttpSendRequestA(response.Get(), range.empty() ? nullptr : range.c_str(),
                                       static_cast<DWORD>(range.size()), nullptr, 0)) {
        // Wine's WinINet reports a server that never answered as a
        // connection ended; it waited the whole time-out for it.
        bool waitedOut = response && GetTickCount() - sentAt >= timeout;
        run.failure = waitedOut ? InternetErrorText(ERROR_INTERNET_TIMEOUT) : LastInternetErrorText();
        response.Reset();
        connection.Reset();
        return Opened::NoAnswer;
    }
    return CheckAnswer(run, response.Get(), cut);
}

// Refused: an error status where the transfer fails on one (a try on a cut
// body always does), or a try's answer that does not continue the body
// where it broke.
HttpDownloader::Opened HttpDownloader::CheckAnswer(Run& run, HINTERNET response, const Transfer* cut) {
    std::string answer = run.httpErrors == HttpErrors::Fail || cut ? HttpErrorAnswer(response) : std::string();
    if (!answer.empty())
        run.failure = FormatResString(IDS_SERVER_ANSWERED, answer);
    else if (cut && !ContinuesAt(response, cut->received, cut->length))
        run.failure = LoadResString(IDS_NOT_CONTINUED);
    else
        return Opened::Yes;
    return Opened::Refused;
}

void HttpDownloader::RunTransfer(Run& run) {
    TransferObserver* to = run.Observer();
    DownloadSession::Reporting reporting(to);
    InternetHandle connection, response;
    if (OpenAddress(run, nullptr, connection, response) != Opened::Yes) {
        // Closed before the reason is reported, so that it is the last
        // status text.
        response.Reset();
        connection.Reset();
        ReportTextTo(to, TransferObserver::TextStatus, "%s", run.failure.c_str());
        run.Finish(LoopEnd::Failed);
        return;
    }
    Transfer transfer;
    transfer.start = WallClockSeconds();
    transfer.chunk.resize(run.chunkSize + 1);
    transfer.length = ContentLength(response.Get());
    transfer.totalKb = static_cast<unsigned>((transfer.length + 512) / 1024);
    transfer.ranges = OffersByteRanges(response.Get());
    run.SetContentType(ContentType(response.Get()));
    if (to) {
        to->OnBegin();
        to->OnProgress(TransferObserver::ProgressTotal, transfer.totalKb);
    }
    LoopEnd end = ReadLoop(run, response.Get(), transfer);
    if (end == LoopEnd::Cut) end = Resume(run, transfer, connection, response);
    if (end == LoopEnd::Cut) end = LoopEnd::Failed;
    if ((end == LoopEnd::DataEnded || end == LoopEnd::Stopped) && to) to->OnEnd();
    std::vector<char>().swap(transfer.chunk);
    if (end == LoopEnd::DataEnded) {
        response.Reset();
        connection.Reset();
        ReportTextTo(to, TransferObserver::TextStatus, "%s", "");
        run.Finish(end);
        return;
    }
    ReportTextTo(to, TransferObserver::TextStatus, "%s", end == LoopEnd::Stopped ? "" : run.failure.c_str());
    // Wine's WinINet reads the rest of a response that is still arriving
    // before it closes the request; the job has its answer first, and the
    // closing reports nothing.
    run.LetGo();
    run.Finish(end);
}

// New tries on a cut body, each after its wait, while tries are left and
// each answer continues the body where it broke. Cut when the last try was
// cut as well; Failed when an answer was refused, whose handles are still
// open: its body may be coming at full speed, and WinINet would read it
// all before closing them.
HttpDownloader::LoopEnd HttpDownloader::Resume(Run& run, Transfer& transfer, InternetHandle& connection,
                                               InternetHandle& response) {
    if (run.cuts != Cuts::Resume || !transfer.ranges) return LoopEnd::Cut;
    TransferObserver* to = run.Observer();
    const int tries = static_cast<int>(run.resumeWaits.size());
    LoopEnd end = LoopEnd::Cut;
    for (int attempt = 1; end == LoopEnd::Cut && attempt <= tries; ++attempt) {
        DWORD wait = run.resumeWaits[attempt - 1];
        Opened opened;
        {
            // No connection texts for a new try: the status line goes on
            // saying which try runs until its data comes.
            DownloadSession::Reporting quiet(nullptr);
            // A cut connection has nothing left to read: it closes at once.
            response.Reset();
            connection.Reset();
            ReportTextTo(to, TransferObserver::TextWaiting, LoadResString(IDS_CONNECTION_LOST).c_str(),
                         static_cast<int>((wait + 999) / 1000), attempt, tries);
            if (!Pause(run, wait)) return LoopEnd::Stopped;
            ReportTextTo(to, TransferObserver::TextRetrying, LoadResString(IDS_TRYING_AGAIN).c_str(), attempt, tries);
            opened = OpenAddress(run, &transfer, connection, response);
        }
        if (opened == Opened::Refused) return LoopEnd::Failed;
        if (opened == Opened::Yes) end = ReadLoop(run, response.Get(), transfer);
    }
    return end;
}

// Waits, looking at the stop flag as often as the job does; false when a
// stop came.
bool HttpDownloader::Pause(Run& run, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += kStopPoll) {
        if (run.Stopped()) return false;
        Sleep(std::min(kStopPoll, milliseconds - waited));
    }
    return !run.Stopped();
}

// Cut when the connection was lost: a failed read, the receive time-out,
// or the end of the data before the announced length (without one, the end
// of the connection is the end of the body).
HttpDownloader::LoopEnd HttpDownloader::ReadLoop(Run& run, HINTERNET response, Transfer& transfer) {
    char* chunk = transfer.chunk.data();
    TransferObserver* to = run.Observer();
    bool lastWaitedOut = false;
    for (;;) {
        if (run.Stopped()) return LoopEnd::Stopped;
        DWORD read = 0;
        DWORD calledAt = GetTickCount();
        if (!InternetReadFile(response, chunk, run.chunkSize, &read)) {
            run.failure = LastInternetErrorText();
            return LoopEnd::Cut;
        }
        bool waitedOut = GetTickCount() - calledAt >= run.receiveTimeout;
        if (read == 0) {
            if (transfer.length && transfer.received >= transfer.length) return LoopEnd::DataEnded;
            // Wine's WinINet ends a read that timed out with the bytes it
            // had, and the next one as if the data had ended.
            if (waitedOut || lastWaitedOut) {
                run.failure = InternetErrorText(ERROR_INTERNET_TIMEOUT);
                return LoopEnd::Cut;
            }
            if (transfer.received >= transfer.length) return LoopEnd::DataEnded;
            // The connection ended before the announced length: a cut-off
            // body is not a complete one.
            run.failure = InternetErrorText(ERROR_INTERNET_CONNECTION_ABORTED);
            return LoopEnd::Cut;
        }
        switch (run.Write(chunk, read)) {
        case Run::Written::Yes: break;
        case Run::Written::Failed: return LoopEnd::Failed;
        case Run::Written::Refused: return LoopEnd::Stopped;
        }
        transfer.received += read;
        lastWaitedOut = waitedOut;
        if (to) ReportProgress(to, transfer);
    }
}

void HttpDownloader::ReportProgress(TransferObserver* to, const Transfer& transfer) {
    double elapsed = static_cast<double>(WallClockSeconds() - transfer.start);
    double receivedKb = transfer.received / 1024.0;
    int shownKb = static_cast<int>(receivedKb);
    int totalKb = static_cast<int>(transfer.totalKb);
    if (elapsed > 0)
        ReportTextTo(to, TransferObserver::TextProgress, "%d KB / %d KB, %0.1f KB/s", shownKb, totalKb,
                     receivedKb / elapsed);
    else
        ReportTextTo(to, TransferObserver::TextProgress, "%d KB / %d KB", shownKb, totalKb);
    to->OnProgress(TransferObserver::ProgressPosition, static_cast<unsigned>(transfer.received / 1024));
}
