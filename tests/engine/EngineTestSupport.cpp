#include "tests/engine/EngineTestSupport.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include "samplesite/StreamBytes.h"

namespace engine_testing {

namespace {
const char* const kInternetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

ObservedCall MakeCall(ObservedCall::Kind kind, int subKind, const std::string& text, unsigned value) {
    return ObservedCall{kind, subKind, text, value, GetTickCount(), GetCurrentThreadId()};
}
}  // namespace

int RecordingObserver::OnBegin() { calls.push_back(MakeCall(ObservedCall::Begin, 0, "", 0)); return 0; }
int RecordingObserver::OnEnd() { calls.push_back(MakeCall(ObservedCall::End, 0, "", 0)); return 0; }
int RecordingObserver::OnText(int kind, const char* text) {
    calls.push_back(MakeCall(ObservedCall::Text, kind, text, 0));
    return 0;
}
int RecordingObserver::OnProgress(int kind, unsigned value) {
    calls.push_back(MakeCall(ObservedCall::Progress, kind, "", value));
    return 0;
}

std::vector<std::string> RecordingObserver::Texts(int kind) const {
    std::vector<std::string> texts;
    for (const ObservedCall& call : calls)
        if (call.kind == ObservedCall::Text && call.subKind == kind) texts.push_back(call.text);
    return texts;
}

std::string RecordingObserver::LastStatusText() const {
    std::vector<std::string> texts = Texts(TextStatus);
    return texts.empty() ? "<none>" : texts.back();
}

std::vector<std::string> RecordingObserver::Outline() const {
    std::vector<std::string> lines;
    for (const ObservedCall& call : calls) {
        switch (call.kind) {
        case ObservedCall::Begin: lines.push_back("begin"); break;
        case ObservedCall::End: lines.push_back("end"); break;
        case ObservedCall::Text:
            if (call.subKind != TextStatus) lines.push_back("text " + call.text);
            break;
        case ObservedCall::Progress:
            lines.push_back((call.subKind == ProgressTotal ? "total " : "position ") + std::to_string(call.value));
            break;
        }
    }
    return lines;
}

int RecordingObserver::Count(ObservedCall::Kind kind) const {
    int count = 0;
    for (const ObservedCall& call : calls) count += call.kind == kind;
    return count;
}

std::string SitePort() {
    const char* port = std::getenv("FH_SITE_PORT");
    return port ? port : "";
}

std::string SiteUrl(const std::string& pathAndQuery) {
    return "http://127.0.0.1:" + SitePort() + pathAndQuery;
}

SiteProxy::SiteProxy() {
    Save("ProxyEnable", enable);
    Save("ProxyServer", server);
    Save("ProxyOverride", override_);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    DWORD one = 1;
    std::string proxy = "127.0.0.1:" + SitePort();
    RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
    RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(proxy.c_str()),
                   static_cast<DWORD>(proxy.size() + 1));
    RegDeleteValueA(key, "ProxyOverride");
    RegCloseKey(key);
}

SiteProxy::~SiteProxy() {
    Restore("ProxyEnable", enable);
    Restore("ProxyServer", server);
    Restore("ProxyOverride", override_);
}

void SiteProxy::Save(const char* name, Saved& saved) {
    saved = Saved{false, 0, {}};
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        saved.present = RegQueryValueExA(key, name, nullptr, &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
}

void SiteProxy::Restore(const char* name, const Saved& saved) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (saved.present)
        RegSetValueExA(key, name, 0, saved.type, saved.data.data(), static_cast<DWORD>(saved.data.size()));
    else
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

std::string ProxyOfNewSession() {
    HINTERNET session = InternetOpenA("probe", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) return "<no session>";
    std::vector<char> buffer(4096, '\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    std::string proxy;
    if (InternetQueryOptionA(session, INTERNET_OPTION_PROXY, buffer.data(), &size)) {
        auto* info = reinterpret_cast<INTERNET_PROXY_INFO*>(buffer.data());
        if (info->dwAccessType == INTERNET_OPEN_TYPE_PROXY && info->lpszProxy)
            proxy = reinterpret_cast<const char*>(info->lpszProxy);
    }
    InternetCloseHandle(session);
    return proxy;
}

bool SiteProxyInEffect() {
    return !SitePort().empty() && ProxyOfNewSession() == "127.0.0.1:" + SitePort();
}

WorkerCall::WorkerCall(std::function<void()> work) : body(std::move(work)) {
    thread = CreateThread(nullptr, 0, Run, this, 0, &threadId);
}

WorkerCall::~WorkerCall() {
    if (!thread) return;
    // A test that failed may leave the call blocked; the process ends soon.
    if (WaitForSingleObject(thread, 10000) != WAIT_OBJECT_0) TerminateThread(thread, 1);
    CloseHandle(thread);
}

bool WorkerCall::Wait(DWORD timeoutMs) {
    return thread && WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
}

DWORD WINAPI WorkerCall::Run(void* self) {
    static_cast<WorkerCall*>(self)->body();
    return 0;
}

namespace {
struct DialogSearch { int controlId; HWND found; };

BOOL CALLBACK VisitThreadWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    if (IsWindowVisible(window) && GetDlgItem(window, search->controlId)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindThreadDialog(DWORD threadId, int controlId) {
    DialogSearch search{controlId, nullptr};
    EnumThreadWindows(threadId, VisitThreadWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForThreadDialog(DWORD threadId, int controlId, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND dialog = FindThreadDialog(threadId, controlId)) return dialog;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(20);
    }
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &result);
    return text;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

size_t PatternMismatch(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) != samplesite::PatternByteAt(i)) return i;
    return bytes.size();
}

size_t StreamMismatch(const std::string& bytes) {
    return samplesite::FirstStreamMismatch(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0);
}

bool FilterSelects(const char* suitePrefix) {
    std::string filter = GTEST_FLAG_GET(filter);
    return filter.find(suitePrefix) != std::string::npos;
}

}  // namespace engine_testing
