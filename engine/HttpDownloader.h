// Fetches addresses over HTTP into an output, reporting connection status,
// progress and rate to a TransferObserver and watching its stop flag
// between chunks. One per download job; both transfers of the job share
// its session.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <ctime>
#include <memory>
#include <string>
#include <vector>
#include "engine/DownloadSession.h"
#include "engine/TransferObserver.h"
#include "engine/TransferOutput.h"

class HttpDownloader {
public:
    // What a transfer makes of an HTTP error status (400 or more).
    enum class HttpErrors {
        Accept,  // the body is the result, whatever the status (a watch page)
        Fail,    // nothing is written; the server's answer becomes the status text
    };

    // What a transfer makes of a connection lost before the body's end.
    enum class Cuts {
        End,     // the transfer fails (a watch page)
        Resume,  // where the server offers byte ranges, the rest is asked for again (a stream)
    };

    HttpDownloader() = default;
    ~HttpDownloader();
    HttpDownloader(const HttpDownloader&) = delete;
    HttpDownloader& operator=(const HttpDownloader&) = delete;

    // Opens the session (agent null: the application's name) and remembers
    // the observer. False when WinINet gave no session; Download then fails
    // with WinINet's reason as a status text.
    bool CreateSession(TransferObserver* observer, const char* agent = nullptr);
    void SetChunkSize(DWORD bytes) { chunkSize = bytes ? bytes : 1; }
    DWORD ChunkSize() const { return chunkSize; }
    // How long a request waits for the server's answer or for more of its
    // body before it fails with WinINet's time-out text: Windows' documented
    // default, set on every request so that Wine (which waits without end)
    // behaves the same. Tests shorten it.
    static constexpr DWORD kReceiveTimeout = 30000;
    void SetReceiveTimeout(DWORD milliseconds) { receiveTimeout = milliseconds; }
    // How long a resumed transfer waits before each new try, one wait per
    // try. Tests shorten them.
    void SetResumeWaits(std::vector<DWORD> milliseconds) { resumeWaits = std::move(milliseconds); }
    // The observer's stop flag is set.
    bool StopRequested() const;

    // True when the server's data ended and all of it was written; false
    // when the address could not be opened, the stop flag was set, reading
    // or writing failed, the server sent nothing for the receive time-out,
    // or (HttpErrors::Fail) the server answered with an error status. With
    // Cuts::Resume, a body cut before its announced length (or, without
    // one, by a failed read) is asked for again from where it broke, while
    // the first answer offered byte ranges and each new answer continues
    // the body there, after each of the resume waits; the status texts say
    // so. Waits for the transfer, but after a stop at most about a quarter
    // second for a call still waiting on the server. A transfer that did not
    // end with its data takes the session along; the next one opens a new
    // session.
    bool Download(const std::string& address, TransferOutput& output, HttpErrors httpErrors = HttpErrors::Accept,
                  Cuts cuts = Cuts::End);
    // Why the last Download failed, the text its status line was given;
    // empty after a success or a stop.
    const std::string& FailureText() const { return failureText; }

    // printf-style text to the observer's OnText, when there is one.
    void ReportText(int kind, const char* format, ...) __attribute__((format(printf, 3, 4)));

private:
    // Cut: the connection was lost before the body's end, which a new try
    // may mend.
    enum class LoopEnd { DataEnded, Stopped, Failed, Cut };
    // A request: answered and usable, not answered at all, or answered in a
    // way the transfer refuses.
    enum class Opened { Yes, NoAnswer, Refused };
    // The job's observer and output as the transfer's thread sees them.
    class JobLink;
    // What a Download and the thread running its transfer share.
    class Run;
    // The state of one transfer; none of it outlives Download.
    struct Transfer {
        long long start = 0;            // wall clock, whole seconds
        std::vector<char> chunk;        // one buffer for every read
        unsigned long long length = 0;  // Content-Length, 0 when unknown
        unsigned totalKb = 0;
        unsigned long long received = 0;
        bool ranges = false;  // the first answer offered byte ranges
    };

    // The transfer runs on a thread of its own, which touches only its Run
    // (owned with the job) and alone uses the transfer's handles. A synchronous WinINet call that
    // waits on a silent server ends only by itself: with data, the end of
    // the connection, or the request's receive time-out. Closing its handle
    // from another thread does not end it under Wine, and Windows documents
    // closing a handle as safe only while no call uses it. So a stop does
    // not wait for such a call: the job lets go of the thread, which ends
    // when the call returns, at the latest after the receive time-out every
    // request carries (INTERNET_OPTION_RECEIVE_TIMEOUT, set before the
    // request is sent, as Windows documents it).
    static DWORD WINAPI RunThread(void* run);
    bool WaitFor(Run& run);
    static void RunTransfer(Run& run);
    static Opened OpenAddress(Run& run, const Transfer* cut, InternetHandle& connection, InternetHandle& response);
    static Opened CheckAnswer(Run& run, HINTERNET response, const Transfer* cut);
    static LoopEnd ReadLoop(Run& run, HINTERNET response, Transfer& transfer);
    static LoopEnd Resume(Run& run, Transfer& transfer, InternetHandle& connection, InternetHandle& response);
    static bool Pause(Run& run, DWORD milliseconds);
    static void ReportProgress(TransferObserver* to, const Transfer& transfer);

    // Shared with the transfers that use it: a thread the job let go of
    // closes its request before the session goes.
    std::shared_ptr<DownloadSession> session;
    bool sessionCreated = false;
    std::string agentName;
    DWORD chunkSize = 4096;
    DWORD receiveTimeout = kReceiveTimeout;
    // Doubling from a second, as a person on a flaky connection would try
    // again: about 23 seconds in all over five tries.
    std::vector<DWORD> resumeWaits{1000, 2000, 4000, 8000, 8000};
    TransferObserver* observer = nullptr;
    std::string failureText;
};
