// A WinINet session with its status callback. The callback turns WinINet's
// connection events into status texts for the observer of the transfer
// that makes the call. The session knows no observer of its own: a transfer
// that outlives its job may still hold a share of it.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <string>
#include "framework/Handles.h"

class TransferObserver;

class DownloadSession {
public:
    DownloadSession() = default;
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
    // report to `observer` (nothing, when it is null). The request handles
    // share one context value, so the callback cannot find its transfer
    // from the handle it is given; in synchronous mode WinINet calls back on
    // the requesting thread.
    class Reporting {
    public:
        explicit Reporting(TransferObserver* observer);
        ~Reporting();
        Reporting(const Reporting&) = delete;
        Reporting& operator=(const Reporting&) = delete;

    private:
        TransferObserver* previous;
    };

private:
    static void CALLBACK StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD infoLength);
    static void OnStatus(TransferObserver* observer, DWORD status, const void* info, DWORD infoLength);

    InternetHandle handle;
    bool callbackInstalled = false;
    DWORD openError = ERROR_SUCCESS;
};

// The application's connection context value, given to every handle.
constexpr DWORD_PTR kInternetContext = 1;
