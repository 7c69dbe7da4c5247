#include "engine/DownloadSession.h"
#include <string>
#include "engine/ObserverText.h"
#include "engine/TransferObserver.h"

namespace {
thread_local TransferObserver* reportingObserver = nullptr;

// Status information that WinINet hands over as text, cut at its length
// (it need not end in a zero).
std::string InfoText(const void* info, DWORD length) {
    if (!info) return std::string();
    const char* text = static_cast<const char*>(info);
    size_t size = 0;
    while (size < length && text[size] != '\0') ++size;
    return std::string(text, size);
}
}  // namespace

DownloadSession::~DownloadSession() {
    if (callbackInstalled) InternetSetStatusCallback(handle.Get(), nullptr);
}

bool DownloadSession::Open(const std::string& agent) {
    handle.Reset(InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!handle) {
        openError = GetLastError();
        return false;
    }
    DWORD_PTR context = kInternetContext;
    InternetSetOptionA(handle.Get(), INTERNET_OPTION_CONTEXT_VALUE, &context, sizeof(context));
    // Without the callback the session still works, only without status texts.
    callbackInstalled = InternetSetStatusCallback(handle.Get(), StatusCallback) != INTERNET_INVALID_STATUS_CALLBACK;
    return true;
}

DownloadSession::Reporting::Reporting(TransferObserver* observer) : previous(reportingObserver) {
    reportingObserver = observer;
}

DownloadSession::Reporting::~Reporting() {
    reportingObserver = previous;
}

void CALLBACK DownloadSession::StatusCallback(HINTERNET, DWORD_PTR, DWORD status, void* info, DWORD infoLength) {
    OnStatus(reportingObserver, status, info, infoLength);
}

void DownloadSession::OnStatus(TransferObserver* observer, DWORD status, const void* info, DWORD infoLength) {
    if (!observer) return;
    const int kind = TransferObserver::TextStatus;
    switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME:
        ReportTextTo(observer, kind, "Resolving name for %s", InfoText(info, infoLength).c_str());
        break;
    case INTERNET_STATUS_NAME_RESOLVED:
        ReportTextTo(observer, kind, "Resolved name for %s", InfoText(info, infoLength).c_str());
        break;
    case INTERNET_STATUS_CONNECTING_TO_SERVER: observer->OnText(kind, "Connecting to socket address "); break;
    case INTERNET_STATUS_CONNECTED_TO_SERVER: observer->OnText(kind, "Connected to socket address"); break;
    case INTERNET_STATUS_SENDING_REQUEST: observer->OnText(kind, "Sending request..."); break;
    case INTERNET_STATUS_REQUEST_SENT: observer->OnText(kind, "Request sent"); break;
    case INTERNET_STATUS_RECEIVING_RESPONSE: break;
    case INTERNET_STATUS_RESPONSE_RECEIVED: observer->OnText(kind, "Response received"); break;
    case INTERNET_STATUS_CLOSING_CONNECTION: observer->OnText(kind, "Closing the connection to the server"); break;
    case INTERNET_STATUS_CONNECTION_CLOSED: observer->OnText(kind, "Connection to the server closed"); break;
    case INTERNET_STATUS_HANDLE_CREATED: observer->OnText(kind, ""); break;
    case INTERNET_STATUS_HANDLE_CLOSING: break;
    case INTERNET_STATUS_REQUEST_COMPLETE:
        if (info && infoLength == 2 * sizeof(DWORD)) {
            const DWORD* words = static_cast<const DWORD*>(info);
            ReportTextTo(observer, kind, "Request complete, dwResult = %8.8lX, dwError = %8.8lX",
                         static_cast<unsigned long>(words[0]), static_cast<unsigned long>(words[1]));
        } else {
            observer->OnText(kind, "Request complete");
        }
        break;
    default: ReportTextTo(observer, kind, "Unknown status: %d", static_cast<int>(status)); break;
    }
}
