// A WinINet session with its status callback. The callback turns WinINet's
// connection events into status texts for the session's observer.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <string>
#include "framework/Handles.h"

class TransferObserver;

class DownloadSession {
public:
    explicit DownloadSession(TransferObserver* observer) : observer(observer) {}
    // Removes the status callback, then closes the session handle.
    ~DownloadSession();
    DownloadSession(const DownloadSession&) = delete;
    DownloadSession& operator=(const DownloadSession&) = delete;

    // InternetOpenA with the system's proxy settings; false (with the
    // WinINet error kept in OpenError) when no session could be made.
    bool Open(const std::string& agent);
    HINTERNET Handle() const { return handle.Get(); }
    DWORD OpenError() const { return openError; }

    // While an object of this lives, WinINet's callbacks on this thread
    // report to the session's observer, or to `observer` when one is given.
    // The request handles share one context value, so the callback cannot
    // find its session from the handle it is given; in synchronous mode
    // WinINet calls back on the requesting thread.
    class Reporting {
    public:
        explicit Reporting(DownloadSession& session, TransferObserver* observer = nullptr);
        // While this lives, the callbacks on this thread report nothing.
        struct Silent {};
        explicit Reporting(Silent);
        ~Reporting();
        Reporting(const Reporting&) = delete;
        Reporting& operator=(const Reporting&) = delete;

    private:
        DownloadSession* previous;
        TransferObserver* previousObserver;
    };

private:
    static void CALLBACK StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD infoLength);
    void OnStatus(TransferObserver* observer, DWORD status, const void* info, DWORD infoLength);

    TransferObserver* observer;
    InternetHandle handle;
    bool callbackInstalled = false;
    DWORD openError = ERROR_SUCCESS;
};

// The application's connection context value, given to every handle.
constexpr DWORD_PTR kInternetContext = 1;
